#include "core/quote/quotegroups.h"

#include "core/common/db/bulkrows.h"
#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/keytext.h"
#include "core/quote/scopegrouping.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <functional>

namespace tarvex {

namespace {

using Scope = QuoteOptions::Scope;

// Class names, units and remarks repeat in every scope item: the items share
// one copy of each text, found by its stored bytes, so that a text is
// decoded once however many groups hold it.
class TextPool {
public:
    template <typename Row> QString operator()(const Row &row, int column)
    {
        if (row.isNull(column))
            return QString();
        if (row.isInteger(column) || row.isReal(column))
            return row.value(column).toString();
        const QByteArrayView utf8 = row.utf8(column);
        const auto found = m_texts.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
        if (found != m_texts.constEnd())
            return *found;
        const QByteArray key = utf8.toByteArray();
        const QString text = QString::fromUtf8(key);
        m_texts.insert(key, text);
        return text;
    }

    // A group made by the program has its texts decoded once already.
    QString operator()(const GroupRow &row, int column) { return row.text(column); }

private:
    QHash<QByteArray, QString> m_texts;
};

QString scopeColumn(Scope scope)
{
    switch (scope) {
    case Scope::Series:
        return QStringLiteral("门窗系列");
    case Scope::Window:
        return QStringLiteral("窗号");
    case Scope::Whole:
        break;
    }
    return QString();
}

QString areaColumn(QuoteOptions::AreaBasis basis)
{
    return basis == QuoteOptions::AreaBasis::Opening ? QStringLiteral("洞口面积") : QStringLiteral("框面积");
}

// A field of a kind's grouped query; the keys are its grouping, in their
// order. The text keys' columns compare letter case aside.
struct KindField {
    GroupField field;
    QString expression;
    QString name;
};

// The grouped query of one material kind: the quotation's own fields, then
// the number of the group's rows without a price.
struct KindQuery {
    QString view;
    QVector<KindField> fields;

    int fieldCount() const { return int(fields.size()); }

    QString select() const
    {
        QStringList terms;
        for (const KindField &f : fields) {
            switch (f.field) {
            case GroupField::Key:
            case GroupField::TextKey:
                terms.append(f.expression);
                break;
            case GroupField::Sum:
                terms.append(QStringLiteral("SUM(%1) AS %2").arg(f.expression, f.name));
                break;
            case GroupField::First:
                terms.append(QStringLiteral("FIRST(%1) AS %2").arg(f.expression, f.name));
                break;
            case GroupField::NullCount:
                terms.append(QStringLiteral("COUNT(*)-COUNT(%1) AS %2").arg(f.expression, f.name));
                break;
            }
        }
        return terms.join(QLatin1Char(','));
    }

    QString groupBy() const
    {
        QStringList keys;
        for (const KindField &f : fields) {
            if (f.field == GroupField::Key || f.field == GroupField::TextKey)
                keys.append(f.expression);
        }
        return keys.join(QLatin1Char(','));
    }

