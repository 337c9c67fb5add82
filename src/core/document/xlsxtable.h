#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>

namespace tarvex {

// A one-sheet workbook of texts written row by row in libxlsxwriter's
// constant-memory mode, built aside and put at path by finish(): a writer
// dropped before finish() leaves no file. A text longer than a cell holds
// (32,767 characters) is cut to the limit and counted. Throws Error.
class XlsxTableWriter {
public:
    explicit XlsxTableWriter(const QString &path);
    ~XlsxTableWriter();
    XlsxTableWriter(const XlsxTableWriter &) = delete;
    XlsxTableWriter &operator=(const XlsxTableWriter &) = delete;

    void addRow(const QStringList &cells);
    // A row cell by cell: texts in UTF-8 ended by a NUL, then nextRow().
    void addCell(int column, QByteArrayView utf8);
    void addNumber(int column, double value);
    // A whole row of typed cells: numbers as numbers, anything else as
    // text, Null cells left empty.
    void addValues(const QVariantList &cells);
    void nextRow();
    int cutCells() const;
    void finish();

private:
    struct Book;
    std::unique_ptr<Book> m_book;
};

// Writes rows of texts to a new one-sheet workbook; returns the number of
// cells cut to the cell limit.
int writeXlsxTable(const QString &path, const QList<QStringList> &rows);

struct QueryExport {
    qint64 rows = 0;
    int cutCells = 0;
    bool cancelled = false; // then no file was written
};

// Exports the field names and every row of the query (values bound to its
// placeholders in order) as the grids show them, reading the query once in one read transaction. progress(done,
// total) is called every few hundred rows; when it returns false the export
// stops and leaves no file.
QueryExport exportQueryToXlsx(const QString &path, const QString &sql, const QVariantList &values, QSqlDatabase db,
    qint64 total, const std::function<bool(qint64, qint64)> &progress = {});

// The message of a finished export: "数据导出至Excel成功!", and how many
// cells were cut when some were.
QString exportDoneText(int cutCells);

} // namespace tarvex
