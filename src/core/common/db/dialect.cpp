#include "core/common/db/dialect.h"

#include "core/common/db/engine.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

namespace tarvex {

namespace {

QString nullsFirst(const QStringList &terms)
{
    QStringList order;
    for (const QString &term : terms)
        order.append(term + QStringLiteral(" NULLS FIRST"));
    return order.join(QLatin1Char(','));
}

QStringList trimmedTerms(const QString &list)
{
    QStringList terms;
    for (const QString &term : list.split(QLatin1Char(',')))
        terms.append(term.trimmed());
    return terms;
}

// The items of a select list: split at the commas outside parentheses.
QStringList selectItems(const QString &list)
{
    QStringList items;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list.at(i);
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            items.append(list.mid(start, i - start));
            start = i + 1;
        }
    }
    items.append(list.mid(start));
    return items;
}

// The group's first value, Null included, in the order its rows come.
QString firstOfGroup(const QString &expression)
{
    return QStringLiteral("(array_agg(%1))[1]").arg(expression);
}

// FIRST(x) written as the first element of the group's values: the
// server's own array_agg needs no call of a procedural function per row.
QString withFirstAsArray(const QString &item)
{
    static const QRegularExpression first(QStringLiteral("\\bFIRST\\s*\\("), QRegularExpression::CaseInsensitiveOption);
    QString written;
    qsizetype from = 0;
    for (QRegularExpressionMatch m = first.match(item); m.hasMatch(); m = first.match(item, from)) {
        qsizetype end = m.capturedEnd();
        for (int depth = 1; end < item.size() && depth > 0; ++end)
            depth += item.at(end) == QLatin1Char('(') ? 1 : item.at(end) == QLatin1Char(')') ? -1 : 0;
        written += item.mid(from, m.capturedStart() - from)
            + firstOfGroup(item.mid(m.capturedEnd(), end - 1 - m.capturedEnd()));
        from = end;
    }
    return written + item.mid(from);
}

// The columns of source, named as stored; caseless (in lower case): those the
// server compares as citext under a collation of byte order (lower case),
// whose order is that of their texts lowered in ASCII and compared byte by
// byte.
struct SourceColumns {
    QStringList names;
    QSet<QString> caseless;
};

SourceColumns sourceColumns(const QString &source, const QSqlDatabase &db)
{
    SourceColumns columns;
    QSqlQuery query
        = sqlExec(QStringLiteral("SELECT a.attname, t.typname = 'citext' AND c.collcollate = 'C' AND "
                                 "c.collctype = 'C' FROM pg_attribute a "
                                 "JOIN pg_type t ON t.oid = a.atttypid "
                                 "LEFT JOIN pg_collation c ON c.oid = a.attcollation "
                                 "WHERE a.attrelid = to_regclass(?) AND a.attnum > 0 AND NOT a.attisdropped "
                                 "ORDER BY a.attnum"),
            {source}, db);
    while (query.next()) {
        const QString name = query.value(0).toString();
        columns.names.append(name);
        if (query.value(1).toBool())
            columns.caseless.insert(name.toLower());
    }
    return columns;
}

// The columns of source that the grouped query may name: every one whose
// name occurs in its text (the sort then carries only those), or all.
QString namedColumns(const SourceColumns &columns, const QString &text)
{
    QStringList named;
    for (const QString &name : columns.names)
        if (text.contains(name, Qt::CaseInsensitive))
            named.append(QLatin1Char('"') + name + QLatin1Char('"'));
    return named.isEmpty() ? QStringLiteral("*") : named.join(QLatin1Char(','));
}

} // namespace

QString workingRowOrder(const QSqlDatabase &db)
{
    return onServer(db) ? QStringLiteral(" ORDER BY rowid") : QString();
}

QString groupedRows(const QString &source, const QString &keys, const QSqlDatabase &db, const QString &rowOrder)
{
    if (!onServer(db))
        return source;
    return QStringLiteral("(SELECT * FROM %1 ORDER BY %2,%3) AS %1")
        .arg(source, nullsFirst(trimmedTerms(keys)), rowOrder);
}