    QVector<GroupColumn> columns() const
    {
        QVector<GroupColumn> columns;
        for (const KindField &f : fields)
            columns.append({f.field, f.expression});
        return columns;
    }
};

const KindQuery kProfiles {QStringLiteral("PriceLc"),
    {{GroupField::Sum, QStringLiteral("长度*线重"), QStringLiteral("重量")},
        {GroupField::Key, QStringLiteral("隔热"), {}}, {GroupField::TextKey, QStringLiteral("材料类别"), {}},
        {GroupField::NullCount, QStringLiteral("线重"), QStringLiteral("缺线重")}}};
const KindQuery kAccessories {QStringLiteral("PricePj"),
    {{GroupField::TextKey, QStringLiteral("名称"), {}}, {GroupField::TextKey, QStringLiteral("规格"), {}},
        {GroupField::Sum, QStringLiteral("数量"), QStringLiteral("数量")},
        {GroupField::First, QStringLiteral("单位"), QStringLiteral("单位")},
        {GroupField::First, QStringLiteral("单价*折扣量"), QStringLiteral("单价")},
        {GroupField::First, QStringLiteral("技术要求"), QStringLiteral("要求")},
        {GroupField::NullCount, QStringLiteral("单价"), QStringLiteral("缺单价")}}};
const KindQuery kGlass {QStringLiteral("PriceBl"),
    {{GroupField::TextKey, QStringLiteral("名称"), {}},
        {GroupField::Sum, QStringLiteral("面积"), QStringLiteral("面积")},
        {GroupField::First, QStringLiteral("单价*折扣量"), QStringLiteral("单价")},
        {GroupField::NullCount, QStringLiteral("单价"), QStringLiteral("缺单价")}}};

// The whole project: the kind's groups in their grouping order. A scope:
// the groups of every item, grouped and ordered by the scope column first
// (the view's, whose text comparison the scope items' areas share), then by
// the item's own grouping, the scope's name after the fields.
// Null sorts first, as a file sorts it.
QString passSql(const KindQuery &kind, Scope scope, const QSqlDatabase &db)
{
    const QString column = scopeColumn(scope);
    if (column.isEmpty())
        return groupedQuery(kind.select(), kind.view, kind.groupBy(), db);
    return groupedQuery(
        kind.select() + QLatin1Char(',') + column, kind.view, column + QLatin1Char(',') + kind.groupBy(), db);
}

// The scope items: one per name of the scope column in mjTemp, with its area,
// in the order of that column, each named as its first row spells it.
QString areaSql(Scope scope, const QString &area, const QSqlDatabase &db)
{
    const QString column = scopeColumn(scope);
    return groupedQuery(QStringLiteral("%1,SUM(%2)").arg(column, area), QStringLiteral("mjTemp"), column, db);
}

// Walks one kind's rows beside the items, both in the order of the scope
// column: a group row belongs to the item of its name, and to none when it
// has no name, which "WHERE 窗号=" does not select. Every group row is
// passed on, for the counts.
// A file's rows are grouped per item by the program as they are read: a
// per-window quotation has hundreds of thousands of groups of a few rows
// each, and sorting every row for GROUP BY costs more than reading them.
// Those groups come item by item, the items in any order; what was passed
// on is discarded (forget) before the next way is tried.
// Otherwise the rows are read on the sqlite3 handle (a server's in batches
// through a cursor): the Qt layer's variant per field would cost more than
// the grouping itself.
template <typename OnGroup>
void walkPass(const KindQuery &kind, const QuoteOptions &options, QuoteGroups &groups, const QVector<bool> &named,
    const QHash<QByteArray, int> &itemKeys, const OnGroup &onGroup, const std::function<void()> &forget,
    QSqlDatabase db)
{
    if (options.scope != Scope::Whole && !onServer(db)) {
        auto group = [&](ItemRuns runs) {
            return groupScopeRows(db, kind.view, scopeColumn(options.scope), kind.columns(), itemKeys, runs,
                [&](const GroupRow &row, int item) { onGroup(row, item < 0 ? nullptr : &groups.items[item]); });
        };
        GroupingResult result = group(ItemRuns::Expected);
        if (result == GroupingResult::ItemsInterleaved) {
            forget();
            result = group(ItemRuns::Any);
        }
        if (result == GroupingResult::Grouped)
            return;
        forget();
    }
    RowCursor query(db, passSql(kind, options.scope, db));
    if (options.scope == Scope::Whole) {
        while (query.next())
            onGroup(query, &groups.items.first());
        return;
    }
    qsizetype open = 0;
    while (query.next()) {
        if (query.isNull(kind.fieldCount())) {
            onGroup(query, nullptr);
            continue;
        }
        const QString text = query.value(kind.fieldCount()).toString();
        auto isOpen = [&] {
            const QString &itemName = groups.items.at(open).name;
            return named.at(open) && (itemName == text || sameKey(itemName, text));
        };
        while (open < groups.items.size() && !isOpen())
            ++open;
        if (open == groups.items.size())
            throw Error(QStringLiteral("报价数据在读取时发生了变化"));
        onGroup(query, &groups.items[open]);
    }
}

// The profile classes of the project as lcPrice asks for them: grouped and
// ordered by 材料类别 and 隔热 the way the price table compares its texts.
// Every class the project uses comes from a row of lcName, except the empty
// class of codes without a price row, which sorts first. *withFlag counts the
// classes whose 隔热 is not Null.
QVector<LcPriceClass> orderedClasses(const QVector<std::pair<QVariant, QVariant>> &used, int *withFlag, QSqlDatabase db)
{
    QVector<LcPriceClass> classes;
    *withFlag = 0;
    if (used.isEmpty())
        return classes;
    QStringList conditions;
    QVariantList values;
    bool unpriced = false;
    for (const auto &[cls, thermal] : used) {
        conditions.append(QStringLiteral("(材料类别 IS NOT DISTINCT FROM ? AND 隔热 IS NOT DISTINCT FROM ?)"));
        values << cls << thermal;
        unpriced = unpriced || (cls.isNull() && thermal.isNull());
    }
    QSqlQuery query = sqlExec(QStringLiteral("SELECT 材料类别,隔热 FROM ")
            + groupedRows(QStringLiteral("lcName"), QStringLiteral("材料类别,隔热"), db, QStringLiteral("编号"))
            + QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" OR "))
            + QStringLiteral(" GROUP BY 材料类别,隔热 ORDER BY 材料类别 NULLS FIRST,隔热 NULLS FIRST"),
        values, db);
    while (query.next()) {
        if (query.value(0).isNull() && query.value(1).isNull())
            unpriced = false;
        *withFlag += query.value(1).isNull() ? 0 : 1;
        classes.append({query.value(0).toString(), query.value(1).toInt() != 0});
    }
    if (unpriced)
        classes.prepend({QString(), false});
    return classes;
}

} // namespace

