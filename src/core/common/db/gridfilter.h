#pragma once

#include "core/common/db/database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace tarvex {

// The filter of a grid window: the (column, value) pairs chosen in the
// filter list, in the order they were chosen. Choosing value v on column c:
// - a value other than "全部" adds the condition c=v, or replaces the
//   condition on c already present together with every condition after it;
// - "全部" removes the condition on c and every one after it (the whole
//   filter when c is the first condition or not filtered at all).
// Texts are always compared as text and numbers as numbers, whatever they
// look like; the blank value finds Null as well as '' (the grid shows both
// alike).
class GridFilter {
public:
    struct Condition {
        QString column;
        QString value; // as the grid shows it
    };

    void choose(const QString &column, const QString &value);
    void clear() { m_conditions.clear(); }
    bool isEmpty() const { return m_conditions.isEmpty(); }
    const QList<Condition> &conditions() const { return m_conditions; }

    // What the status bar shows: " WHERE 系列='A' AND 编号=12", or empty.
    QString text() const;

    // The SQL tail with placeholders (" WHERE 系列=? AND 编号=?", or empty)
    // and the values to bind to them in order.
    QString sql() const;
    QVariantList values() const;

private:
    QList<Condition> m_conditions;
};

// What the filter list offers for column of source (a table or view) under
// filter, after "全部": the distinct values as the grid shows them, in the
// column's order; Null and '' together as one blank entry. Throws Error.
QStringList filterListValues(
    const QString &source, const QString &column, const GridFilter &filter, QSqlDatabase db = Database::shared());

} // namespace tarvex
