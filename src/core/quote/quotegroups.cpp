#include "core/quote/quotegroups.h"

#include "core/common/error.h"

#include <QSet>
#include <QSqlQuery>

#include <functional>

namespace tarvex {

namespace {

using Scope = QuoteOptions::Scope;

// Class names, units and remarks repeat in every scope item: the items share
// one copy of each text.
class TextPool {
public:
    QString operator()(const QVariant &value)
    {
        const QString text = value.toString();
        const auto found = m_texts.constFind(text);
        if (found != m_texts.constEnd())
            return *found;
        m_texts.insert(text);
        return text;
    }

private:
    QSet<QString> m_texts;
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
    QString groupPositions; // the grouping columns by position, for the merged order
    int fieldCount;
    int areaField; // where an area row carries the area
};

const KindQuery kProfiles {QStringLiteral("SUM(长度*线重) AS 重量,隔热,材料类别,COUNT(*)-COUNT(线重) AS 缺线重"),
    QStringLiteral("PriceLc"), QStringLiteral("隔热,材料类别"), QStringLiteral("2,3"), 4, 0};
const KindQuery kAccessories {QStringLiteral("名称,规格,SUM(数量) AS 数量,FIRST(单位) AS 单位,FIRST(单价*折扣量) AS "
                                             "单价,FIRST(技术要求) AS 要求,COUNT(*)-COUNT(单价) AS 缺单价"),
    QStringLiteral("PricePj"), QStringLiteral("名称,规格"), QStringLiteral("1,2"), 7, 2};
const KindQuery kGlass {
    QStringLiteral("名称,SUM(面积)AS 面积,FIRST(单价*折扣量) AS 单价,COUNT(*)-COUNT(单价) AS 缺单价"),
    QStringLiteral("PriceBl"), QStringLiteral("名称"), QStringLiteral("1"), 4, 1};

// The whole project: the kind's groups in their grouping order. A scope:
// the groups of every item, grouped by the scope column as well, with one
// area row per item merged in. Rows come in the order of the scope column,
// each item's area row (marked 0) before its groups (marked 1), the groups in
// the order the item's own grouping gives them. The order takes the text
// comparison of the first SELECT's columns, the view's own: scope names and
// keys are grouped, ordered and told apart exactly as the item queries'
// "WHERE 窗号=" and "GROUP BY" would.
QString passSql(const KindQuery &kind, Scope scope, const QString &area)
{
    const QString column = scopeColumn(scope);
    if (column.isEmpty()) {
        return QStringLiteral("SELECT ") + kind.fields + QStringLiteral(" FROM ") + kind.view
            + QStringLiteral(" GROUP BY ") + kind.groupBy + QStringLiteral(" ORDER BY ") + kind.groupBy;
    }
    QStringList areaFields(kind.fieldCount, QStringLiteral("NULL"));
    areaFields[kind.areaField] = QStringLiteral("SUM(") + area + QLatin1Char(')');
    return QStringLiteral("SELECT %1,%2,1 FROM %3 GROUP BY %2,%4 UNION ALL SELECT %5,%2,0 FROM mjTemp GROUP BY %2 "
                          "ORDER BY %6,%7,%8")
        .arg(kind.fields, column, kind.view, kind.groupBy, areaFields.join(QLatin1Char(',')),
            QString::number(kind.fieldCount + 1), kind.groupPositions, QString::number(kind.fieldCount + 2));
}

// Walks one kind's rows. An area row opens the next scope item (the first
// pass appends it); a group row belongs to the item open, and to none before
// the first area row or after an item without a name, which "WHERE 窗号=" +
// its name does not select. Every group row is passed on, for the counts.
// Returns the number of named items.
int walkPass(const KindQuery &kind, const QuoteOptions &options, QuoteGroups &groups, bool firstPass,
    const std::function<void(const QSqlQuery &, QuoteItemInput *)> &onGroup, QSqlDatabase db)
{
    QSqlQuery query = sqlExec(passSql(kind, options.scope, areaColumn(options.areaBasis)), {}, db);
    if (options.scope == Scope::Whole) {
        while (query.next())
            onGroup(query, &groups.items.first());
        return 1;
    }
    int areaRows = 0;
    int named = 0;
    int open = -1;
    while (query.next()) {
        if (query.value(kind.fieldCount + 1).toInt() != 0) {
            onGroup(query, open < 0 ? nullptr : &groups.items[open]);
            continue;
        }
        const QVariant name = query.value(kind.fieldCount);
        if (firstPass) {
            QuoteItemInput item;
            item.name = name.toString();
            item.area = query.value(kind.areaField).toDouble();
            groups.items.append(item);
        } else if (areaRows >= groups.items.size()) {
            throw Error(QStringLiteral("报价数据在读取时发生了变化"));
        }
        open = name.isNull() ? -1 : areaRows;
        named += name.isNull() ? 0 : 1;
        ++areaRows;
    }
    if (areaRows != groups.items.size())
        throw Error(QStringLiteral("报价数据在读取时发生了变化"));
    return named;
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
    QSqlQuery query
        = sqlExec(QStringLiteral("SELECT 材料类别,隔热 FROM lcName WHERE ") + conditions.join(QStringLiteral(" OR "))
                + QStringLiteral(" GROUP BY 材料类别,隔热 ORDER BY 材料类别,隔热"),
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
    TextPool texts;
    bool missingWeight = false;
    bool missingAccessory = false;
    bool missingGlass = false;
    int accessoryGroups = 0;
    int glassGroups = 0;
    QVector<std::pair<QVariant, QVariant>> usedClasses;
    QSet<QString> seenClasses;

    const int named = walkPass(
        kProfiles, options, groups, true,
        [&](const QSqlQuery &q, QuoteItemInput *item) {
            missingWeight = missingWeight || q.value(3).toLongLong() > 0;
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
                item->profiles.append({q.value(0).toDouble(), thermal.toInt() != 0, texts(cls)});
        },
        db);
    walkPass(
        kGlass, options, groups, false,
        [&](const QSqlQuery &q, QuoteItemInput *item) {
            missingGlass = missingGlass || q.value(3).toLongLong() > 0;
            const QVariant name = q.value(0);
            if (!name.isNull())
                ++glassGroups;
            if (item) {
                const QVariant price = q.value(2);
                item->glass.append({texts(name), q.value(1).toDouble(),
                    price.isNull() ? std::nullopt : std::optional<double>(price.toDouble())});
            }
        },
        db);
    walkPass(
        kAccessories, options, groups, false,
        [&](const QSqlQuery &q, QuoteItemInput *item) {
            missingAccessory = missingAccessory || q.value(6).toLongLong() > 0;
            const QVariant name = q.value(0);
            if (!name.isNull())
                ++accessoryGroups;
            if (item) {
                const QVariant price = q.value(4);
                item->accessories.append({texts(name), texts(q.value(1)), q.value(2).toDouble(), texts(q.value(3)),
                    price.isNull() ? std::nullopt : std::optional<double>(price.toDouble()), texts(q.value(5))});
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
    groups.progressMaximum = accessoryGroups + glassGroups + profileClasses * named;
    return groups;
}

} // namespace tarvex
