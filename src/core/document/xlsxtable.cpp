#include "core/document/xlsxtable.h"

#include "core/common/db/bulkrows.h"
#include "core/common/db/database.h"
#include "core/common/db/sqlgridmodel.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/document/xlsxcells.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace tarvex {

struct XlsxTableWriter::Book {
    QString path;
    QTemporaryDir folder;
    QString built;
    QByteArray tmpdir;
    lxw_workbook *workbook = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_row_t row = 0;
    int cut = 0;
};

XlsxTableWriter::XlsxTableWriter(const QString &path)
    : m_book(std::make_unique<Book>())
{
    Book &b = *m_book;
    b.path = path;
    if (!b.folder.isValid())
        throw Error(cannotWriteText(path, b.folder.errorString()));
    b.built = b.folder.filePath(QStringLiteral("table.xlsx"));
    b.tmpdir = QFile::encodeName(b.folder.path());
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = b.tmpdir.data();
    b.workbook = workbook_new_opt(QFile::encodeName(b.built).constData(), &options);
    b.sheet = b.workbook ? workbook_add_worksheet(b.workbook, nullptr) : nullptr;
    if (!b.sheet)
        throw Error(QStringLiteral("无法创建文件 ") + QDir::toNativeSeparators(path));
}

XlsxTableWriter::~XlsxTableWriter()
{
    if (m_book->workbook)
        lxw_workbook_free(m_book->workbook);
}

void XlsxTableWriter::addCell(int column, QByteArrayView utf8)
{
    Book &b = *m_book;
    if (utf8.isEmpty())
        return;
    if (b.row >= LXW_ROW_MAX)
        throw Error(QStringLiteral("数据超过工作表的最大行数 %1, 无法导出").arg(LXW_ROW_MAX));
    if (utf8.size() <= kMaxCellChars) { // so no more characters either
        check(worksheet_write_string(b.sheet, b.row, lxw_col_t(column), utf8.data(), nullptr));
        return;
    }
    bool cut = false;
    const QByteArray text = cellText(QString::fromUtf8(utf8), &cut);
    b.cut += cut ? 1 : 0;
    check(worksheet_write_string(b.sheet, b.row, lxw_col_t(column), text.constData(), nullptr));
}

void XlsxTableWriter::addNumber(int column, double value)
{
    Book &b = *m_book;
    if (b.row >= LXW_ROW_MAX)
        throw Error(QStringLiteral("数据超过工作表的最大行数 %1, 无法导出").arg(LXW_ROW_MAX));
    check(worksheet_write_number(b.sheet, b.row, lxw_col_t(column), value, nullptr));
}

void XlsxTableWriter::nextRow()
{
    ++m_book->row;
}

void XlsxTableWriter::addRow(const QStringList &cells)
{
    for (int c = 0; c < cells.size(); ++c)
        addCell(c, cells.at(c).toUtf8());
    nextRow();
}

void XlsxTableWriter::addValues(const QVariantList &cells)
{
    for (int c = 0; c < cells.size(); ++c) {
        const QVariant &value = cells.at(c);
        const int type = value.typeId();
        if (value.isNull())
            continue;
        if (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong)
            addNumber(c, value.toDouble());
        else
            addCell(c, value.toString().toUtf8());
    }
    nextRow();
}

int XlsxTableWriter::cutCells() const
{
    return m_book->cut;
}

void XlsxTableWriter::finish()
{
    Book &b = *m_book;
    const lxw_error result = workbook_close(b.workbook);
    b.workbook = nullptr;
    if (result != LXW_NO_ERROR)
        throw Error(cannotWriteText(b.path, QString::fromUtf8(lxw_strerror(result))));
    copyFileAtomically(b.built, b.path);
}

int writeXlsxTable(const QString &path, const QList<QStringList> &rows)
{
    XlsxTableWriter writer(path);
    for (const QStringList &row : rows)
        writer.addRow(row);
    writer.finish();
    return writer.cutCells();
}

QueryExport exportQueryToXlsx(const QString &path, const QString &sql, const QVariantList &values, QSqlDatabase db,
    qint64 total, const std::function<bool(qint64, qint64)> &progress)
{
    QueryExport done;
    const ReadTransaction snapshot(db);
    // Texts go to the workbook in the UTF-8 they are stored in; only
    // numbers take the grid's display rule.
    RowCursor query(db, sql, values);
    QStringList fields;
    for (int i = 0; i < query.columnCount(); ++i)
        fields.append(query.columnName(i));
    XlsxTableWriter writer(path);
    writer.addRow(fields);
    while (query.next()) {
        for (int c = 0; c < fields.size(); ++c) {
            if (query.isInteger(c))
                writer.addCell(c, SqlGridModel::displayText(query.integer(c), fields.at(c)).toUtf8());
            else if (query.isReal(c))
                writer.addCell(c, SqlGridModel::displayText(query.real(c), fields.at(c)).toUtf8());
            else if (!query.isNull(c))
                writer.addCell(c, query.utf8(c));
        }
        writer.nextRow();
        ++done.rows;
        if (progress && done.rows % 512 == 0 && !progress(done.rows, qMax(total, done.rows))) {
            done.cancelled = true;
            return done;
        }
    }
    writer.finish();
    done.cutCells = writer.cutCells();
    return done;
}

QString exportDoneText(int cutCells)
{
    QString text = QStringLiteral("数据导出至Excel成功!");
    if (cutCells > 0)
        text += QLatin1Char('\n') + cutCellsNote(cutCells);
    return text;
}

} // namespace tarvex
