#include "core/server/sharedcopy.h"

#include "core/common/db/bulkrows.h"
#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
#include "core/common/error.h"
#include "core/common/keytext.h"
#include "core/common/numbers.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/pricetables.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace tarvex {

namespace {

struct CopyColumn {
    QString name;
    PriceColumnKind kind = PriceColumnKind::Text;
    bool bytes = false;
};

struct CopyTable {
    QString name;
    QList<CopyColumn> columns;
    int key = 0; // the key's column; -1: the rows are a list of entries
    QString order;
    bool pictures = false; // read a slice at a time, compared without the bytes
};

// Rows of a library's templates read at a time: their pictures and workbooks are large.
constexpr int kSliceRows = 200;

CopyTable tableOf(const QString &name)
{
    CopyTable table {name, {}, 0, QString(), false};
    if (const PriceTable *prices = findPriceTable(name)) {
        for (const PriceColumn &c : priceColumns(name))
            table.columns.append({c.name, c.kind, false});
        table.order = prices->entryOrder();
    } else if (name == QLatin1String("lcStock")) {
        table.columns
            = {{QStringLiteral("代号"), PriceColumnKind::Text}, {QStringLiteral("定尺"), PriceColumnKind::Real}};
        table.order = QStringLiteral(" ORDER BY 代号");
    } else if (name == QLatin1String("data")) {
        table.columns = {{QStringLiteral("ID"), PriceColumnKind::Number}, {QStringLiteral("mc"), PriceColumnKind::Text},
            {QStringLiteral("xl"), PriceColumnKind::Text}, {QStringLiteral("bmp"), PriceColumnKind::Text, true},
            {QStringLiteral("xls"), PriceColumnKind::Text, true}, {QStringLiteral("bz"), PriceColumnKind::Text}};
        table.order = QStringLiteral(" ORDER BY ID");
        table.pictures = true;
    } else if (name == QLatin1String("xmName") || name == QLatin1String("xcys")) {
        table.columns = {{name, PriceColumnKind::Text}};
        table.key = -1;
        table.order = QStringLiteral(" ORDER BY rowid");
    } else {
        throw Error(QStringLiteral("不能复制的表: ") + name);
    }
    return table;
}

QStringList namesOf(const CopyTable &table, bool forComparison)
{
    QStringList names;
    for (const CopyColumn &c : table.columns)
        names.append(c.bytes && forComparison ? QStringLiteral("LENGTH(%1)").arg(c.name) : c.name);
    return names;
}

// Every row, pictures and workbooks by their size only.
QList<QVariantList> readRows(const CopyTable &table, QSqlDatabase db)
{
    QSqlQuery query = sqlExec(
        QStringLiteral("SELECT %1 FROM %2%3").arg(namesOf(table, true).join(QLatin1Char(',')), table.name, table.order),
        {}, db);
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < table.columns.size(); ++i)
            row.append(query.value(i));
        rows.append(row);
    }
    return rows;
}

bool isNumber(const QVariant &v)
{
    return numberKind(v) != NumberKind::None;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (isNumber(a) && isNumber(b))
        return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

QString keyOf(const CopyTable &table, const QVariantList &row)
{
    const QVariant &key = row.at(table.key);
    if (table.columns.at(table.key).kind == PriceColumnKind::Number)
        return QString::number(key.toLongLong());
    return foldedKey(key.toString());
}

QString rowName(const CopyTable &table, const QVariantList &row)
{
    if (table.key < 0)
        return table.name;
    return QStringLiteral("%1 %2 “%3”").arg(table.name, table.columns.at(table.key).name, row.at(table.key).toString());
}

// What the target could not take: a text where a number belongs (a file
// holds what it is given), a missing or repeated key.
QStringList problemsOf(const CopyTable &table, const QList<QVariantList> &rows)
{
    QStringList problems;
    QHash<QString, int> seen;
    for (const QVariantList &row : rows) {
        for (int i = 0; i < table.columns.size(); ++i) {
            const CopyColumn &c = table.columns.at(i);
            const QVariant &v = row.at(i);
            if (c.kind == PriceColumnKind::Text || c.bytes || v.isNull())
                continue;
            const bool integral = c.kind != PriceColumnKind::Real;
            if (!isNumber(v) || (integral && v.toDouble() != std::floor(v.toDouble())))
                problems.append(QStringLiteral("%1: %2 “%3”不是%4")
                                    .arg(rowName(table, row), c.name, v.toString(),
                                        integral ? QStringLiteral("整数") : QStringLiteral("数字")));
        }
        if (table.key < 0)
            continue;
        if (row.at(table.key).isNull() || row.at(table.key).toString().isEmpty()) {
            problems.append(QStringLiteral("%1: 缺少%2").arg(table.name, table.columns.at(table.key).name));
            continue;
        }
        if (seen.contains(keyOf(table, row)))
            problems.append(QStringLiteral("%1与另一条记录重复 (字母大小写不计)").arg(rowName(table, row)));
        seen.insert(keyOf(table, row), 1);
    }
    return problems;
}

TableCopyCount countCopy(const CopyTable &table, const QList<QVariantList> &from, const QList<QVariantList> &to)
{
    TableCopyCount count;
    count.table = table.name;
    count.invalid = problemsOf(table, from);
    if (table.key < 0) {
        QHash<QString, int> kept;
        for (const QVariantList &row : to)
            ++kept[row.at(0).toString()];
        for (const QVariantList &row : from) {
            int &left = kept[row.at(0).toString()];
            left > 0 ? (--left, ++count.unchanged) : ++count.added;
        }
        count.removed = int(to.size()) - count.unchanged;
        return count;
    }
    QHash<QString, const QVariantList *> stored;
    for (const QVariantList &row : to)
        stored.insert(keyOf(table, row), &row);
    for (const QVariantList &row : from) {
        const QVariantList *old = stored.take(keyOf(table, row));
        if (!old) {
            ++count.added;
            continue;
        }
        bool same = true;
        for (int i = 0; i < row.size() && same; ++i)
            same = sameValue(row.at(i), old->at(i));
        same ? ++count.unchanged : ++count.changed;
    }
    count.removed = int(stored.size());
    return count;
}

void insertRows(const CopyTable &table, const QList<QVariantList> &rows, QSqlDatabase db)
{
    BulkInsert insert(db, table.name, namesOf(table, false));
    for (const QVariantList &row : rows) {
        for (int i = 0; i < row.size(); ++i)
            insert.bind(i + 1, row.at(i));
        insert.execute();
    }
    insert.finish();
}

// The templates a slice at a time, in ID order.
void copyPictures(const CopyTable &table, QSqlDatabase source, QSqlDatabase target)
{
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE ID > ? ORDER BY ID LIMIT %3")
                            .arg(namesOf(table, false).join(QLatin1Char(',')), table.name)
                            .arg(kSliceRows);
    qint64 after = std::numeric_limits<qint64>::min();
    for (;;) {
        QList<QVariantList> rows;
        QSqlQuery query = sqlExec(sql, {after}, source);
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < table.columns.size(); ++i)
                row.append(query.value(i));
            after = row.at(0).toLongLong();
            rows.append(row);
        }
        if (rows.isEmpty())
            break;
        insertRows(table, rows, target);
    }
    continueRowNumbers(table.name, QStringLiteral("ID"), target);
}

