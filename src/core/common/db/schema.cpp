#include "core/common/db/schema.h"

#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/db/engine.h"
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

QString keyedSource(const QString &source, const QSqlDatabase &db)
{
    // A server's working tables and views carry their row's rowid, its
    // numbered price tables their 编号.
    if (onServer(db))
        return QStringLiteral("SELECT *, %1 AS %2 FROM %3").arg(rowOrderOf(source), QLatin1String(kRowKey), source);
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

// The first version on a server, in the form the file has after version 3:
// key texts are citext (compared without regard to letter case, ordered as
// the file's NOCASE orders them), numbers are doubles, yes/no stays 1/0.
// The collation named nocase keeps the program's "COLLATE NOCASE" valid and
// orders citext by bytes; FIRST keeps the first value of its group, Null
// included, in the order the rows come (its steps in plpgsql: a function in
// SQL is started as a query of its own at every row).
QStringList serverSharedStatements()
{
    return {
        QStringLiteral("CREATE COLLATION nocase FROM \"C\""),
        QStringLiteral("CREATE FUNCTION first_step(anyarray, anyelement) RETURNS anyarray LANGUAGE plpgsql IMMUTABLE "
                       "AS 'BEGIN IF $1 IS NULL THEN RETURN ARRAY[$2]; END IF; RETURN $1; END'"),
        QStringLiteral("CREATE FUNCTION first_final(anyarray) RETURNS anyelement LANGUAGE plpgsql IMMUTABLE "
                       "AS 'BEGIN RETURN $1[1]; END'"),
        QStringLiteral("CREATE AGGREGATE first(anyelement) (SFUNC = first_step, STYPE = anyarray, "
                       "FINALFUNC = first_final)"),
        QStringLiteral("CREATE TABLE lcName (编号 integer PRIMARY KEY, 系列 citext COLLATE nocase, "
                       "名称 citext COLLATE nocase, 代号 citext COLLATE nocase, 线重 double precision, 隔热 integer, "
                       "材料类别 citext COLLATE nocase, 备注 citext COLLATE nocase)"),
        QStringLiteral("CREATE TABLE pjName (编号 integer PRIMARY KEY, 类别 citext COLLATE nocase, "
                       "名称 citext COLLATE nocase, 规格 citext COLLATE nocase, 技术要求 citext COLLATE nocase, "
                       "单位 citext COLLATE nocase, 单价 double precision, 折扣量 double precision, "
                       "备注 citext COLLATE nocase)"),
        QStringLiteral("CREATE TABLE blName (编号 integer PRIMARY KEY, 名称 citext COLLATE nocase, "
                       "单价 double precision, 折扣量 double precision, 备注 citext COLLATE nocase)"),
        // Fees keep the order they were entered in (the file's rowid).
        QStringLiteral("CREATE TABLE FyTable (费用名称 citext COLLATE nocase PRIMARY KEY, 费用量 double precision, "
                       "百分比 double precision, rowid bigint GENERATED BY DEFAULT AS IDENTITY UNIQUE)"),
        QStringLiteral("CREATE INDEX lcName_Code ON lcName (代号, 编号)"),
        QStringLiteral("CREATE INDEX pjName_NameSpec ON pjName (名称, 规格, 编号)"),
        QStringLiteral("CREATE INDEX blName_Name ON blName (名称, 编号)"),
        // A record added without 编号 (a script's INSERT) gets the highest + 1,
        // or 1 in an empty table, as a file's numbered tables give it. Two
        // workstations adding at once take turns (the lock lasts until
        // commit), so the second sees the first one's number.
        QStringLiteral("CREATE FUNCTION number_record() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                       "IF NEW.编号 IS NULL THEN "
                       "PERFORM pg_advisory_xact_lock(hashtext(TG_TABLE_SCHEMA || '.' || TG_TABLE_NAME)); "
                       "EXECUTE format('SELECT COALESCE(MAX(编号), 0) + 1 FROM %I.%I', TG_TABLE_SCHEMA, TG_TABLE_NAME) "
                       "INTO NEW.编号; END IF; RETURN NEW; END $$"),
        QStringLiteral(
            "CREATE TRIGGER lcName_Number BEFORE INSERT ON lcName FOR EACH ROW EXECUTE FUNCTION number_record()"),
        QStringLiteral(
            "CREATE TRIGGER pjName_Number BEFORE INSERT ON pjName FOR EACH ROW EXECUTE FUNCTION number_record()"),
        QStringLiteral(
            "CREATE TRIGGER blName_Number BEFORE INSERT ON blName FOR EACH ROW EXECUTE FUNCTION number_record()"),
    };
}

// A workstation's working tables keep their rows in load order under rowid,
// as the file's tables do; the views give the working row's rowid last.
// Each price key's lowest 编号 is found once per key, not once per row.
QStringList serverSeatStatements()
{
    const QString rowid = QStringLiteral(", rowid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY)");
    return {
        QStringLiteral("CREATE TABLE MjTemp (ID double precision, 门窗系列 citext COLLATE nocase, "
                       "窗号 citext COLLATE nocase, 框面积 double precision, 洞口面积 double precision")
            + rowid,
        QStringLiteral("CREATE TABLE LcTemp (ID double precision, 代号 citext COLLATE nocase, 长度 double precision")
            + rowid,
        QStringLiteral("CREATE TABLE PjTemp (ID double precision, 名称 citext COLLATE nocase, "
                       "规格 citext COLLATE nocase, 技术要求 citext COLLATE nocase, 数量 double precision")
            + rowid,
        QStringLiteral("CREATE TABLE BlTemp (ID double precision, 名称 citext COLLATE nocase, 面积 double precision")
            + rowid,
        QStringLiteral("CREATE INDEX MjTemp_ID ON MjTemp (ID)"),
        QStringLiteral("CREATE INDEX MjTemp_Series ON MjTemp (门窗系列)"),
        QStringLiteral("CREATE INDEX MjTemp_Window ON MjTemp (窗号)"),
        QStringLiteral("CREATE INDEX LcTemp_ID ON LcTemp (ID)"),
        QStringLiteral("CREATE INDEX PjTemp_ID ON PjTemp (ID)"),
        QStringLiteral("CREATE INDEX BlTemp_ID ON BlTemp (ID)"),
        QStringLiteral(
            "CREATE VIEW PriceLc AS SELECT m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, l.代号 AS 代号, "
            "l.长度 AS 长度, p.线重 AS 线重, p.隔热 AS 隔热, p.材料类别 AS 材料类别, p.备注 AS 备注, l.rowid AS rowid "
            "FROM LcTemp l LEFT JOIN MjTemp m ON m.ID = l.ID "
            "LEFT JOIN (SELECT 代号, MIN(编号) AS 编号 FROM lcName GROUP BY 代号) k ON k.代号 = l.代号 "
            "LEFT JOIN lcName p ON p.编号 = k.编号"),
        QStringLiteral("CREATE VIEW PricePj AS SELECT m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, j.名称 AS 名称, "
                       "j.规格 AS 规格, j.技术要求 AS 技术要求, j.数量 AS 数量, p.单位 AS 单位, p.单价 AS 单价, "
                       "p.折扣量 AS 折扣量, p.备注 AS 备注, j.rowid AS rowid "
                       "FROM PjTemp j LEFT JOIN MjTemp m ON m.ID = j.ID "
                       "LEFT JOIN (SELECT 名称, 规格, MIN(编号) AS 编号 FROM pjName GROUP BY 名称, 规格) k "
                       "ON k.名称 = j.名称 AND COALESCE(k.规格, '') = COALESCE(j.规格, '') "
                       "AND (k.规格 IS NULL) = (j.规格 IS NULL) "
                       "LEFT JOIN pjName p ON p.编号 = k.编号"),
        QStringLiteral("CREATE VIEW PriceBl AS SELECT m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, b.名称 AS 名称, "
                       "b.面积 AS 面积, p.单价 AS 单价, p.折扣量 AS 折扣量, p.备注 AS 备注, b.rowid AS rowid "
                       "FROM BlTemp b LEFT JOIN MjTemp m ON m.ID = b.ID "
                       "LEFT JOIN (SELECT 名称, MIN(编号) AS 编号 FROM blName GROUP BY 名称) k ON k.名称 = b.名称 "
                       "LEFT JOIN blName p ON p.编号 = k.编号"),
    };
}

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

// The same on a server, each key's lowest 编号 found once per key.
QString serverPricePjViewSql()
{
    return QStringLiteral(
        "CREATE VIEW PricePj AS SELECT m.门窗系列 AS 门窗系列, m.窗号 AS 窗号, j.名称 AS 名称, "
        "COALESCE(j.规格, '') AS 规格, COALESCE(j.技术要求, '') AS 技术要求, j.数量 AS 数量, p.单位 AS 单位, "
        "p.单价 AS 单价, p.折扣量 AS 折扣量, p.备注 AS 备注, j.rowid AS rowid "
        "FROM PjTemp j LEFT JOIN MjTemp m ON m.ID = j.ID "
        "LEFT JOIN (SELECT 名称, COALESCE(规格, '') AS 规格, MIN(编号) AS 编号 FROM pjName "
        "GROUP BY 名称, COALESCE(规格, '')) k ON k.名称 = j.名称 AND k.规格 = COALESCE(j.规格, '') "
        "LEFT JOIN pjName p ON p.编号 = k.编号");
}

} // namespace

