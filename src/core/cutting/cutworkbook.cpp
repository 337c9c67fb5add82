#include "core/cutting/cutworkbook.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/cutting/cutpages.h"
#include "core/cutting/cutsummary.h"
#include "core/cutting/remnants.h"
#include "core/document/sheetnames.h"
#include "core/document/xlsxcells.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace tarvex {

namespace {

struct Formats {
    lxw_format *title;
    lxw_format *heading;
    lxw_format *text;
    lxw_format *metres; // "0.000"
    QVector<lxw_format *> numbers; // by summary column

    Formats(lxw_workbook *book, CutUnit unit)
    {
        auto make = [&] {
            lxw_format *f = workbook_add_format(book);
            format_set_font_name(f, "宋体");
            format_set_font_size(f, 10);
            return f;
        };
        title = make();
        format_set_bold(title);
        format_set_font_size(title, 14);
        heading = make();
        format_set_bold(heading);
        format_set_bg_color(heading, 0xE8E8E8);
        format_set_border(heading, LXW_BORDER_THIN);
        format_set_align(heading, LXW_ALIGN_CENTER);
        text = make();
        format_set_border(text, LXW_BORDER_THIN);
        metres = make();
        format_set_border(metres, LXW_BORDER_THIN);
        format_set_num_format(metres, "0.000");
        for (const QString &pattern : cutSummaryFormats(unit)) {
            lxw_format *f = make();
            format_set_border(f, LXW_BORDER_THIN);
            if (!pattern.isEmpty())
                format_set_num_format(f, pattern.toUtf8().constData());
            numbers.append(f);
        }
    }
    lxw_format *length() const { return numbers[3]; } // of the plan's unit
};

void writeValue(
    SheetWriter &sheet, int row, int col, const QVariant &value, lxw_format *numberFormat, lxw_format *textFormat)
{
    const int type = value.typeId();
    if (value.isNull())
        sheet.blank(row, col, textFormat);
    else if (type == QMetaType::Double || type == QMetaType::Int)
        sheet.number(row, col, value.toDouble(), numberFormat);
    else
        sheet.text(row, col, value.toString(), textFormat);
}

void writeHeadings(SheetWriter &sheet, int row, const QStringList &headings, const Formats &f)
{
    for (int c = 0; c < headings.size(); ++c)
        sheet.text(row, c, headings[c], f.heading);
}

void summarySheet(lxw_workbook *book, SheetWriter &sheet, const Formats &f, const CutPlan &plan)
{
    sheet.setSheet(workbook_add_worksheet(book, "汇总"));
    if (!sheet.sheet())
        throw Error(QStringLiteral("无法添加工作表: 汇总"));
    sheet.text(0, 0, QStringLiteral("下料优化"), f.title);
    const CutUnit unit = plan.settings.unit;
    const QString u = QLatin1Char(' ') + unitName(unit);
    sheet.text(1, 0,
        QStringLiteral("默认定尺 ") + formatPlanLength(plan.settings.stock, unit) + u + QStringLiteral("  锯缝 ")
            + formatPlanLength(plan.settings.kerf, unit) + u + QStringLiteral("  端头切除 ")
            + formatPlanLength(plan.settings.trim, unit) + u,
        nullptr);
    const QStringList headings = cutSummaryHeadings(unit);
    writeHeadings(sheet, 3, headings, f);
    int row = 4;
    for (const CodePlan &code : plan.codes) {
        const QVariantList values = cutSummaryValues(code, unit);
        for (int c = 0; c < values.size(); ++c)
            writeValue(sheet, row, c, values[c], f.numbers[c], f.text);
        ++row;
    }
    const QVariantList totals = cutTotalValues(plan);
    for (int c = 0; c < totals.size(); ++c)
        writeValue(sheet, row, c, totals[c], f.numbers[c], f.text);
    row += 2;
    auto listPieces = [&](const QString &title, const QVector<CutPiece> &pieces) {
        if (pieces.isEmpty())
            return;
        sheet.text(row++, 0, title, nullptr);
        writeHeadings(sheet, row++,
            {QStringLiteral("代号"), QStringLiteral("门窗系列"), QStringLiteral("窗号"), QStringLiteral("长度 m")}, f);
        // Left out: their lengths as the messages give them, in metres.
        for (const CutPiece &p : pieces) {
            sheet.text(row, 0, p.code, f.text);
            sheet.text(row, 1, p.series, f.text);
            sheet.text(row, 2, p.window, f.text);
            writeValue(sheet, row, 3, std::isfinite(p.length) ? QVariant(p.length) : QVariant(), f.metres, f.text);
            ++row;
        }
        ++row;
    };
    listPieces(QStringLiteral("超过定尺、未排入下料的切割"), plan.tooLong);
    listPieces(QStringLiteral("长度无效、未排入下料的切割"), plan.invalid);
    check(worksheet_set_column(sheet.sheet(), 0, 0, 12, nullptr));
    check(worksheet_set_column(sheet.sheet(), 1, 1, 18, nullptr));
    check(worksheet_set_column(sheet.sheet(), 2, lxw_col_t(headings.size() - 1), 10, nullptr));
}

// A length as a number in the plan's unit.
double lengthIn(double metres, CutUnit unit)
{
    return unit == CutUnit::Metre ? fromCutUnits(toCutUnits(metres)) : double(toCutUnits(metres)) / 10;
}

// Bar by bar, one row per cut; the bar's number, what it is cut from and its
// offcut on its first row.
void codeSheet(lxw_workbook *book, SheetWriter &sheet, const Formats &f, const CodePlan &code, const CutPlan &plan,
    const QString &name)
{
    sheet.setSheet(workbook_add_worksheet(book, name.toUtf8().constData()));
    if (!sheet.sheet())
        throw Error(QStringLiteral("无法添加工作表: ") + name);
    const CutUnit unit = plan.settings.unit;
    const QString u = QLatin1Char(' ') + unitName(unit);
    QString title = QStringLiteral("代号 ") + code.code;
    if (!code.name.isEmpty())
        title += QStringLiteral("  ") + code.name;
    title += QStringLiteral("  定尺 ") + formatPlanLength(code.stockMetres(), unit) + u + QStringLiteral("  用料 ")
        + QString::number(code.newBars()) + QStringLiteral(" 根  理论最少 ") + QString::number(code.lowerBound())
        + QStringLiteral(" 根");
    sheet.text(0, 0, title, f.title);
    writeHeadings(sheet, 2,
        {QStringLiteral("根号"), QStringLiteral("来料"), QStringLiteral("序号"), QStringLiteral("长度") + u,
            QStringLiteral("门窗系列"), QStringLiteral("窗号"), QStringLiteral("余料") + u},
        f);
    int row = 3;
    for (int b = 0; b < code.bars.size(); ++b) {
        const CutBar &bar = code.bars[b];
        const QString source = bar.remnant ? fetchText(code.code, *bar.remnant, unit)
                                           : QStringLiteral("新料 ") + formatPlanLength(fromCutUnits(bar.length), unit);
        for (int k = 0; k < bar.cuts.size(); ++k) {
            const CutPiece &p = code.pieces[bar.cuts[k]];
            writeValue(sheet, row, 0, k == 0 ? QVariant(b + 1) : QVariant(), f.numbers[2], f.text);
            writeValue(sheet, row, 1, k == 0 ? QVariant(source) : QVariant(), f.text, f.text);
            writeValue(sheet, row, 2, k + 1, f.numbers[2], f.text);
            writeValue(sheet, row, 3, lengthIn(p.length, unit), f.length(), f.text);
            sheet.text(row, 4, p.series, f.text);
            sheet.text(row, 5, p.window, f.text);
            writeValue(sheet, row, 6, k == 0 ? QVariant(lengthIn(fromCutUnits(bar.offcut), unit)) : QVariant(),
                f.length(), f.text);
            ++row;
        }
    }
    check(worksheet_set_column(sheet.sheet(), 0, 0, 7, nullptr));
    check(worksheet_set_column(sheet.sheet(), 1, 1, 14, nullptr));
    check(worksheet_set_column(sheet.sheet(), 2, 3, 9, nullptr));
    check(worksheet_set_column(sheet.sheet(), 4, 4, 16, nullptr));
    check(worksheet_set_column(sheet.sheet(), 5, 6, 10, nullptr));
    worksheet_freeze_panes(sheet.sheet(), 3, 0);
}

struct BookCloser {
    void operator()(lxw_workbook *book) const { workbook_close(book); }
};

} // namespace

