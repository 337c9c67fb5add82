#include "core/library/picklists.h"

#include "core/common/db/database.h"
#include "core/common/error.h"

#include <QSqlQuery>

namespace tarvex {

namespace {

// Table and column share the name.
QString tableOf(PickList list)
{
    return list == PickList::ItemNames ? QStringLiteral("xmName") : QStringLiteral("xcys");
}

// The first row holding the text, for delete and rename.
QString firstRowOf(const QString &table)
{
    return QStringLiteral("(SELECT MIN(rowid) FROM %1 WHERE %1 = ?)").arg(table);
}

void checkOneRow(const QSqlQuery &query, PickList list, const QString &text)
{
    if (query.numRowsAffected() != 1)
        throw Error(QStringLiteral("%1中没有\"%2\"").arg(pickListCaption(list), text));
}

} // namespace

QString pickListCaption(PickList list)
{
    return list == PickList::ItemNames ? QStringLiteral("项目名称") : QStringLiteral("型材颜色");
}

QStringList readPickList(QSqlDatabase db, PickList list)
{
    const QString table = tableOf(list);
    QSqlQuery query = sqlExec(QStringLiteral("SELECT %1 FROM %1 ORDER BY rowid").arg(table), {}, db);
    QStringList entries;
    while (query.next())
        entries.append(query.value(0).toString());
    return entries;
}

void addPickEntry(QSqlDatabase db, PickList list, const QString &text)
{
    sqlExec(QStringLiteral("INSERT INTO %1 (%1) VALUES (?)").arg(tableOf(list)), {text}, db);
}

void deletePickEntry(QSqlDatabase db, PickList list, const QString &text)
{
    const QString table = tableOf(list);
    checkOneRow(sqlExec(QStringLiteral("DELETE FROM %1 WHERE rowid = ").arg(table) + firstRowOf(table), {text}, db),
        list, text);
}

void renamePickEntry(QSqlDatabase db, PickList list, const QString &oldText, const QString &newText)
{
    const QString table = tableOf(list);
    checkOneRow(sqlExec(QStringLiteral("UPDATE %1 SET %1 = ? WHERE rowid = ").arg(table) + firstRowOf(table),
                    {newText, oldText}, db),
        list, oldText);
}

} // namespace tarvex
