#include "common/filtertext.h"

#include "common/numbers.h"
#include "common/sqlquote.h"

#include <QList>

namespace tarvex {

namespace {

const QString kWhere = QStringLiteral(" WHERE ");
const QString kAnd = QStringLiteral(" AND ");

// 0-based position of the condition on col, or -1. Only the starts of
// conditions are looked at (outside quoted values), so a column name that
// happens to stand inside a value is not taken for a condition.
int conditionPosition(const QString &filter, const QString &col)
{
    QList<int> starts;
    if (filter.startsWith(kWhere))
        starts.append(kWhere.size());
    bool inQuote = false;
    for (int i = 0; i < filter.size(); ++i) {
        if (filter[i] == QLatin1Char('\''))
            inQuote = !inQuote;
        else if (!inQuote && filter.mid(i, kAnd.size()) == kAnd)
            starts.append(i + kAnd.size());
    }
    for (int start : starts)
        if (filter.mid(start, col.size() + 1) == col + QLatin1Char('='))
            return start;
    return -1;
}

} // namespace

QString filterValueLiteral(const QString &value)
{
    if (parseNumber(value, nullptr))
        return value;
    if (value == QStringLiteral("True") || value == QStringLiteral("False"))
        return value;
    return SqlQuote(value);
}

QString updateFilterText(const QString &filterText, const QString &col, const QString &value)
{
    const int p = conditionPosition(filterText, col); // 0-based
    if (value != QStringLiteral("全部")) {
        const QString condition = col + QLatin1Char('=') + filterValueLiteral(value);
        if (filterText.isEmpty())
            return kWhere + condition;
        if (p >= 0)
            return filterText.left(p) + condition;
        return filterText + kAnd + condition;
    }
    if (filterText.isEmpty())
        return QString();
    // Dropping " AND " keeps the blank before it: " WHERE 系列='A' ".
    const int keep = p - 4;
    if (p >= 0 && keep > 5)
        return filterText.left(keep);
    return QString();
}

} // namespace tarvex
