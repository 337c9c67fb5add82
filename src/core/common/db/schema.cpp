#include "core/common/db/schema.h"

#include "core/common/db/database.h"
#include "core/common/db/schemacase.h"

#include <QHash>
#include <QSqlQuery>

#include <cmath>

namespace tarvex {

namespace {

// A priced view: its columns and its joins, the working row it comes from
// named `row`.
struct PricedView {
    QString columns;
    QString joins;
};

const QHash<QString, PricedView> &pricedViews()
{
    static const QHash<QString, PricedView> views {
        {QStringLiteral("PriceLc"),
            {QStringLiteral("m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, l.代号 AS 代号, l.长度 AS 长度, p.线重 AS 线重, "
                            "p.隔热 AS 隔热, p.材料类别 AS 材料类别, p.备注 AS 备注"),
                QStringLiteral(
                    "FROM LcTemp l LEFT JOIN MjTemp m ON m.ID = l.ID "
                    "LEFT JOIN lcName p ON p.编号 = (SELECT MIN(x.编号) FROM lcName x WHERE x.代号 = l.代号)")}},
        {QStringLiteral("PricePj"),
            // An empty 规格 or 技术要求 is the same whether stored as Null or
            // as '': the view shows both as '', and a price row of either
            // kind prices it.
            {QStringLiteral("m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, j.名称 AS 名称, "
                            "COALESCE(j.规格,'') COLLATE NOCASE AS 规格, "
                            "COALESCE(j.技术要求,'') COLLATE NOCASE AS 技术要求, j.数量 AS 数量, p.单位 AS 单位, "
                            "p.单价 AS 单价, p.折扣量 AS 折扣量, p.备注 AS 备注"),
                QStringLiteral("FROM PjTemp j LEFT JOIN MjTemp m ON m.ID = j.ID "
                               "LEFT JOIN pjName p ON p.编号 = (SELECT MIN(x.编号) FROM pjName x WHERE x.名称 = j.名称 "
                               "AND (x.规格 = j.规格 OR (COALESCE(x.规格,'') = '' AND COALESCE(j.规格,'') = '')))")}},
        {QStringLiteral("PriceBl"),
            {QStringLiteral("m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, b.名称 AS 名称, b.面积 AS 面积, p.单价 AS 单价, "
                            "p.折扣量 AS 折扣量, p.备注 AS 备注"),
                QStringLiteral(
                    "FROM BlTemp b LEFT JOIN MjTemp m ON m.ID = b.ID "
                    "LEFT JOIN blName p ON p.编号 = (SELECT MIN(x.编号) FROM blName x WHERE x.名称 = b.名称)")}},
    };
    return views;
}

// The working table's alias in a priced view's joins ("FROM LcTemp l ...").
QString workingAlias(const PricedView &view)
{
    return view.joins.section(QLatin1Char(' '), 2, 2);
}

QString pricedViewDefinition(const QString &name)
{
    const PricedView &view = pricedViews()[name];
    return QStringLiteral("CREATE VIEW IF NOT EXISTS %1 AS SELECT %2 %3").arg(name, view.columns, view.joins);
}

} // namespace

QString keyedSource(const QString &source)
{
    const auto view = pricedViews().constFind(source);
    if (view == pricedViews().constEnd())
        return QStringLiteral("SELECT *, rowid AS %1 FROM %2").arg(QLatin1String(kRowKey), source);
    return QStringLiteral("SELECT %1, %2.rowid AS %3 %4")
        .arg(view->columns, workingAlias(*view), QLatin1String(kRowKey), view->joins);
}

// The first version of the file. Everything is created only when missing, so
// a file made before versions were kept is adopted as it stands.
QStringList workingSchemaStatements()
{
    return {
        // Working tables: the raw data of the project loaded last.
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS MjTemp (ID INTEGER, 门窗系列 TEXT, 窗号 TEXT, 框面积 REAL, 洞口面积 REAL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS LcTemp (ID INTEGER, 代号 TEXT, 长度 REAL)"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS PjTemp (ID INTEGER, 名称 TEXT, 规格 TEXT, 技术要求 TEXT, 数量 REAL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS BlTemp (ID INTEGER, 名称 TEXT, 面积 REAL)"),
        // Price tables kept by the firm.
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS lcName (编号 INTEGER PRIMARY KEY, 系列 TEXT, 名称 TEXT, 代号 TEXT, 线重 REAL, "
            "隔热 INTEGER, 材料类别 TEXT, 备注 TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS pjName (编号 INTEGER PRIMARY KEY, 类别 TEXT, 名称 TEXT, 规格 TEXT, "
                       "技术要求 TEXT, "
                       "单位 TEXT, 单价 REAL, 折扣量 REAL, 备注 TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS blName (编号 INTEGER PRIMARY KEY, 名称 TEXT, 单价 REAL, 折扣量 "
                       "REAL, 备注 TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS FyTable (费用名称 TEXT PRIMARY KEY, 费用量 REAL, 百分比 REAL)"),
        // Indexes behind every join and look-up.
        QStringLiteral("CREATE INDEX IF NOT EXISTS MjTemp_ID ON MjTemp (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS MjTemp_Series ON MjTemp (门窗系列)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS MjTemp_Window ON MjTemp (窗号)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS LcTemp_ID ON LcTemp (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS PjTemp_ID ON PjTemp (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS BlTemp_ID ON BlTemp (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS lcName_Code ON lcName (代号, 编号)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS pjName_NameSpec ON pjName (名称, 规格, 编号)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS blName_Name ON blName (名称, 编号)"),
        // Priced views: one row per working row; when a price table holds
        // several rows with the same key, the one with the lowest 编号 is used.
        pricedViewDefinition(QStringLiteral("PriceLc")),
        pricedViewDefinition(QStringLiteral("PricePj")),
        pricedViewDefinition(QStringLiteral("PriceBl")),
    };
}

// The register of customer offers: each offer with its lines and the PDF it
// printed, and one counter per number pattern (a deleted offer's number is
// never given again). A recorded offer is never changed: the triggers refuse
// every update, and lines come and go only with their offer (lines first on
// issue, the offer first on deletion).
QStringList offerRegisterStatements()
{
    const QString keep = QStringLiteral(" BEGIN SELECT RAISE(ABORT, '报价记录不能修改'); END");
    return {
        QStringLiteral("CREATE TABLE bjOffer (编号 TEXT COLLATE NOCASE PRIMARY KEY, 日期 TEXT NOT NULL, "
                       "客户 TEXT COLLATE NOCASE, 项目 TEXT COLLATE NOCASE, 范围 TEXT, 合计 REAL, 优惠 REAL, "
                       "税金 REAL, 总计 REAL, 原编号 TEXT COLLATE NOCASE, 修订 INTEGER NOT NULL, 原总计 REAL, "
                       "有效期 INTEGER, 源文件 TEXT, 面积依据 TEXT, 主材损耗 TEXT, 附件损耗 TEXT, 玻璃损耗 TEXT, "
                       "主材单价 TEXT, 优惠方式 TEXT, 优惠值 REAL, 税率 REAL, 出具时间 TEXT, 报价单 BLOB NOT NULL)"),
        QStringLiteral("CREATE TABLE bjOfferLine (编号 TEXT COLLATE NOCASE NOT NULL, 行号 INTEGER NOT NULL, "
                       "窗号 TEXT, 门窗系列 TEXT, 樘数 INTEGER, 面积 REAL, 单价 REAL, 金额 REAL, "
                       "PRIMARY KEY (编号, 行号))"),
        QStringLiteral("CREATE TABLE bjOfferCount (编号键 TEXT PRIMARY KEY, 序号 INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX bjOffer_Date ON bjOffer (日期, 编号)"),
        QStringLiteral("CREATE INDEX bjOffer_Customer ON bjOffer (客户)"),
        QStringLiteral("CREATE INDEX bjOffer_First ON bjOffer (原编号, 修订)"),
        QStringLiteral("CREATE TRIGGER bjOffer_Keep BEFORE UPDATE ON bjOffer") + keep,
        QStringLiteral("CREATE TRIGGER bjOfferLine_Keep BEFORE UPDATE ON bjOfferLine") + keep,
        QStringLiteral("CREATE TRIGGER bjOfferLine_KeepRows BEFORE DELETE ON bjOfferLine "
                       "WHEN EXISTS (SELECT 1 FROM bjOffer WHERE 编号 = OLD.编号)")
            + keep,
        QStringLiteral("CREATE TRIGGER bjOfferLine_Closed BEFORE INSERT ON bjOfferLine "
                       "WHEN EXISTS (SELECT 1 FROM bjOffer WHERE 编号 = NEW.编号)")
            + keep,
    };
}

namespace {

// A window ID names one window: a file that held two windows of one ID gives
// the later ones new IDs after the highest, so that none is lost and no
// material is counted twice; then the index refuses a second one.
void makeWindowIdsUnique(QSqlDatabase &db)
{
    QList<qint64> later;
    QSqlQuery query
        = sqlExec(QStringLiteral("SELECT rowid FROM MjTemp m WHERE ID IS NOT NULL AND "
                                 "rowid > (SELECT MIN(x.rowid) FROM MjTemp x WHERE x.ID = m.ID) ORDER BY rowid"),
            {}, db);
    while (query.next())
        later.append(query.value(0).toLongLong());
    query.finish();
    qint64 next = qint64(std::floor(sqlScalar(QStringLiteral("SELECT MAX(ID) FROM MjTemp"), {}, db).toDouble())) + 1;
    for (const qint64 rowid : later)
        sqlExec(QStringLiteral("UPDATE MjTemp SET ID=? WHERE rowid=?"), {next++, rowid}, db);
    sqlExec(QStringLiteral("DROP INDEX IF EXISTS MjTemp_ID"), {}, db);
    sqlExec(QStringLiteral("CREATE UNIQUE INDEX MjTemp_ID ON MjTemp (ID)"), {}, db);
}

} // namespace

SchemaPlan workingSchemaPlan()
{
    SchemaPlan plan;
    plan.steps.append({1, workingSchemaStatements()});
    // The stock length of a profile code for the cutting plan; codes without
    // a row use the default stock length.
    plan.steps.append(
        {2, {QStringLiteral("CREATE TABLE IF NOT EXISTS lcStock (代号 TEXT COLLATE NOCASE PRIMARY KEY, 定尺 REAL)")}});
    // Key texts compare without regard to the case of ASCII letters.
    plan.steps.append({3, {}, collateTextsWithoutCase});
    plan.steps.append(
        {4, {QStringLiteral("DROP VIEW IF EXISTS PricePj"), pricedViewDefinition(QStringLiteral("PricePj"))},
            makeWindowIdsUnique});
    plan.steps.append({5, offerRegisterStatements()});
    // Offcuts kept for later plans: code, length (metres), and the project
    // and date they were cut off in.
    plan.steps.append({6,
        {QStringLiteral("CREATE TABLE IF NOT EXISTS lcRemnant (ID INTEGER PRIMARY KEY, 代号 TEXT COLLATE NOCASE, "
                        "长度 REAL, 工程 TEXT, 日期 TEXT)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS lcRemnant_Code ON lcRemnant (代号, 长度)")}});
    return plan;
}

} // namespace tarvex
