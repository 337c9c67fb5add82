#include "core/quote/quoteworkbook.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/document/sheetnames.h"
#include "core/document/sheetspill.h"
#include "core/quote/quotebook_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace tarvex {

using namespace quotebook;

namespace quotebook {

Formats::Formats(lxw_workbook *book)
{
    title = addCellFormat(book, false);
    format_set_font_size(title, 16);
    format_set_bold(title);
    format_set_align(title, LXW_ALIGN_CENTER);
    label = addCellFormat(book, false);
    format_set_align(label, LXW_ALIGN_RIGHT);
    area = addCellFormat(book, false);
    format_set_align(area, LXW_ALIGN_LEFT);
    heading = addCellFormat(book, true);
    format_set_bold(heading);
    format_set_align(heading, LXW_ALIGN_CENTER);
    format_set_bg_color(heading, 0xE8E8E8);
    text = addCellFormat(book, true);
    centred = addCellFormat(book, true);
    format_set_align(centred, LXW_ALIGN_CENTER);
    number = addCellFormat(book, true);
    format_set_num_format(number, "0.000");
    percent = addCellFormat(book, true);
    format_set_num_format(percent, "0.000\"%\"");
    plain = addCellFormat(book, true);
    bold = addCellFormat(book, true);
    format_set_bold(bold);
}

namespace {

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

void writeValue(lxw_worksheet *sheet, int row, int col, const QVariant &value, lxw_format *format)
{
    if (value.isNull())
        check(worksheet_write_blank(sheet, lxw_row_t(row), lxw_col_t(col), format));
    else if (isNumber(value))
        check(worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(col), value.toDouble(), format));
    else
        writeText(sheet, row, col, value.toString(), format);
}

// A block of columns of the detail sheet: headings in row 1, data below.
struct Block {
    int firstCol;
    QStringList headings;
    const QList<QVariantList> &rows;
};

// Writes the blocks side by side, row by row.
void writeBlocks(lxw_worksheet *sheet, const Formats &formats, const QList<Block> &blocks)
{
    qsizetype rowCount = 0;
    for (const Block &b : blocks) {
        for (int c = 0; c < b.headings.size(); ++c)
            writeText(sheet, 0, b.firstCol + c, b.headings.at(c), formats.heading);
        rowCount = std::max(rowCount, b.rows.size());
    }
    for (int r = 0; r < rowCount; ++r) {
        for (const Block &b : blocks) {
            if (r >= b.rows.size())
                continue;
            for (int c = 0; c < b.headings.size(); ++c)
                writeValue(sheet, r + 1, b.firstCol + c, b.rows.at(r).value(c), formats.plain);
        }
    }
}

QString columnRange(int col, int lastRow)
{
    return QLatin1Char('\'') + quoteDetailSheetName() + QStringLiteral("'!") + cellRef(1, col, true) + QLatin1Char(':')
        + cellRef(std::max(lastRow, 1), col, true);
}

} // namespace

DetailRanges writeDetailSheet(lxw_worksheet *sheet, const Formats &formats, const QuoteDetails &details)
{
    writeBlocks(sheet, formats,
        {{0, {QStringLiteral("主材名"), QStringLiteral("隔热"), QStringLiteral("单价"), QStringLiteral("损耗")},
             details.profiles},
            {5,
                {QStringLiteral("附件名"), QStringLiteral("规格"), QStringLiteral("技术要求"), QStringLiteral("单位"),
                    QStringLiteral("单价"), QStringLiteral("损耗")},
                details.accessories},
            {12, {QStringLiteral("玻璃名称"), QStringLiteral("单价"), QStringLiteral("损耗")}, details.glass},
            {16, {QStringLiteral("费用名"), QStringLiteral("费用量"), QStringLiteral("百分比")}, details.fees}});
    // A block's ranges end at its last data row, or cover row 2 when it has none.
    const int lc = int(details.profiles.size());
    const int pj = int(details.accessories.size());
    const int bl = int(details.glass.size());
    const int fy = int(details.fees.size());
    const double widths[] = {14, 8, 9, 7, 2, 14, 12, 12, 6, 9, 7, 2, 22, 9, 7, 2, 12, 9, 9};
    for (int c = 0; c < int(std::size(widths)); ++c)
        check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr));
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9);
    worksheet_fit_to_pages(sheet, 1, 0);

    DetailRanges r;
    r.lcClass = columnRange(0, lc);
    r.lcFlag = columnRange(1, lc);
    r.lcPrice = columnRange(2, lc);
    r.lcLoss = columnRange(3, lc);
    r.pjName = columnRange(5, pj);
    r.pjSpec = columnRange(6, pj);
    r.pjPrice = columnRange(9, pj);
    r.pjLoss = columnRange(10, pj);
    r.blName = columnRange(12, bl);
    r.blPrice = columnRange(13, bl);
    r.blLoss = columnRange(14, bl);
    r.fyName = columnRange(16, fy);
    r.fyAmount = columnRange(17, fy);
    r.fyPercent = columnRange(18, fy);
    return r;
}

} // namespace quotebook

