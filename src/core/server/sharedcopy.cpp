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

// How a table's rows reach the target.
enum class CopyRule {
    Mirror, // the target becomes the source's copy
    Register, // a legal record: rows are only added, a row on both must be the same
    Counter, // numbers handed out: a counter is only raised, never lowered
};

struct CopyTable {
    QString name;
    QList<CopyColumn> columns;
    QList<int> key = {0}; // the key's columns; none: the rows are a list of entries
    QString order;
    bool pictures = false; // read a slice at a time, compared without the bytes
    CopyRule rule = CopyRule::Mirror;
    bool numbered = false; // the key is an ID a server hands out
};

// Rows of a library's templates read at a time: their pictures and workbooks are large.
constexpr int kSliceRows = 200;

CopyColumn text(const char *name)
{
    return {QString::fromUtf8(name), PriceColumnKind::Text};
}

CopyColumn real(const char *name)
{
    return {QString::fromUtf8(name), PriceColumnKind::Real};
}

CopyColumn whole(const char *name)
{
    return {QString::fromUtf8(name), PriceColumnKind::Number};
}

CopyTable tableOf(const QString &name)
{
    CopyTable table;
    table.name = name;
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
        table.numbered = true;
    } else if (name == QLatin1String("xmName") || name == QLatin1String("xcys")) {
        table.columns = {{name, PriceColumnKind::Text}};
        table.key = {};
        table.order = QStringLiteral(" ORDER BY rowid");
    } else if (name == QLatin1String("lcRemnant")) {
        table.columns = {whole("ID"), text("代号"), real("长度"), text("工程"), text("日期")};
        table.order = QStringLiteral(" ORDER BY ID");
        table.numbered = true;
    } else if (name == QLatin1String("lcCutConfirmed")) {
        table.columns = {whole("ID"), text("工程"), text("方案"), text("日期")};
        table.order = QStringLiteral(" ORDER BY ID");
        table.numbered = true;
    } else if (name == QLatin1String("bjOfferCount")) {
        table.columns = {text("编号键"), whole("序号")};
        table.order = QStringLiteral(" ORDER BY 编号键");
        table.rule = CopyRule::Counter;
    } else if (name == QLatin1String("bjOfferLine")) {
        table.columns = {text("编号"), whole("行号"), text("窗号"), text("门窗系列"), whole("樘数"), real("面积"),
            real("单价"), real("金额")};
        table.key = {0, 1};
        table.order = QStringLiteral(" ORDER BY 编号, 行号");
        table.rule = CopyRule::Register;
    } else if (name == QLatin1String("bjOffer")) {
        table.columns = {text("编号"), text("日期"), text("客户"), text("项目"), text("范围"), real("合计"),
            real("优惠"), real("税金"), real("总计"), text("原编号"), whole("修订"), real("原总计"), whole("有效期"),
            text("源文件"), text("面积依据"), text("主材损耗"), text("附件损耗"), text("玻璃损耗"), text("主材单价"),
            text("优惠方式"), real("优惠值"), real("税率"), text("出具时间"),
            {QStringLiteral("报价单"), PriceColumnKind::Text, true}};
        table.order = QStringLiteral(" ORDER BY 编号");
        table.rule = CopyRule::Register;
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
    QStringList parts;
    for (int column : table.key) {
        const QVariant &key = row.at(column);
        parts.append(table.columns.at(column).kind == PriceColumnKind::Number ? QString::number(key.toLongLong())
                                                                              : foldedKey(key.toString()));
    }
    return parts.join(QChar(0));
}

QString rowName(const CopyTable &table, const QVariantList &row)
{
    QString name = table.name;
    for (int column : table.key)
        name += QStringLiteral(" %1 “%2”").arg(table.columns.at(column).name, row.at(column).toString());
    return name;
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
        if (table.key.isEmpty())
            continue;
        const auto missing = std::find_if(table.key.begin(), table.key.end(),
            [&](int column) { return row.at(column).isNull() || row.at(column).toString().isEmpty(); });
        if (missing != table.key.end()) {
            problems.append(QStringLiteral("%1: 缺少%2").arg(table.name, table.columns.at(*missing).name));
            continue;
        }
        if (seen.contains(keyOf(table, row)))
            problems.append(QStringLiteral("%1与另一条记录重复 (字母大小写不计)").arg(rowName(table, row)));
        seen.insert(keyOf(table, row), 1);
    }
    return problems;
}

bool sameRow(const QVariantList &a, const QVariantList &b)
{
    for (int i = 0; i < a.size(); ++i)
        if (!sameValue(a.at(i), b.at(i)))
            return false;
    return true;
}