// The register of offers on a server, shared by every seat: an offer issued
// at one workstation is listed, reprinted and revised at the next. The rules
// of the file's triggers, in one function that names the offer refused.
QStringList serverOfferRegisterStatements()
{
    return {
        QStringLiteral("CREATE TABLE bjOffer (编号 citext COLLATE nocase PRIMARY KEY, 日期 text NOT NULL, "
                       "客户 citext COLLATE nocase, 项目 citext COLLATE nocase, 范围 text, 合计 double precision, "
                       "优惠 double precision, 税金 double precision, 总计 double precision, "
                       "原编号 citext COLLATE nocase, 修订 integer NOT NULL, 原总计 double precision, 有效期 integer, "
                       "源文件 text, 面积依据 text, 主材损耗 text, 附件损耗 text, 玻璃损耗 text, 主材单价 text, "
                       "优惠方式 text, 优惠值 double precision, 税率 double precision, 出具时间 text, "
                       "报价单 bytea NOT NULL)"),
        QStringLiteral("CREATE TABLE bjOfferLine (编号 citext COLLATE nocase NOT NULL, 行号 integer NOT NULL, "
                       "窗号 text, 门窗系列 text, 樘数 integer, 面积 double precision, 单价 double precision, "
                       "金额 double precision, PRIMARY KEY (编号, 行号))"),
        QStringLiteral("CREATE TABLE bjOfferCount (编号键 text PRIMARY KEY, 序号 integer NOT NULL)"),
        QStringLiteral("CREATE INDEX bjOffer_Date ON bjOffer (日期, 编号)"),
        QStringLiteral("CREATE INDEX bjOffer_Customer ON bjOffer (客户)"),
        QStringLiteral("CREATE INDEX bjOffer_First ON bjOffer (原编号, 修订)"),
        QStringLiteral("CREATE FUNCTION keep_offer() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                       "IF TG_OP = 'UPDATE' OR EXISTS (SELECT 1 FROM bjOffer o WHERE o.编号 = "
                       "CASE WHEN TG_OP = 'INSERT' THEN NEW.编号 ELSE OLD.编号 END) THEN "
                       "RAISE EXCEPTION '报价记录不能修改'; END IF; "
                       "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$"),
        QStringLiteral(
            "CREATE TRIGGER bjOffer_Keep BEFORE UPDATE ON bjOffer FOR EACH ROW EXECUTE FUNCTION keep_offer()"),
        QStringLiteral("CREATE TRIGGER bjOfferLine_Keep BEFORE INSERT OR UPDATE OR DELETE ON bjOfferLine "
                       "FOR EACH ROW EXECUTE FUNCTION keep_offer()"),
    };
}

// The remnant stock on a server, shared by every seat: an offcut kept by one
// workstation's plan is taken by the next.
QStringList serverRemnantStatements()
{
    return {
        QStringLiteral("CREATE TABLE lcRemnant (ID integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
                       "代号 citext COLLATE nocase, 长度 double precision, 工程 text, 日期 text)"),
        QStringLiteral("CREATE INDEX lcRemnant_Code ON lcRemnant (代号, 长度)"),
    };
}

// The cutting plans confirmed, so that the same plan is not recorded twice.
QStringList serverCutConfirmedStatements()
{
    return {
        QStringLiteral("CREATE TABLE lcCutConfirmed (ID integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
                       "工程 text, 方案 text, 日期 text)"),
        QStringLiteral("CREATE INDEX lcCutConfirmed_Plan ON lcCutConfirmed (方案, 工程)"),
    };
}

SchemaPlan workingSchemaPlan()
{
    SchemaPlan plan;
    plan.steps.append({1, workingSchemaStatements(), {}, serverSharedStatements(), serverSeatStatements()});
    // The stock length of a profile code for the cutting plan; codes without
    // a row use the default stock length.
    plan.steps.append({2,
        {QStringLiteral("CREATE TABLE IF NOT EXISTS lcStock (代号 TEXT COLLATE NOCASE PRIMARY KEY, 定尺 REAL)")}, {},
        {QStringLiteral("CREATE TABLE lcStock (代号 citext COLLATE nocase PRIMARY KEY, 定尺 double precision)")}});
    // Key texts compare without regard to the case of ASCII letters (on a
    // server they always have).
    plan.steps.append({3, {}, collateTextsWithoutCase});
    plan.steps.append({4,
        {QStringLiteral("DROP VIEW IF EXISTS PricePj"), pricedViewDefinition(QStringLiteral("PricePj"))},
        makeWindowIdsUnique, {}, {QStringLiteral("DROP VIEW PricePj"), serverPricePjViewSql()}, makeWindowIdsUnique});
    plan.steps.append({5, offerRegisterStatements(), {}, serverOfferRegisterStatements()});
    // Offcuts kept for later plans: code, length (metres), and the project
    // and date they were cut off in.
    plan.steps.append({6,
        {QStringLiteral("CREATE TABLE IF NOT EXISTS lcRemnant (ID INTEGER PRIMARY KEY, 代号 TEXT COLLATE NOCASE, "
                        "长度 REAL, 工程 TEXT, 日期 TEXT)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS lcRemnant_Code ON lcRemnant (代号, 长度)")},
        {}, serverRemnantStatements()});
    // Each confirmed cutting plan: its project, a digest of its bars and the
    // date, so that confirming the same plan again records nothing twice.
    plan.steps.append({7,
        {QStringLiteral("CREATE TABLE IF NOT EXISTS lcCutConfirmed (ID INTEGER PRIMARY KEY, 工程 TEXT, 方案 TEXT, "
                        "日期 TEXT)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS lcCutConfirmed_Plan ON lcCutConfirmed (方案, 工程)")},
        {}, serverCutConfirmedStatements()});
    // Offers are issued and offcuts kept by whoever quotes and cuts.
    plan.writtenBySeats = {QStringLiteral("bjOffer"), QStringLiteral("bjOfferLine"), QStringLiteral("bjOfferCount"),
        QStringLiteral("lcRemnant"), QStringLiteral("lcCutConfirmed")};
    return plan;
}

} // namespace tarvex
