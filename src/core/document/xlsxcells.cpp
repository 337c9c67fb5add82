#include "document/xlsxcells.h"

#include "common/error.h"

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

void writeText(lxw_worksheet *sheet, int row, int col, const QString &text, lxw_format *format)
{
    if (text.isEmpty())
        check(worksheet_write_blank(sheet, lxw_row_t(row), lxw_col_t(col), format));
    else
        check(worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col), text.toUtf8().constData(), format));
}

void writeFormula(lxw_worksheet *sheet, int row, int col, const QString &formula, double cached, lxw_format *format)
{
    check(worksheet_write_formula_num(
        sheet, lxw_row_t(row), lxw_col_t(col), formula.toUtf8().constData(), format, cached));
}

} // namespace tarvex
