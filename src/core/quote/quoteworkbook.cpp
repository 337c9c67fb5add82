#include "core/quote/quoteworkbook.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/document/sheetnames.h"
#include "core/document/workbooklimits.h"
#include "core/document/workbookscratch.h"
#include "core/quote/quotebook_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
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
    // The detail sheet's values look like the quotation's texts. A second
    // format of the same look would cost a hash of the whole format on every
    // cell written with it: the library gives only the first an index.
    plain = text;
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

void writeValue(SheetWriter &sheet, int row, int col, const QVariant &value, lxw_format *format)
{
    if (value.isNull())
        sheet.blank(row, col, format);
    else if (isNumber(value))
        sheet.number(row, col, value.toDouble(), format);
    else
        sheet.text(row, col, value.toString(), format);
}

// A block of columns of the detail sheet: headings in row 1, data below.
struct Block {
    int firstCol;
    QStringList headings;
    const QList<QVariantList> &rows;
};

// Writes the blocks side by side, row by row.
void writeBlocks(SheetWriter &sheet, const Formats &formats, const QList<Block> &blocks)
{
    qsizetype rowCount = 0;
    for (const Block &b : blocks) {
        for (int c = 0; c < b.headings.size(); ++c)
            sheet.text(0, b.firstCol + c, b.headings.at(c), formats.heading);
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

DetailRanges writeDetailSheet(SheetWriter &sheet, const Formats &formats, const QuoteDetails &details)
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
        check(worksheet_set_column(sheet.sheet(), lxw_col_t(c), lxw_col_t(c), widths[c], nullptr));
    worksheet_freeze_panes(sheet.sheet(), 1, 0);
    worksheet_set_landscape(sheet.sheet());
    worksheet_set_paper(sheet.sheet(), 9);
    worksheet_fit_to_pages(sheet.sheet(), 1, 0);

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

QStringList quoteWorkbookPartPaths(const QString &path, int parts)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = path.left(path.size() - suffix.size());
    QStringList paths;
    for (int p = 1; p <= parts; ++p)
        paths.append(stem + QStringLiteral("-%1").arg(p) + suffix);
    return paths;
}

QString defaultQuoteWorkbookPath(const QuoteRun &run, int parts)
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
    auto taken = [parts](const QString &path) {
        const QStringList all = parts > 1 ? quoteWorkbookPartPaths(path, parts) : QStringList {path};
        return std::any_of(all.begin(), all.end(), [](const QString &p) { return QFileInfo::exists(p); });
    };
    QString path = folder.filePath(stem + QStringLiteral(".xlsx"));
    for (int n = 2; taken(path); ++n)
        path = folder.filePath(stem + QStringLiteral("-%1.xlsx").arg(n));
    return path;
}

QString quoteDetailSheetName()
{
    return QStringLiteral("材料明细表");
}

namespace {

// Quotation sheets per workbook, beside its detail sheet.
int sheetsPerWorkbook()
{
    return std::max(1, maxStreamedSheets() - 1);
}

int workbooksFor(qsizetype items, int perWorkbook)
{
    return std::max(1, int((items + perWorkbook - 1) / perWorkbook));
}

QString tooManySheetsText(qsizetype items, int perWorkbook)
{
    return QStringLiteral("这份报价有%1个报价表, 超过一个工作簿能容纳的%2个(%3)")
        .arg(items)
        .arg(perWorkbook)
        .arg(sheetLimitReason(perWorkbook + 1));
}

// One workbook of a quotation: the items first..last-1, built at `built`
// and put at target.
struct BookPart {
    QString built;
    QString target;
    qsizetype first;
    qsizetype last;
};

// With giveUp (the same vector, owned by the caller) each item is emptied
// once its sheet is written, so a project of tens of thousands of windows
// does not hold its figures twice. Errors name the part's target.
void writeBook(const BookPart &part, const QVector<QuoteItem> &items, QVector<QuoteItem> *giveUp,
    const QuoteDetails &details, WorkbookScratch &tmpdir, SheetWriter &cells, int &done,
    const std::function<void(int)> &progress)
{
    // Written row by row: a sheet's cells leave memory as soon as its next
    // row begins, and the written rows wait in a temporary file per sheet.
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.libraryPath();
    std::unique_ptr<lxw_workbook, WorkbookFree> book(
        workbook_new_opt(QFile::encodeName(part.built).constData(), &options));
    if (!book)
        throw Error(QStringLiteral("无法创建工作簿 ") + nativePath(part.target));
    SheetNames names;
    auto addSheet = [&](const QString &name) {
        if (workbook_validate_sheet_name(book.get(), name.toUtf8().constData()) != LXW_NO_ERROR)
            throw Error(QStringLiteral("工作表名称无效: ") + name);
        lxw_worksheet *sheet = workbook_add_worksheet(book.get(), name.toUtf8().constData());
        if (!sheet)
            throw Error(QStringLiteral("无法添加工作表 ") + name);
        cells.setSheet(sheet);
    };

    const Formats formats(book.get());
    addSheet(names.take(quoteDetailSheetName()));
    const DetailRanges ranges = writeDetailSheet(cells, formats, details);
    // Every sheet is added before any is written: each keeps a temporary
    // file open until the workbook is closed, and the files of sheets not
    // yet written can be handed out in the order the close wants them.
    QVector<lxw_worksheet *> sheets;
    {
        const FreshSheetRows fresh;
        for (qsizetype i = part.first; i < part.last; ++i) {
            addSheet(names.take(items.at(i).sheet));
            sheets.append(cells.sheet());
        }
    }
    closeSheetFilesNewestFirst(sheets);
    for (qsizetype i = part.first; i < part.last; ++i) {
        cells.setSheet(sheets.at(i - part.first));
        priceExcel(cells, formats, items.at(i), details, ranges, done, progress);
        if (giveUp)
            (*giveUp)[i] = QuoteItem();
        tmpdir.checkRoom(part.target);
    }
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR)
        throw Error(QStringLiteral("无法写入文件 ") + nativePath(part.target) + QStringLiteral(": ")
            + QString::fromUtf8(lxw_strerror(closed)));
}

