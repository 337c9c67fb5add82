#include "core/document/xlsxcells.h"

#include "core/common/error.h"

namespace tarvex {

QString cellRef(int row, int col, bool absolute)
{
    QString letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    const QString dollar = absolute ? QStringLiteral("$") : QString();
    return dollar + letters + dollar + QString::number(row + 1);
}

QString formulaText(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

void check(lxw_error result)
{
    if (result != LXW_NO_ERROR)
        throw Error(QStringLiteral("写入工作簿失败: ") + QString::fromUtf8(lxw_strerror(result)));
}

lxw_format *addCellFormat(lxw_workbook *book, bool bordered)
{
    lxw_format *f = workbook_add_format(book);
    format_set_font_name(f, "宋体");
    format_set_font_size(f, 10);
    format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    if (bordered)
        format_set_border(f, LXW_BORDER_THIN);
    return f;
}

namespace {

CutCellCount *g_cutCount = nullptr;

} // namespace

QByteArray cellText(const QString &text, bool *cut)
{
    *cut = text.size() > kMaxCellChars;
    if (!*cut)
        return text.toUtf8();
    qsizetype length = kMaxCellChars;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return QStringView(text).first(length).toUtf8();
}

CutCellCount::CutCellCount()
    : m_outer(g_cutCount)
{
    g_cutCount = this;
}

CutCellCount::~CutCellCount()
{
    g_cutCount = m_outer;
}

void CutCellCount::add()
{
    if (g_cutCount)
        ++g_cutCount->m_cells;
}

QString cutCellsNote(int cells)
{
    if (cells <= 0)
        return QString();
    return QStringLiteral("有%1个单元格的文字超过%2个字符, 已截断到这个长度.").arg(cells).arg(kMaxCellChars);
}

void writeText(lxw_worksheet *sheet, int row, int col, const QString &text, lxw_format *format)
{
    if (text.isEmpty()) {
        check(worksheet_write_blank(sheet, lxw_row_t(row), lxw_col_t(col), format));
        return;
    }
    bool cut = false;
    const QByteArray utf8 = cellText(text, &cut);
    if (cut)
        CutCellCount::add();
    check(worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col), utf8.constData(), format));
}

void writeMergedText(
    lxw_worksheet *sheet, int firstRow, int firstCol, int lastRow, int lastCol, const QString &text, lxw_format *format)
{
    bool cut = false;
    const QByteArray utf8 = cellText(text, &cut);
    if (cut)
        CutCellCount::add();
    check(worksheet_merge_range(sheet, lxw_row_t(firstRow), lxw_col_t(firstCol), lxw_row_t(lastRow), lxw_col_t(lastCol),
        utf8.constData(), format));
}

void writeFormula(lxw_worksheet *sheet, int row, int col, const QString &formula, double cached, lxw_format *format)
{
    check(worksheet_write_formula_num(
        sheet, lxw_row_t(row), lxw_col_t(col), formula.toUtf8().constData(), format, cached));
}

} // namespace tarvex