QuoteGroups readQuoteGroups(const QuoteOptions &options, QSqlDatabase db)
{
    QuoteGroups groups;
    if (options.scope == Scope::Whole) {
        QuoteItemInput whole;
        whole.area = sqlScalar(
            QStringLiteral("SELECT SUM(") + areaColumn(options.areaBasis) + QStringLiteral(") AS mj FROM mjTemp"), {},
            db)
                         .toDouble();
        groups.items.append(whole);
    }
    // Which items have a name; the whole project counts as one.
    QVector<bool> named(groups.items.size(), true);
    QHash<QByteArray, int> itemKeys; // a named item's number by its name, letter case aside
    if (options.scope != Scope::Whole) {
        QSqlQuery areas = sqlExec(areaSql(options.scope, areaColumn(options.areaBasis), db), {}, db);
        while (areas.next()) {
            QuoteItemInput item;
            item.name = areas.value(0).toString();
            item.area = areas.value(1).toDouble();
            if (!areas.value(0).isNull())
                itemKeys.insert(noCaseKey(item.name.toUtf8()), int(groups.items.size()));
            groups.items.append(item);
            named.append(!areas.value(0).isNull());
        }
    }
    TextPool texts;
    bool missingWeight = false;
    bool missingAccessory = false;
    bool missingGlass = false;
    int accessoryGroups = 0;
    int glassGroups = 0;
    QVector<std::pair<QVariant, QVariant>> usedClasses;
    QSet<QString> seenClasses;

    walkPass(
        kProfiles, options, groups, named, itemKeys,
        [&](const auto &q, QuoteItemInput *item) {
            missingWeight = missingWeight || q.integer(3) > 0;
            const QVariant cls = q.value(2);
            const QVariant thermal = q.value(1);
            // The exact pair once; the price table groups the pairs its own way.
            const QString seen = (cls.isNull() ? QStringLiteral("N") : QStringLiteral("T") + cls.toString())
                + QChar(0x1f) + (thermal.isNull() ? QStringLiteral("N") : thermal.toString());
            if (!seenClasses.contains(seen)) {
                seenClasses.insert(seen);
                usedClasses.append({cls, thermal});
            }
            if (item)
                item->profiles.append({q.real(0), thermal.toInt() != 0, texts(q, 2)});
        },
        [&] {
            missingWeight = false;
            usedClasses.clear();
            seenClasses.clear();
            for (QuoteItemInput &item : groups.items)
                item.profiles.clear();
        },
        db);
    walkPass(
        kGlass, options, groups, named, itemKeys,
        [&](const auto &q, QuoteItemInput *item) {
            missingGlass = missingGlass || q.integer(3) > 0;
            if (!q.isNull(0))
                ++glassGroups;
            if (item) {
                item->glass.append(
                    {texts(q, 0), q.real(1), q.isNull(2) ? std::nullopt : std::optional<double>(q.real(2))});
            }
        },
        [&] {
            missingGlass = false;
            glassGroups = 0;
            for (QuoteItemInput &item : groups.items)
                item.glass.clear();
        },
        db);
    walkPass(
        kAccessories, options, groups, named, itemKeys,
        [&](const auto &q, QuoteItemInput *item) {
            missingAccessory = missingAccessory || q.integer(6) > 0;
            if (!q.isNull(0))
                ++accessoryGroups;
            if (item) {
                item->accessories.append({texts(q, 0), texts(q, 1), q.real(2), texts(q, 3),
                    q.isNull(4) ? std::nullopt : std::optional<double>(q.real(4)), texts(q, 5)});
            }
        },
        [&] {
            missingAccessory = false;
            accessoryGroups = 0;
            for (QuoteItemInput &item : groups.items)
                item.accessories.clear();
        },
        db);

    groups.dataCheck = missingWeight ? DataCheckResult::ProfileWithoutWeight
        : missingAccessory           ? DataCheckResult::AccessoryWithoutPrice
        : missingGlass               ? DataCheckResult::GlassWithoutPrice
                                     : DataCheckResult::AllPriced;
    int profileClasses = 0;
    groups.classes = orderedClasses(usedClasses, &profileClasses, db);
    // As the counting queries' COUNT() over the groupings: classes with a
    // 隔热 value, groups with a name, items with a name.
    groups.progressMaximum = accessoryGroups + glassGroups + profileClasses * int(named.count(true));
    return groups;
}

} // namespace tarvex
