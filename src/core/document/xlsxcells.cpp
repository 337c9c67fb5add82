#include "core/document/xlsxcells.h"

#include "core/common/error.h"

namespace tarvex {

QString cellRef(int row, int col, bool absolute)
{
    char name[LXW_MAX_CELL_NAME_LENGTH];
    lxw_rowcol_to_cell_abs(name, lxw_row_t(row), lxw_col_t(col), absolute, absolute);
    return QString::fromLatin1(name);
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

QString cutCellsNote(int cells)
{
    if (cells <= 0)
        return QString();
    return QStringLiteral("有%1个单元格的文字超过%2个字符, 已截断到这个长度.").arg(cells).arg(kMaxCellChars);
}

QByteArray SheetWriter::fitted(const QString &text)
{
    bool cut = false;
    QByteArray utf8 = cellText(text, &cut);
    m_cutCells += cut ? 1 : 0;
    return utf8;
}

void SheetWriter::text(int row, int col, const QString &text, lxw_format *format)
{
    if (text.isEmpty()) {
        blank(row, col, format);
        return;
    }
    check(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col), fitted(text).constData(), format));
}

void SheetWriter::mergedText(
    int firstRow, int firstCol, int lastRow, int lastCol, const QString &text, lxw_format *format)
{
    check(worksheet_merge_range(m_sheet, lxw_row_t(firstRow), lxw_col_t(firstCol), lxw_row_t(lastRow),
        lxw_col_t(lastCol), fitted(text).constData(), format));
}

void SheetWriter::number(int row, int col, double value, lxw_format *format)
{
    check(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(col), value, format));
}

void SheetWriter::blank(int row, int col, lxw_format *format)
{
    check(worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(col), format));
}

void SheetWriter::formula(int row, int col, const QString &formula, double cached, lxw_format *format)
{
    check(worksheet_write_formula_num(
        m_sheet, lxw_row_t(row), lxw_col_t(col), formula.toUtf8().constData(), format, cached));
}

} // namespace tarvex