QString groupedQuery(
    const QString &fields, const QString &source, const QString &keys, const QSqlDatabase &db, const QString &rowOrder)
{
    const QString select = QStringLiteral("SELECT %1 FROM %2 GROUP BY %3 ORDER BY %4");
    const QStringList keyList = trimmedTerms(keys);
    if (!onServer(db))
        return select.arg(fields, source, keys, nullsFirst(keyList));
    // Each caseless key lowered once per row; the groups are those of the
    // lowered texts, their own texts read from the first row.
    const SourceColumns columns = sourceColumns(source, db);
    const QSet<QString> &caseless = columns.caseless;
    QStringList loweredKeys;
    QStringList groupTerms;
    for (const QString &key : keyList) {
        if (!caseless.contains(key.toLower())) {
            groupTerms.append(key);
            continue;
        }
        groupTerms.append(QStringLiteral("grouping_key_%1").arg(groupTerms.size() + 1));
        loweredKeys.append(QStringLiteral(", lower(CAST(%1 AS text) COLLATE \"C\") AS %2").arg(key, groupTerms.last()));
    }
    QStringList items;
    for (const QString &item : selectItems(fields)) {
        const QString bare = item.trimmed();
        const bool loweredKey = keyList.contains(bare) && caseless.contains(bare.toLower());
        items.append(loweredKey ? firstOfGroup(bare) + QStringLiteral(" AS ") + bare : withFirstAsArray(item));
    }
    const QString order = nullsFirst(groupTerms);
    const QString rows = QStringLiteral("(SELECT %1%2 FROM %3 ORDER BY %4,%5) AS %3")
                             .arg(namedColumns(columns, fields + QLatin1Char(',') + keys + QLatin1Char(',') + rowOrder),
                                 loweredKeys.join(QString()), source, order, rowOrder);
    return select.arg(items.join(QLatin1Char(',')), rows, groupTerms.join(QLatin1Char(',')), order);
}

QString rowOrderOf(const QString &source)
{
    for (const char *numbered : {"lcName", "pjName", "blName"})
        if (source.compare(QLatin1String(numbered), Qt::CaseInsensitive) == 0)
            return QStringLiteral("编号");
    return QStringLiteral("rowid");
}

QString exactTextEquals(const QString &column, const QSqlDatabase &db)
{
    if (onServer(db))
        return QStringLiteral("CAST(%1 AS text) COLLATE \"C\" = ?").arg(column);
    return column + QStringLiteral("=? COLLATE BINARY");
}

QStringList columnNames(const QSqlRecord &record, const QString &sql, const QSqlDatabase &db)
{
    QStringList names;
    for (int i = 0; i < record.count(); ++i) {
        QString name = record.fieldName(i);
        if (onServer(db) && !name.isEmpty() && name == name.toLower()) {
            const QRegularExpression written(
                QStringLiteral("\\b") + QRegularExpression::escape(name) + QStringLiteral("\\b"),
                QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch match = written.match(sql);
            if (match.hasMatch())
                name = match.captured(0);
        }
        names.append(name);
    }
    return names;
}

void lockForNumbering(const QString &table, QSqlDatabase db)
{
    // SHARE ROW EXCLUSIVE: others may read on, but no one else writes the
    // table or takes this lock until the transaction ends.
    if (onServer(db))
        sqlExec(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(table), {}, db);
}

void continueRowNumbers(const QString &table, const QString &column, QSqlDatabase db)
{
    if (onServer(db))
        sqlExec(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), COALESCE(MAX(%2), 0) + 1, false) FROM %1")
                    .arg(table, column),
            {table.toLower(), column.toLower()}, db);
}

bool mayChangeTable(const QString &table, QSqlDatabase db)
{
    if (!onServer(db))
        return true;
    return sqlScalar(QStringLiteral("SELECT has_table_privilege(?, 'INSERT') AND has_table_privilege(?, 'UPDATE') "
                                    "AND has_table_privilege(?, 'DELETE')"),
        {table, table, table}, db)
        .toBool();
}

} // namespace tarvex
