#pragma once

#include "core/common/io/xlsxreader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tarvex {

struct PriceTable;

// Merge updates the records whose natural key the file lists and adds the
// others; replace empties the table and loads the file.
enum class ImportMode { Merge, Replace };

struct ImportProblem {
    int line = 0; // line of the file (row of the sheet), from 1
    QString reason;
};

// One row of a price list file, before it is checked: the cells that hold
// anything (column from 0, text, whether a workbook showed it as a date).
struct ImportRow {
    int line = 0;
    QList<SheetCell> cells;
    QString unreadable; // why the row could not be read; empty when it could
};

// The longest text a cell of a price list may hold: far more than any name,
// specification or remark needs.
constexpr int kMaxImportedText = 1000;

// A price list file as read: its path (for messages) and its rows, given
// in memory or, as readPriceListFile leaves a .csv file, read from disk
// again each time they are needed, so that a list of half a million rows is
// never held whole.
struct PriceListFile {
    QString path;
    QList<ImportRow> rows;

    // How readPriceListFile found a delimited file on disk (a workbook's
    // rows are kept in memory): how its text is written and its contents'
    // fingerprint, which the rows read later must match.
    enum class Format { Rows, Csv };
    Format format = Format::Rows;
    QString source {};
    QByteArray encoding {}; // Csv: "UTF-8", "GBK" or "UTF-16"
    QChar delimiter = u',';
    QByteArray digest {};
    int lines = 0; // the file's last line, for showing how far a pass is
};

// Each row of the file in turn, as readPriceListFile promises them. Throws
// Error when the file cannot be read or no longer holds what it held when
// it was first read.
void forEachPriceListRow(
    const PriceListFile &file, const PriceTable &table, const std::function<void(const ImportRow &)> &row);

struct PlannedImport;

// What an import would do, or did.
struct PriceImportPlan {
    ImportMode mode = ImportMode::Merge;
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    int removed = 0; // replace: stored records the file does not list
    QList<ImportProblem> invalid; // in line order, one per invalid row
    QStringList ignoredColumns; // headers that name no column of the table
    // What each row of the file makes, for importPriceList to apply.
    std::shared_ptr<const PlannedImport> planned;

    // "新增 A 修改 B 未变 C 无效 D"
    QString counts() const;
    // "第N行: reason"
    static QString describe(const ImportProblem &problem);
    bool sameCounts(const PriceImportPlan &other) const;
};

// Reads a price list: .csv (UTF-8 with or without BOM, GBK, or UTF-16 with
// BOM; comma, semicolon or tab, told apart by the header) or .xlsx (the
// first sheet). The first row holding anything (the header) is kept whole;
// of the other rows only the cells under a header that names a column of
// the table, and the first cell right of the header, so that memory follows
// what the import needs, not the file's extent. A .csv file's rows are not
// kept at all: what it is and how its text is written, for reading them
// again. Throws Error naming the file when it cannot be read at all.
PriceListFile readPriceListFile(const QString &path, const PriceTable &table);

// What importing the rows would do; writes nothing. The first row holding
// anything is the header: columns are matched by name in any order. Throws
// Error for a header without the key columns.
// progress(line) is called with each data row's line.
PriceImportPlan previewPriceImport(const PriceTable &table, const PriceListFile &file, ImportMode mode,
    const std::function<void(int line)> &progress = {});

// Imports in one transaction and returns what was done. A preview whose
// table nothing has changed since is applied as it was planned, the file's
// rows read once more to be written; otherwise the rows are planned again.
// Nothing is written when a row is invalid, or when the counts differ from
// a preview the user saw (the table changed meanwhile): Error says which.
PriceImportPlan importPriceList(const PriceTable &table, const PriceListFile &file, ImportMode mode,
    const PriceImportPlan *previewed = nullptr, const std::function<void(int line)> &progress = {});

} // namespace tarvex
