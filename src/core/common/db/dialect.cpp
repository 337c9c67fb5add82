#include "core/common/db/dialect.h"

#include "core/common/db/engine.h"

#include <QRegularExpression>

namespace tarvex {

QString workingRowOrder(const QSqlDatabase &db)
{
    return onServer(db) ? QStringLiteral(" ORDER BY rowid") : QString();
}

QString groupedRows(const QString &source, const QString &keys, const QSqlDatabase &db, const QString &rowOrder)
{
    if (!onServer(db))
        return source;
    QStringList order;
    for (const QString &key : keys.split(QLatin1Char(',')))
        order.append(key.trimmed() + QStringLiteral(" NULLS FIRST"));
    order.append(rowOrder);
    return QStringLiteral("(SELECT * FROM %1 ORDER BY %2) AS %1").arg(source, order.join(QLatin1Char(',')));
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