namespace {

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString defaultQuoteWorkbookPath(const QuoteRun &run)
{
    // The title as part of a file name: characters no file system takes become "_".
    QString stem = QString(run.options.project + run.options.title).trimmed();
    for (QChar &c : stem) {
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    if (stem.isEmpty())
        stem = QStringLiteral("报价表");
    stem = stem.left(80) + QLatin1Char('-') + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir folder(programFile(QStringLiteral("temp1")));
    QString path = folder.filePath(stem + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral("-%1.xlsx").arg(n));
    return path;
}

QString quoteDetailSheetName()
{
    return QStringLiteral("材料明细表");
}

namespace {

// The workbook of `items`. With giveUp (the same vector, owned by the
// caller) each item is emptied once its sheet is written, so a project of
// tens of thousands of windows does not hold its figures twice.
void writeBook(const QString &path, const QVector<QuoteItem> &items, QVector<QuoteItem> *giveUp,
    const QuoteDetails &details, const std::function<void(int)> &progress)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(QStringLiteral("无法创建临时文件夹: ") + scratch.errorString());
    const QString built = scratch.filePath(QStringLiteral("book.xlsx"));
    // Sheets of thousands of windows: the workbook keeps one row per sheet
    // and the written rows go to one file until the workbook is put together.
    SheetSpill spill(scratch.filePath(QStringLiteral("rows")), path);
    QByteArray tmpdir = QFile::encodeName(scratch.path());
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    std::unique_ptr<lxw_workbook, WorkbookFree> book(workbook_new_opt(QFile::encodeName(built).constData(), &options));
    if (!book)
        throw Error(QStringLiteral("无法创建工作簿 ") + nativePath(path));
    auto addSheet = [&](const QString &name) {
        if (workbook_validate_sheet_name(book.get(), name.toUtf8().constData()) != LXW_NO_ERROR)
            throw Error(QStringLiteral("工作表名称无效: ") + name);
        lxw_worksheet *sheet = workbook_add_worksheet(book.get(), name.toUtf8().constData());
        if (!sheet)
            throw Error(QStringLiteral("无法添加工作表 ") + name);
        spill.adopt(sheet);
        return sheet;
    };

    const Formats formats(book.get());
    SheetNames names;
    lxw_worksheet *detail = addSheet(names.take(quoteDetailSheetName()));
    const DetailRanges ranges = writeDetailSheet(detail, formats, details);
    spill.finish(detail);
    int done = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        lxw_worksheet *sheet = addSheet(names.take(items.at(i).sheet));
        priceExcel(sheet, formats, items.at(i), details, ranges, done, progress);
        spill.finish(sheet);
        if (giveUp)
            (*giveUp)[i] = QuoteItem();
    }

    spill.openForReading();
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR)
        throw Error(QStringLiteral("无法写入文件 ") + nativePath(path) + QStringLiteral(": ")
            + QString::fromUtf8(lxw_strerror(closed)));
    spill.check();
    // libxlsxwriter writes only to a named file: the workbook is built aside
    // and copied over the target in one step.
    copyFileAtomically(built, path);
}

} // namespace

void writeQuoteWorkbook(
    const QString &path, const QuoteRun &run, const QuoteDetails &details, const std::function<void(int)> &progress)
{
    writeBook(path, run.result.items, nullptr, details, progress);
}

void writeQuoteWorkbook(const QString &path, const QuoteRun &run, const std::function<void(int)> &progress)
{
    writeQuoteWorkbook(path, run, loadQuoteDetails(run), progress);
}

void writeQuoteWorkbook(const QString &path, QuoteRun &&run, const std::function<void(int)> &progress)
{
    const QuoteDetails details = loadQuoteDetails(run);
    QVector<QuoteItem> items = std::move(run.result.items);
    writeBook(path, items, &items, details, progress);
}

} // namespace tarvex