void writeCutWorkbook(const QString &path, const CutPlan &plan)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(cannotMakeTempFolderText(scratch.errorString()));
    const QString built = scratch.filePath(QStringLiteral("cut.xlsx"));
    std::unique_ptr<lxw_workbook, BookCloser> book(workbook_new(QFile::encodeName(built).constData()));
    if (!book)
        throw Error(QStringLiteral("无法创建工作簿 ") + QDir::toNativeSeparators(path));
    const Formats formats(book.get(), plan.settings.unit);
    SheetWriter sheet;
    summarySheet(book.get(), sheet, formats, plan);
    SheetNames names;
    names.take(QStringLiteral("汇总"));
    for (const CodePlan &code : plan.codes)
        codeSheet(book.get(), sheet, formats, code, plan, names.take(code.code, QStringLiteral("主材")));
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR)
        throw Error(cannotWriteText(path, QString::fromUtf8(lxw_strerror(closed))));
    QFile file(built);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(cannotWriteText(path, file.errorString()));
    saveFileAtomically(path, file.readAll());
}

QString defaultCutWorkbookPath()
{
    const QDir folder(programFile(QStringLiteral("temp1")));
    const QString stem
        = QStringLiteral("下料优化-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder.filePath(stem + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral("-%1.xlsx").arg(n));
    return path;
}

} // namespace tarvex