QuoteWorkbooks writeBooks(const QString &path, const QVector<QuoteItem> &items, QVector<QuoteItem> *giveUp,
    const QuoteDetails &details, const std::function<void(int)> &progress, QuoteWorkbookSplit split)
{
    const int perWorkbook = sheetsPerWorkbook();
    const int count = workbooksFor(items.size(), perWorkbook);
    if (count > 1 && split == QuoteWorkbookSplit::Refuse)
        throw Error(tooManySheetsText(items.size(), perWorkbook));
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(cannotMakeTempFolderText(scratch.errorString()));
    // The library's files of one workbook live until it is closed: a sheet
    // of a window is about 36 KB of text.
    constexpr qint64 kSheetBytes = 64 * 1024;
    WorkbookScratch tmpdir(kSheetBytes * std::min<qsizetype>(items.size() + 1, perWorkbook + 1));
    if (!tmpdir.isValid())
        throw Error(cannotMakeTempFolderText(tmpdir.errorString()));
    QuoteWorkbooks written;
    written.paths = count > 1 ? quoteWorkbookPartPaths(path, count) : QStringList {path};
    // Every part is built aside before any is put in place: a failure
    // leaves all the targets as they were.
    QList<BookPart> parts;
    const StreamedSheetMemory small;
    SheetWriter cells;
    int done = 0;
    for (int p = 0; p < count; ++p) {
        parts.append({scratch.filePath(QStringLiteral("book%1.xlsx").arg(p + 1)), written.paths.at(p),
            qsizetype(p) * perWorkbook, std::min<qsizetype>(items.size(), qsizetype(p + 1) * perWorkbook)});
        writeBook(parts.last(), items, giveUp, details, tmpdir, cells, done, progress);
    }
    // libxlsxwriter writes only to a named file: each workbook is copied
    // over its target in one step.
    for (const BookPart &part : parts) {
        copyFileAtomically(part.built, part.target);
        QFile::remove(part.built);
    }
    written.cutCells = cells.cutCells();
    return written;
}

} // namespace

int quoteWorkbookCount(const QuoteRun &run)
{
    return workbooksFor(run.result.items.size(), sheetsPerWorkbook());
}

QString tooManyQuoteSheetsText(const QuoteRun &run)
{
    return tooManySheetsText(run.result.items.size(), sheetsPerWorkbook());
}

QuoteWorkbooks writeQuoteWorkbook(const QString &path, const QuoteRun &run, const QuoteDetails &details,
    const std::function<void(int)> &progress, QuoteWorkbookSplit split)
{
    return writeBooks(path, run.result.items, nullptr, details, progress, split);
}

QuoteWorkbooks writeQuoteWorkbook(
    const QString &path, const QuoteRun &run, const std::function<void(int)> &progress, QuoteWorkbookSplit split)
{
    return writeQuoteWorkbook(path, run, loadQuoteDetails(run), progress, split);
}

QuoteWorkbooks writeQuoteWorkbook(
    const QString &path, QuoteRun &&run, const std::function<void(int)> &progress, QuoteWorkbookSplit split)
{
    const QuoteDetails details = loadQuoteDetails(run);
    QVector<QuoteItem> items = std::move(run.result.items);
    return writeBooks(path, items, &items, details, progress, split);
}

} // namespace tarvex
