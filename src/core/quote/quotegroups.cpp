#include "core/quote/quotegroups.h"

#include "core/common/db/bulkrows.h"
#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/keytext.h"

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
    QString operator()(const RowCursor &row, int column)
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

// The grouped query of one material kind: the quotation's own fields, then
// the number of the group's rows without a price.
struct KindQuery {
    QString fields;
    QString view;
    QString groupBy;
    int fieldCount;
};

const KindQuery kProfiles {QStringLiteral("SUM(长度*线重) AS 重量,隔热,材料类别,COUNT(*)-COUNT(线重) AS 缺线重"),
    QStringLiteral("PriceLc"), QStringLiteral("隔热,材料类别"), 4};
const KindQuery kAccessories {QStringLiteral("名称,规格,SUM(数量) AS 数量,FIRST(单位) AS 单位,FIRST(单价*折扣量) AS "
                                             "单价,FIRST(技术要求) AS 要求,COUNT(*)-COUNT(单价) AS 缺单价"),
    QStringLiteral("PricePj"), QStringLiteral("名称,规格"), 7};
const KindQuery kGlass {
    QStringLiteral("名称,SUM(面积)AS 面积,FIRST(单价*折扣量) AS 单价,COUNT(*)-COUNT(单价) AS 缺单价"),
    QStringLiteral("PriceBl"), QStringLiteral("名称"), 4};

// The whole project: the kind's groups in their grouping order. A scope:
// the groups of every item, grouped and ordered by the scope column first
// (the view's, whose text comparison the scope items' areas share), then by
// the item's own grouping, the scope's name after the fields.
// Null sorts first, as a file sorts it.
QString passSql(const KindQuery &kind, Scope scope, const QSqlDatabase &db)
{
    const QString column = scopeColumn(scope);
    if (column.isEmpty())
        return groupedQuery(kind.fields, kind.view, kind.groupBy, db);
    return groupedQuery(
        kind.fields + QLatin1Char(',') + column, kind.view, column + QLatin1Char(',') + kind.groupBy, db);
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
// The rows are read on the sqlite3 handle (a server's in batches through a
// cursor): a per-window quotation reads
// hundreds of thousands of groups, and the Qt layer's variant per field
// would cost more than the grouping itself.
void walkPass(const KindQuery &kind, const QuoteOptions &options, QuoteGroups &groups, const QVector<bool> &named,
    const std::function<void(const RowCursor &, QuoteItemInput *)> &onGroup, QSqlDatabase db)
{
    RowCursor query(db, passSql(kind, options.scope, db));
    if (options.scope == Scope::Whole) {
        while (query.next())
            onGroup(query, &groups.items.first());
        return;
    }
    qsizetype open = 0;
    while (query.next()) {
        if (query.isNull(kind.fieldCount)) {
            onGroup(query, nullptr);
            continue;
        }
        const QString text = query.value(kind.fieldCount).toString();
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
    if (options.scope != Scope::Whole) {
        QSqlQuery areas = sqlExec(areaSql(options.scope, areaColumn(options.areaBasis), db), {}, db);
        while (areas.next()) {
            QuoteItemInput item;
            item.name = areas.value(0).toString();
            item.area = areas.value(1).toDouble();
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
        kProfiles, options, groups, named,
        [&](const RowCursor &q, QuoteItemInput *item) {
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
        db);
    walkPass(
        kGlass, options, groups, named,
        [&](const RowCursor &q, QuoteItemInput *item) {
            missingGlass = missingGlass || q.integer(3) > 0;
            if (!q.isNull(0))
                ++glassGroups;
            if (item) {
                item->glass.append(
                    {texts(q, 0), q.real(1), q.isNull(2) ? std::nullopt : std::optional<double>(q.real(2))});
            }
        },
        db);
    walkPass(
        kAccessories, options, groups, named,
        [&](const RowCursor &q, QuoteItemInput *item) {
            missingAccessory = missingAccessory || q.integer(6) > 0;
            if (!q.isNull(0))
                ++accessoryGroups;
            if (item) {
                item->accessories.append({texts(q, 0), texts(q, 1), q.real(2), texts(q, 3),
                    q.isNull(4) ? std::nullopt : std::optional<double>(q.real(4)), texts(q, 5)});
            }
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