void requireWriting(const CopyTable &table, QSqlDatabase target)
{
    if (mayChangeTable(table.name, target))
        return;
    throw Error(QStringLiteral("没有修改共享数据的权限: %1的用户 %2 不能修改表 %3; 请管理员把该用户加入角色 %4")
                    .arg(serverLabel(target), serverFacts(target).user, table.name, editorRoleName()));
}

} // namespace

QString TableCopyCount::counts() const
{
    return QStringLiteral("新增 %1 修改 %2 未变 %3 无效 %4 删除 %5")
        .arg(added)
        .arg(changed)
        .arg(unchanged)
        .arg(invalid.size())
        .arg(removed);
}

int CopyReport::invalidRows() const
{
    int rows = 0;
    for (const TableCopyCount &t : tables)
        rows += int(t.invalid.size());
    return rows;
}

QStringList CopyReport::lines() const
{
    QStringList lines;
    for (const TableCopyCount &t : tables) {
        lines.append(t.table + QStringLiteral(": ") + t.counts());
        for (const QString &problem : t.invalid)
            lines.append(QStringLiteral("  ") + problem);
    }
    return lines;
}

QStringList sharedPriceTables()
{
    return {QStringLiteral("lcName"), QStringLiteral("pjName"), QStringLiteral("blName"), QStringLiteral("FyTable"),
        QStringLiteral("lcStock")};
}

QStringList sharedLibraryTables()
{
    return {QStringLiteral("data"), QStringLiteral("xmName"), QStringLiteral("xcys")};
}

CopyReport copySharedTables(QSqlDatabase source, QSqlDatabase target, const QStringList &tables, bool dryRun)
{
    CopyReport report;
    const ReadTransaction fromSnapshot(source);
    QList<CopyTable> copies;
    QList<QList<QVariantList>> sourceRows;
    for (const QString &name : tables) {
        copies.append(tableOf(name));
        sourceRows.append(readRows(copies.last(), source));
    }
    // The counts are those of the state written over: the tables are held
    // against other writers before they are read.
    const auto count = [&] {
        report.tables.clear();
        for (int i = 0; i < copies.size(); ++i) {
            if (!dryRun) {
                requireWriting(copies.at(i), target);
                lockForNumbering(copies.at(i).name, target);
            }
            report.tables.append(countCopy(copies.at(i), sourceRows.at(i), readRows(copies.at(i), target)));
        }
    };
    if (dryRun) {
        const ReadTransaction toSnapshot(target);
        count();
        return report;
    }
    inTransaction(target, [&] {
        count();
        if (report.invalidRows() > 0)
            return;
        for (int i = 0; i < copies.size(); ++i) {
            const CopyTable &table = copies.at(i);
            sqlExec(QStringLiteral("DELETE FROM ") + table.name, {}, target);
            if (table.pictures)
                copyPictures(table, source, target);
            else
                insertRows(table, sourceRows.at(i), target);
        }
        report.written = true;
    });
    return report;
}

} // namespace tarvex
