#include "quote/quotecalculation.h"

#include "common/error.h"
#include "common/numbers.h"
#include "quote/finitecheck.h"

#include <QSqlError>
#include <QSqlQuery>

namespace tarvex {

namespace {

using Scope = QuoteOptions::Scope;

int countOf(const QString &sql, QSqlDatabase db)
{
    return sqlScalar(sql, {}, db).toInt();
}

std::optional<double> optionalNumber(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

// The three quantity queries of a scope item. For series and window scopes
// the item's name is bound in place of the quoted literal, so one prepared
// statement serves every item and no name can break the SQL.
class ItemQueries {
public:
    ItemQueries(Scope scope, QSqlDatabase db)
        : m_lc(db)
        , m_pj(db)
        , m_bl(db)
        , m_bound(scope != Scope::Whole)
    {
        QString where;
        if (scope == Scope::Series)
            where = QStringLiteral(" WHERE 门窗系列=?");
        else if (scope == Scope::Window)
            where = QStringLiteral(" WHERE 窗号=?");
        prepare(m_lc,
            QStringLiteral("SELECT SUM(长度*线重) AS 重量,隔热,材料类别 FROM PriceLc") + where
                + QStringLiteral(" GROUP BY 隔热,材料类别"));
        prepare(m_pj,
            QStringLiteral("SELECT 名称,规格,SUM(数量) AS 数量,FIRST(单位) AS 单位,FIRST(单价*折扣量) AS "
                           "单价,FIRST(技术要求) AS 要求 FROM PricePj")
                + where + QStringLiteral(" GROUP BY 名称,规格"));
        prepare(m_bl,
            QStringLiteral("SELECT 名称,SUM(面积)AS 面积,FIRST(单价*折扣量) AS 单价 FROM PriceBl") + where
                + QStringLiteral(" GROUP BY 名称"));
    }

    void read(const QString &name, QuoteItemInput &input)
    {
        run(m_lc, name);
        while (m_lc.next())
            input.profiles.append({m_lc.value(0).toDouble(), m_lc.value(1).toInt() != 0, m_lc.value(2).toString()});
        m_lc.finish();
        run(m_pj, name);
        while (m_pj.next()) {
            input.accessories.append({m_pj.value(0).toString(), m_pj.value(1).toString(), m_pj.value(2).toDouble(),
                m_pj.value(3).toString(), optionalNumber(m_pj.value(4)), m_pj.value(5).toString()});
        }
        m_pj.finish();
        run(m_bl, name);
        while (m_bl.next())
            input.glass.append({m_bl.value(0).toString(), m_bl.value(1).toDouble(), optionalNumber(m_bl.value(2))});
        m_bl.finish();
    }

private:
    static void prepare(QSqlQuery &query, const QString &sql)
    {
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throw Error(query.lastError().text());
    }

    void run(QSqlQuery &query, const QString &name)
    {
        if (m_bound)
            query.bindValue(0, name);
        if (!query.exec())
            throw Error(query.lastError().text());
    }

    QSqlQuery m_lc;
    QSqlQuery m_pj;
    QSqlQuery m_bl;
    bool m_bound;
};

QString areaColumn(QuoteOptions::AreaBasis basis)
{
    return basis == QuoteOptions::AreaBasis::Opening ? QStringLiteral("洞口面积") : QStringLiteral("框面积");
}

struct AreaRow {
    QString name;
    double area;
};

QVector<AreaRow> areaRows(const QuoteOptions &options, QSqlDatabase db)
{
    const QString column = areaColumn(options.areaBasis);
    QVector<AreaRow> rows;
    if (options.scope == Scope::Whole) {
        rows.append({QString(),
            sqlScalar(QStringLiteral("SELECT SUM(") + column + QStringLiteral(") AS mj FROM mjTemp"), {}, db)
                .toDouble()});
        return rows;
    }
    const QString group = options.scope == Scope::Series ? QStringLiteral("门窗系列") : QStringLiteral("窗号");
    QSqlQuery query = sqlExec(QStringLiteral("SELECT SUM(") + column + QStringLiteral(") AS mj,") + group
            + QStringLiteral(" FROM mjTemp GROUP BY ") + group,
        {}, db);
    while (query.next())
        rows.append({query.value(1).toString(), query.value(0).toDouble()});
    return rows;
}

QString itemLabel(Scope scope, const QString &name)
{
    switch (scope) {
    case Scope::Series:
        return QStringLiteral("门窗系列 ") + name;
    case Scope::Window:
        return QStringLiteral("窗号 ") + name;
    case Scope::Whole:
        break;
    }
    return QString();
}

} // namespace

int quoteProgressMaximum(Scope scope, QSqlDatabase db)
{
    const int profiles = countOf(
        QStringLiteral("SELECT COUNT(隔热) AS ID FROM(SELECT 隔热,材料类别 FROM PriceLc GROUP BY 隔热,材料类别)"), db);
    switch (scope) {
    case Scope::Whole:
        return profiles
            + countOf(
                QStringLiteral("SELECT COUNT(名称) AS ID FROM(SELECT 名称,规格 FROM PricePj GROUP BY 名称,规格)"), db)
            + countOf(QStringLiteral("SELECT COUNT(名称) AS ID FROM(SELECT 名称 FROM PriceBl GROUP BY 名称)"), db);
    case Scope::Series:
        return countOf(QStringLiteral("SELECT COUNT(名称) AS ID FROM(SELECT 门窗系列,名称,规格 FROM PricePj GROUP BY "
                                      "门窗系列,名称,规格)"),
                   db)
            + countOf(QStringLiteral(
                          "SELECT COUNT(名称) AS ID FROM(SELECT 门窗系列,名称 FROM PriceBl GROUP BY 门窗系列,名称)"),
                db)
            + profiles
            * countOf(
                QStringLiteral("SELECT COUNT(门窗系列) AS ID FROM(SELECT 门窗系列 FROM mjTemp GROUP BY 门窗系列)"), db);
    case Scope::Window:
        return countOf(QStringLiteral(
                           "SELECT COUNT(名称) AS ID FROM(SELECT 窗号,名称,规格 FROM PricePj GROUP BY 窗号,名称,规格)"),
                   db)
            + countOf(
                QStringLiteral("SELECT COUNT(名称) AS ID FROM(SELECT 窗号,名称 FROM PriceBl GROUP BY 窗号,名称)"), db)
            + profiles
            * countOf(QStringLiteral("SELECT COUNT(窗号) AS ID FROM(SELECT 窗号 FROM mjTemp GROUP BY 窗号)"), db);
    }
    return profiles;
}

QVector<FeeRecord> readFees(QSqlDatabase db)
{
    QVector<FeeRecord> fees;
    QSqlQuery query = sqlExec(QStringLiteral("SELECT * FROM FyTable"), {}, db);
    while (query.next())
        fees.append({query.value(0).toString(), query.value(1).toDouble(), query.value(2).toDouble()});
    return fees;
}

QuoteResult calculateQuote(const QuoteOptions &options, const QString &lcPriceString, NullPrices nullPrices,
    const std::function<void()> &rowDone, QSqlDatabase db)
{
    // One project whole, even when another program loads one meanwhile.
    const ReadTransaction snapshot(db);
    QuoteResult result;
    result.scope = options.scope;
    result.areaBasis = options.areaBasis;
    const QVector<LcPriceItem> prices = splitLcPriceString(lcPriceString);
    const LossFactors losses {
        leadingNumber(options.lossLc), leadingNumber(options.lossPj), leadingNumber(options.lossBl)};
    // The fee table cannot change during a run: read it once for all items.
    const QVector<FeeRecord> fees = readFees(db);
    ItemQueries queries(options.scope, db);
    for (const AreaRow &area : areaRows(options, db)) {
        QuoteItemInput input;
        input.name = area.name;
        input.label = itemLabel(options.scope, area.name);
        if (options.scope == Scope::Whole) {
            input.sheet = QStringLiteral("报价表");
            input.title = options.project + options.title;
        } else {
            input.sheet = area.name;
            input.title = options.withName ? QString(options.project + area.name + options.title)
                                           : QString(options.project + options.title);
        }
        input.area = Round(area.area, 2);
        queries.read(area.name, input);
        result.items.append(priceQuoteItem(input, prices, losses, fees, nullPrices, &result.warnings, rowDone));
        checkFiniteFigures(result.items.constLast(), input.label);
    }
    return result;
}

} // namespace tarvex
