#include "core/common/db/gridfilter.h"

#include "core/common/columnkind.h"
#include "core/common/db/dialect.h"
#include "core/common/db/sqlgridmodel.h"
#include "core/common/db/sqlquote.h"
#include "core/common/numbers.h"
#include "core/common/yesno.h"

#include <QStringList>

namespace tarvex {

namespace {

const QString kAll = QStringLiteral("全部");

// One condition as SQL, with the value it binds (invalid for none).
struct Term {
    QString sql;
    QVariant value;
};

Term termOf(const GridFilter::Condition &c)
{
    const QString &col = c.column;
    if (c.value.isEmpty())
        return {QStringLiteral("(") + col + QStringLiteral(" IS NULL OR ") + col + QStringLiteral("='')"), {}};
    switch (columnKind(col)) {
    case ColumnKind::YesNo:
        if (c.value == QStringLiteral("True"))
            return {col + QStringLiteral("<>0"), {}};
        if (c.value == QStringLiteral("False"))
            return {col + QStringLiteral("=0"), {}};
        break;
    case ColumnKind::Number: {
        double number = 0;
        if (parseNumber(c.value, &number))
            return {col + QStringLiteral("=?"), number};
        break; // a stray text in a number column is found as that text
    }
    case ColumnKind::Text:
        // As the tables' text columns compare (the fees' key included).
        return {col + QStringLiteral("=? COLLATE NOCASE"), c.value};
    }
    return {col + QStringLiteral("=?"), c.value};
}

QString joinedWhere(const QStringList &parts)
{
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

} // namespace

void GridFilter::choose(const QString &column, const QString &value)
{
    int at = 0;
    while (at < m_conditions.size() && m_conditions[at].column != column)
        ++at;
    if (value == kAll) {
        // Dropping the first condition, or one that is not there, drops all.
        m_conditions = at < m_conditions.size() ? m_conditions.mid(0, at) : QList<Condition>();
        return;
    }
    m_conditions = m_conditions.mid(0, at);
    // A yes/no column lists 是/否; the filter keeps the value as it is stored.
    bool yes = false;
    if (columnKind(column) == ColumnKind::YesNo && readYesNo(value, &yes))
        m_conditions.append({column, yes ? QStringLiteral("True") : QStringLiteral("False")});
    else
        m_conditions.append({column, value});
}

QString GridFilter::text() const
{
    QStringList parts;
    for (const Condition &c : m_conditions) {
        const ColumnKind kind = columnKind(c.column);
        double number = 0;
        const bool bare = (kind == ColumnKind::Number && parseNumber(c.value, &number))
            || (kind == ColumnKind::YesNo && (c.value == QStringLiteral("True") || c.value == QStringLiteral("False")));
        parts.append(c.column + QLatin1Char('=') + (bare ? c.value : SqlQuote(c.value)));
    }
    return joinedWhere(parts);
}

QString GridFilter::sql() const
{
    QStringList parts;
    for (const Condition &c : m_conditions)
        parts.append(termOf(c).sql);
    return joinedWhere(parts);
}

QVariantList GridFilter::values() const
{
    QVariantList values;
    for (const Condition &c : m_conditions) {
        const Term term = termOf(c);
        if (term.value.isValid())
            values.append(term.value);
    }
    return values;
}

QStringList filterListValues(const QString &source, const QString &column, const GridFilter &filter, QSqlDatabase db)
{
    // Each value spelt as in its first row, Null first, on every engine.
    QSqlQuery query = sqlExec(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ")
            + groupedRows(source, column, db, rowOrderOf(source)) + filter.sql() + QStringLiteral(" GROUP BY ") + column
            + QStringLiteral(" ORDER BY ") + column + QStringLiteral(" NULLS FIRST"),
        filter.values(), db);
    QStringList values;
    bool blank = false;
    while (query.next()) {
        const QString text = SqlGridModel::displayText(query.value(0), column);
        if (text.isEmpty()) {
            if (blank)
                continue;
            blank = true;
        }
        values.append(text);
    }
    return values;
}

} // namespace tarvex