// A register's rows on both sides must be the same; those only on the
// target stay. A counter goes up to the source's, never down.
void countKept(const CopyTable &table, const QList<QVariantList> &from,
    const QHash<QString, const QVariantList *> &stored, TableCopyCount &count, QList<QVariantList> &written)
{
    for (const QVariantList &row : from) {
        const QVariantList *old = stored.value(keyOf(table, row));
        if (!old) {
            ++count.added;
            written.append(row);
        } else if (sameRow(row, *old)) {
            ++count.unchanged;
        } else if (table.rule == CopyRule::Counter) {
            if (row.at(1).toLongLong() > old->at(1).toLongLong()) {
                ++count.changed;
                written.append(row);
            } else {
                ++count.unchanged;
            }
        } else {
            count.invalid.append(QStringLiteral("%1: 两边的登记内容不同; 已登记的报价不能覆盖, 请核对后再复制")
                                     .arg(rowName(table, row)));
        }
    }
}

// The counts of the copy; written: the rows a register or counter gets.
TableCopyCount countCopy(const CopyTable &table, const QList<QVariantList> &from, const QList<QVariantList> &to,
    QList<QVariantList> &written)
{
    TableCopyCount count;
    count.table = table.name;
    count.invalid = problemsOf(table, from);
    if (table.key.isEmpty()) {
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
    if (table.rule != CopyRule::Mirror) {
        countKept(table, from, stored, count, written);
        return count;
    }
    for (const QVariantList &row : from) {
        const QVariantList *old = stored.take(keyOf(table, row));
        if (!old) {
            ++count.added;
            continue;
        }
        sameRow(row, *old) ? ++count.unchanged : ++count.changed;
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
}

// The rows as stored, bytes included, each read again by its key: the rows
// compared before carry only the LENGTH of each stored file.
QList<QVariantList> withBytes(const CopyTable &table, const QList<QVariantList> &rows, QSqlDatabase source)
{
    QStringList keys;
    for (int column : table.key)
        keys.append(table.columns.at(column).name + QStringLiteral("=?"));
    const QString sql
        = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
              .arg(namesOf(table, false).join(QLatin1Char(',')), table.name, keys.join(QStringLiteral(" AND ")));
    QList<QVariantList> full;
    for (const QVariantList &row : rows) {
        QVariantList values;
        for (int column : table.key)
            values.append(row.at(column));
        QSqlQuery query = sqlExec(sql, values, source);
        if (!query.next())
            continue;
        QVariantList stored;
        for (int i = 0; i < table.columns.size(); ++i)
            stored.append(query.value(i));
        full.append(stored);
    }
    return full;
}

// A register gets the rows it lacks; a counter its raised numbers.
void addKept(const CopyTable &table, const QList<QVariantList> &rows, QSqlDatabase source, QSqlDatabase target)
{
    if (table.rule == CopyRule::Counter) {
        for (const QVariantList &row : rows)
            sqlExec(QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(table.name, table.columns.at(0).name), {row.at(0)},
                target);
    }
    const bool bytes
        = std::any_of(table.columns.begin(), table.columns.end(), [](const CopyColumn &c) { return c.bytes; });
    if (!bytes) {
        insertRows(table, rows, target);
        return;
    }
    // Their stored files read a slice at a time, as the pictures are.
    for (qsizetype i = 0; i < rows.size(); i += kSliceRows)
        insertRows(table, withBytes(table, rows.mid(i, kSliceRows), source), target);
}

void requireWriting(const CopyTable &table, QSqlDatabase target)
{
    if (mayChangeTable(table.name, target))
        return;
    const bool prices = findPriceTable(table.name) || table.name == QLatin1String("lcStock");
    throw Error(QStringLiteral("%1: %2的用户 %3 不能修改表 %4; 请管理员把该用户加入角色 %5")
                    .arg(prices ? QStringLiteral("没有修改价格表的权限") : QStringLiteral("没有修改共享数据的权限"),
                        serverLabel(target), serverFacts(target).user, table.name, editorRoleName()));
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
    // An offer's lines go in before the offer: a recorded offer takes no new lines.
    return {QStringLiteral("lcName"), QStringLiteral("pjName"), QStringLiteral("blName"), QStringLiteral("FyTable"),
        QStringLiteral("lcStock"), QStringLiteral("lcRemnant"), QStringLiteral("lcCutConfirmed"),
        QStringLiteral("bjOfferCount"), QStringLiteral("bjOfferLine"), QStringLiteral("bjOffer")};
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
    QList<QList<QVariantList>> kept;
    const auto count = [&] {
        report.tables.clear();
        kept.clear();
        for (int i = 0; i < copies.size(); ++i) {
            if (!dryRun) {
                requireWriting(copies.at(i), target);
                lockForNumbering(copies.at(i).name, target);
            }
            kept.append(QList<QVariantList>());
            report.tables.append(
                countCopy(copies.at(i), sourceRows.at(i), readRows(copies.at(i), target), kept.last()));
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
            if (table.rule != CopyRule::Mirror) {
                addKept(table, kept.at(i), source, target);
                continue;
            }
            sqlExec(QStringLiteral("DELETE FROM ") + table.name, {}, target);
            if (table.pictures)
                copyPictures(table, source, target);
            else
                insertRows(table, sourceRows.at(i), target);
            if (table.numbered)
                continueRowNumbers(table.name, QStringLiteral("ID"), target);
        }
        report.written = true;
    });
    return report;
}

} // namespace tarvex
