#include "core/common/db/bulkrows.h"
#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/db/schema.h"
#include "core/common/db/sqlgridmodel.h"
#include "core/common/db/sqlscript.h"
#include "core/common/error.h"
#include "core/rawdata/workingtables.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

class TestDatabase : public QObject {
    Q_OBJECT

    // Runs statements on a file through a connection of its own, as another
    // program (or an older version of this one) would.
    static void prepareFile(const QString &path, const QStringList &statements)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const QString &statement : statements)
                sqlExec(statement, {}, db);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    }

    // The columns in their stored order; a server keeps the row number of
    // the file's rowid as a column of its own, last.
    static QStringList columns(const QString &table)
    {
        QStringList names;
        const QSqlRecord record
            = sqlExec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 0")).record();
        for (int i = 0; i < record.count(); ++i)
            names.append(record.fieldName(i) == QLatin1String("id") ? QStringLiteral("ID") : record.fieldName(i));
        if (onTestServer() && names.endsWith(QStringLiteral("rowid")))
            names.removeLast();
        return names;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void schemaHasTheColumnsInOrder()
    {
        TestHome home;
        QCOMPARE(columns(QStringLiteral("MjTemp")), QStringList({"ID", "门窗系列", "窗号", "框面积", "洞口面积"}));
        QCOMPARE(columns(QStringLiteral("LcTemp")), QStringList({"ID", "代号", "长度"}));
        QCOMPARE(columns(QStringLiteral("PjTemp")), QStringList({"ID", "名称", "规格", "技术要求", "数量"}));
        QCOMPARE(columns(QStringLiteral("BlTemp")), QStringList({"ID", "名称", "面积"}));
        QCOMPARE(columns(QStringLiteral("lcName")),
            QStringList({"编号", "系列", "名称", "代号", "线重", "隔热", "材料类别", "备注"}));
        QCOMPARE(columns(QStringLiteral("pjName")),
            QStringList({"编号", "类别", "名称", "规格", "技术要求", "单位", "单价", "折扣量", "备注"}));
        QCOMPARE(columns(QStringLiteral("blName")), QStringList({"编号", "名称", "单价", "折扣量", "备注"}));
        QCOMPARE(columns(QStringLiteral("FyTable")), QStringList({"费用名称", "费用量", "百分比"}));
        QCOMPARE(columns(QStringLiteral("PriceLc")),
            QStringList({"门窗系列", "窗号", "代号", "长度", "线重", "隔热", "材料类别", "备注"}));
        QCOMPARE(columns(QStringLiteral("PricePj")),
            QStringList({"门窗系列", "窗号", "名称", "规格", "技术要求", "数量", "单位", "单价", "折扣量", "备注"}));
        QCOMPARE(columns(QStringLiteral("PriceBl")),
            QStringList({"门窗系列", "窗号", "名称", "面积", "单价", "折扣量", "备注"}));
    }

    void reopeningKeepsTheData()
    {
        TestHome home;
        sqlExec(QStringLiteral("INSERT INTO blName VALUES (3,'白玻',80,1,NULL)"));
        Database::closeShared();
        home.reopen();
        QCOMPARE(queryRows(QStringLiteral("SELECT 名称 FROM blName")), QStringList({"白玻"}));
    }

    void schemaVersionsAreKept()
    {
        if (onTestServer())
            QSKIP("the file's own versions");
        TestHome home;
        const QString path = home.file(Database::fileName());
        const int current = workingSchemaPlan().currentVersion();
        QCOMPARE(sqlScalar(QStringLiteral("PRAGMA user_version")).toInt(), current);
        QCOMPARE(sqlScalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
        Database::closeShared();

        // A file made before versions were kept: its tables and rows are
        // adopted, the missing views are added.
        QFile::remove(path);
        prepareFile(path,
            {"CREATE TABLE MjTemp (ID INTEGER, 门窗系列 TEXT, 窗号 TEXT, 框面积 REAL, 洞口面积 REAL)",
                "CREATE TABLE LcTemp (ID INTEGER, 代号 TEXT, 长度 REAL)",
                "CREATE TABLE lcName (编号 INTEGER PRIMARY KEY, 系列 TEXT, 名称 TEXT, 代号 TEXT, 线重 REAL, "
                "隔热 INTEGER, 材料类别 TEXT, 备注 TEXT)",
                "INSERT INTO lcName VALUES (1,'S60','框','A01',1.2,0,'铝',NULL)",
                "INSERT INTO MjTemp VALUES (1,'S60','C1',1,1),(1,'S60','C1b',1,1)",
                "INSERT INTO LcTemp VALUES (1,'A01',1000)"});
        Database::open(path);
        // Two windows of one ID: the later one gets an ID of its own, the cut stays single.
        QCOMPARE(queryRows(QStringLiteral("SELECT 窗号,代号,线重 FROM PriceLc")), QStringList({"C1|A01|1.2"}));
        QCOMPARE(queryRows(QStringLiteral("SELECT ID,窗号 FROM MjTemp ORDER BY ID")), QStringList({"1|C1", "2|C1b"}));
        QCOMPARE(sqlScalar(QStringLiteral("PRAGMA user_version")).toInt(), current);
        Database::closeShared();

        // A file of a newer program is refused and left alone.
        prepareFile(path, {QStringLiteral("PRAGMA user_version=%1").arg(current + 1)});
        const QString error = errorOf([&] { Database::open(path); });
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)) && error.contains(QString::number(current + 1))
                && error.contains(QStringLiteral("版本 %1").arg(current)),
            qPrintable(error));
        QVERIFY(!Database::isSharedOpen());
        Database::open(home.file(QStringLiteral("other.sqlite"))); // for TestHome's clean-up
    }

    // The mechanism serves any database file with its own steps.
    void upgradeStepsRunOnceInOneTransaction()
    {
        if (onTestServer())
            QSKIP("the file's own upgrades");
        TestHome home;
        const QString path = home.file(QStringLiteral("second.sqlite"));
        SchemaPlan plan;
        plan.steps.append({1, {"CREATE TABLE IF NOT EXISTS t (a TEXT)"}});
        QSqlDatabase db;
        const auto reopen = [&] {
            db = QSqlDatabase();
            db = Database::openFile(path, QStringLiteral("second"), plan);
        };
        reopen();
        sqlExec(QStringLiteral("INSERT INTO t VALUES ('kept')"), {}, db);

        int runs = 0;
        plan.steps.append({2, {"ALTER TABLE t ADD b TEXT", "UPDATE t SET b = 'new'"}, [&](QSqlDatabase &) { ++runs; }});
        reopen();
        reopen();
        QCOMPARE(runs, 1);
        QCOMPARE(queryRows(QStringLiteral("SELECT a,b FROM t"), db), QStringList({"kept|new"}));

        // A failing step leaves the file at its version, without half of the step.
        plan.steps.append({3, {"CREATE TABLE u (x)", "no such statement"}});
        QVERIFY(errorOf(reopen).contains(path));
        plan.steps.removeLast();
        reopen();
        QCOMPARE(schemaVersion(db), 2);
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name='u'"), {}, db).toInt(), 0);
        db = QSqlDatabase();
        Database::close(QStringLiteral("second"));
    }

    void viewsKeepOneRowPerWorkingRow()
    {
        TestHome home;
        sqlExec(QStringLiteral("INSERT INTO MjTemp VALUES (1,'S60','C1',1.5,1.6)"));
        sqlExec(QStringLiteral("INSERT INTO LcTemp VALUES (1,'A01',1000),(1,'A02',500),(9,'A01',10)"));
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'执手','L型',NULL,2),(1,'合页','X',NULL,3),"
                               "(1,'胶条','',NULL,4),(1,'压条',NULL,'',5)"));
        sqlExec(QStringLiteral("INSERT INTO BlTemp VALUES (1,'白玻',1.2),(1,'蓝玻',0.4)"));
        // Two price rows share the key A01: the lower 编号 (5) is used.
        sqlExec(QStringLiteral("INSERT INTO lcName VALUES (7,'S60','框','A01',9.9,0,'铝','后'),"
                               "(5,'S60','框','A01',1.2,1,'铝','先')"));
        sqlExec(QStringLiteral("INSERT INTO pjName VALUES (1,'五金','执手','L型',NULL,'个',10,0.9,NULL),"
                               "(2,'五金','执手','L型',NULL,'个',99,1,NULL),"
                               "(3,'五金','合页','Y',NULL,'个',5,1,NULL),"
                               "(4,'五金','胶条',NULL,NULL,'米',3,1,NULL),(5,'五金','压条','',NULL,'米',2,1,NULL)"));
        sqlExec(QStringLiteral("INSERT INTO blName VALUES (1,'白玻',80,1,'a'),(2,'白玻',90,1,'b')"));

        const QString lc = QStringLiteral("SELECT 门窗系列,窗号,代号,长度,线重,隔热,材料类别,备注 FROM PriceLc");
        QCOMPARE(queryRows(lc + workingRowOrder()),
            QStringList({"S60|C1|A01|1000|1.2|1|铝|先", "S60|C1|A02|500||||", "||A01|10|1.2|1|铝|先"}));
        QCOMPARE(queryRows(QStringLiteral("SELECT 名称,规格,单价,折扣量 FROM PricePj") + workingRowOrder()),
            QStringList({"执手|L型|10|0.9", "合页|X||", "胶条||3|1", "压条||2|1"}));
        // Null and '' are one empty 规格 and 技术要求, also when grouped.
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'胶条',NULL,'',1)"));
        QCOMPARE(queryRows(QStringLiteral("SELECT 名称,规格,技术要求,SUM(数量) FROM PricePj WHERE 名称='胶条' "
                                          "GROUP BY 名称,规格,技术要求")),
            QStringList({"胶条|||5"}));
        QCOMPARE(queryRows(QStringLiteral("SELECT 名称,面积,单价,备注 FROM PriceBl") + workingRowOrder()),
            QStringList({"白玻|1.2|80|a", "蓝玻|0.4||"}));
        // A duplicate price row must not double the weight, nor can a second window of the same ID.
        QCOMPARE(sqlScalar(QStringLiteral("SELECT SUM(长度*线重) FROM PriceLc WHERE 窗号='C1'")).toDouble(), 1200.0);
        QVERIFY(errorOf([] {
            sqlExec(QStringLiteral("INSERT INTO MjTemp VALUES (1,'S60','C2',1,1)"));
        }).contains(QStringLiteral("UNIQUE"), Qt::CaseInsensitive));
    }

    // A large grid reads its rows block by block by their keys: every row
    // in its place, at the edges of the blocks of 256 too, whatever order
    // the blocks are read in.
    void largeGridsShowEveryRowInPlace_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("expected"); // every row in the grid's order
        // The working rows' lengths are their load order.
        QTest::newRow("priced view") << "PriceLc"
                                     << "" << QVariantList() << ""
                                     << "SELECT * FROM PriceLc ORDER BY 长度";
        QTest::newRow("filtered view") << "PriceLc"
                                       << " WHERE 门窗系列=?" << QVariantList {"S1"} << ""
                                       << "SELECT * FROM PriceLc WHERE 门窗系列='S1' ORDER BY 长度";
        // An empty 规格 shown and priced alike whether Null or ''.
        QTest::newRow("accessory view") << "PricePj"
                                        << "" << QVariantList() << ""
                                        << "SELECT * FROM PricePj ORDER BY 数量";
        QTest::newRow("window table") << "MjTemp"
                                      << "" << QVariantList() << ""
                                      << "SELECT * FROM MjTemp ORDER BY ID";
        // Many equal sort values: they keep the order of their 编号.
        QTest::newRow("price table in its order") << "lcName"
                                                  << "" << QVariantList() << " ORDER BY 系列,名称"
                                                  << "SELECT * FROM lcName ORDER BY 系列,名称,编号";
        QTest::newRow("filtered price table") << "lcName"
                                              << " WHERE 系列=?" << QVariantList {"B"} << ""
                                              << "SELECT * FROM lcName WHERE 系列='B' ORDER BY 编号";
    }

    void largeGridsShowEveryRowInPlace()
    {
        QFETCH(QString, source);
        QFETCH(QString, filter);
        QFETCH(QVariantList, values);
        QFETCH(QString, order);
        QFETCH(QString, expected);
        TestHome home;
        inTransaction(Database::shared(), [] {
            for (int i = 1; i <= 600; ++i) {
                sqlExec(QStringLiteral("INSERT INTO MjTemp VALUES (?,?,?,1,1)"),
                    {i, QStringLiteral("S%1").arg(i % 5), QStringLiteral("C%1").arg(i)});
                sqlExec(QStringLiteral("INSERT INTO lcName VALUES (?,?,?,?,?,1,'铝',NULL)"),
                    {i, QString(QChar(u'A' + i % 3)), QStringLiteral("框%1").arg(i % 7),
                        QStringLiteral("K%1").arg(i % 40), 1 + i / 100.0});
            }
            // The windows interleave; the last piece belongs to none.
            for (int i = 1; i <= 700; ++i)
                sqlExec(QStringLiteral("INSERT INTO LcTemp VALUES (?,?,?)"),
                    {i == 700 ? 9999 : (i * 7) % 600 + 1, QStringLiteral("K%1").arg(i % 45), i});
            sqlExec(QStringLiteral("INSERT INTO LcTemp VALUES (1,'K1',701)"));
            const QVariant specs[] = {QStringLiteral("L"), QVariant(), QString()};
            for (int i = 1; i <= 300; ++i)
                sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (?,'执手',?,NULL,?)"), {i, specs[i % 3], i});
            sqlExec(QStringLiteral("INSERT INTO pjName VALUES (1,'五金','执手',NULL,NULL,'把',12,1,NULL)"));
        });
        SqlGridModel model;
        model.setSource({source, filter, values, order}, Database::shared());
        const QStringList rows = queryRows(expected);
        const int count = int(rows.size());
        QCOMPARE(model.recordCount(), count);
        QCOMPARE(model.columnCount(),
            int(sqlExec(expected).record().count()) - (onTestServer() && !source.startsWith("lc") ? 1 : 0));
        auto row = [&](int r) {
            QStringList texts;
            for (int c = 0; c < model.columnCount(); ++c)
                texts.append(model.value(r, c).isNull() ? QString() : model.value(r, c).toString());
            return texts.join(QLatin1Char('|'));
        };
        // A server's row number ends its rows; the grid does not show it.
        const int shown = model.columnCount();
        auto expectedRow = [&](int r) { return rows.at(r).section(QLatin1Char('|'), 0, shown - 1); };
        for (int r : {count - 1, 512, 511, 256, 255, 0, count / 2})
            if (r < count)
                QCOMPARE(row(r), expectedRow(r));
        for (int r = 0; r < count; ++r)
            QCOMPARE(row(r), expectedRow(r));
    }

    void firstKeepsTheGroupsFirstValue()
    {
        TestHome home;
        sqlExec(QStringLiteral("INSERT INTO MjTemp VALUES (1,'S60','C1',1,1),(2,'S60','C2',2,2),(3,'S70','C3',3,3)"));
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'执手','L',NULL,1),(2,'执手','L','黑色',2),"
                               "(3,'执手','L','白色',3),(3,'执手','M','白色',1),(1,'执手','M','黑色',1)"));
        // FIRST keeps the first value of the group, Null included, and the
        // group's texts come from its first row, whatever the server's plan.
        const auto first = [](const QString &where) {
            return queryRows(QStringLiteral("SELECT 名称,规格,FIRST(技术要求) AS 要求,SUM(数量) AS 数量 FROM ")
                + groupedRows(QStringLiteral("PjTemp"), QStringLiteral("名称,规格")) + where
                + QStringLiteral(" GROUP BY 名称,规格 ORDER BY 名称,规格"));
        };
        QCOMPARE(first(QString()), QStringList({"执手|L||6", "执手|M|白色|2"}));
        QCOMPARE(first(QStringLiteral(" WHERE ID>1")), QStringList({"执手|L|黑色|5", "执手|M|白色|1"}));
        QCOMPARE(queryRows(QStringLiteral("SELECT SUM(框面积) AS mj,门窗系列 FROM mjTemp GROUP BY 门窗系列 "
                                          "ORDER BY 门窗系列")),
            QStringList({"3|S60", "3|S70"}));
        sqlExec(
            QStringLiteral("INSERT INTO lcName VALUES (1,'S','框','A',1,1,'铝',NULL),(2,'S','扇','B',1,0,'铝',NULL)"));
        QCOMPARE(queryRows(QStringLiteral("SELECT 代号 FROM lcName WHERE 隔热=1")), QStringList({"A"}));
    }

    // Stored bytes come back as bytes through the bulk readers, not decoded as text.
    void cursorsGiveStoredBytesBack()
    {
        TestHome home;
        const QByteArray pdf("%PDF\0\xff\xfe\x80 end", 14);
        sqlExec(QStringLiteral("INSERT INTO bjOffer (编号,日期,修订,报价单) VALUES ('B1','2026-01-05',0,?)"), {pdf});
        const QString sql = QStringLiteral("SELECT 报价单 FROM bjOffer WHERE 编号='B1'");
        RowCursor cursor(Database::shared(), sql);
        QVERIFY(cursor.next());
        QCOMPARE(cursor.value(0).toByteArray(), pdf);
        RepeatedQuery repeated(Database::shared(), sql);
        QVERIFY(repeated.next());
        QCOMPARE(repeated.value(0).toByteArray(), pdf);
    }

    // The spellings of the design tool's own queries that only a file takes.
    void jetStyleQueriesRunOnAFile()
    {
        if (onTestServer())
            QSKIP("Jet's spellings are the file's");
        TestHome home;
        sqlExec(QStringLiteral("INSERT INTO MjTemp VALUES (1,'S60','C1',1,1),(2,'S60','C2',2,2),(3,'S70','C3',3,3)"));
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(门窗系列) AS ID FROM(SELECT 门窗系列 FROM mjTemp "
                                          "GROUP BY 门窗系列)"))
                     .toInt(),
            2);
        sqlExec(QStringLiteral(
            "INSERT INTO lcName VALUES (1,'S','框','A',1,True,'铝',NULL),(2,'S','扇','B',1,False,'铝',NULL)"));
        QCOMPARE(queryRows(QStringLiteral("SELECT 代号 FROM lcName WHERE 隔热=True")), QStringList({"A"}));
        QCOMPARE(queryRows(QStringLiteral("SELECT 隔热 FROM lcName ORDER BY 编号")), QStringList({"1", "0"}));
    }

    void demoDataIsFullyPriced()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(*) FROM MjTemp")).toInt(), 12);
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(DISTINCT 门窗系列) FROM MjTemp")).toInt(), 3);
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(*) FROM PriceLc WHERE 线重 IS NULL")).toInt(), 0);
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(*) FROM PricePj WHERE 单价 IS NULL")).toInt(), 0);
        QCOMPARE(sqlScalar(QStringLiteral("SELECT COUNT(*) FROM PriceBl WHERE 单价 IS NULL")).toInt(), 0);
    }

    void scriptsRunAsTheShellReadsThem()
    {
        TestHome home;
        // A trigger as each engine writes one: the script is cut into
        // statements at the right places.
        const QString trigger = onTestServer()
            ? QStringLiteral("CREATE FUNCTION blnote() RETURNS trigger LANGUAGE plpgsql AS $body$\n"
                             "BEGIN UPDATE blName SET 备注='新' WHERE 编号=NEW.编号; RETURN NULL; END;\n"
                             "$body$;\n"
                             "CREATE TRIGGER blNote AFTER INSERT ON blName FOR EACH ROW EXECUTE FUNCTION blnote();\n")
            : QStringLiteral("CREATE TRIGGER blNote AFTER INSERT ON blName BEGIN\n"
                             "  UPDATE blName SET 备注='新' WHERE 编号=NEW.编号;\n"
                             "END;\n");
        runSqlScript("-- the firm's prices\n"
                     "BEGIN TRANSACTION;\n"
                     "/* two; statements */ INSERT INTO blName VALUES (1,'白玻; 5mm',80,1,NULL);\n"
                + trigger
                + "INSERT INTO blName VALUES (2,'蓝玻',90,1,NULL); -- it's blue\n"
                  "COMMIT;\n",
            Database::shared());
        QCOMPARE(
            queryRows("SELECT 编号,名称,备注 FROM blName ORDER BY 编号"), QStringList({"1|白玻; 5mm|", "2|蓝玻|新"}));
        // A failing statement is named by its line and changes nothing.
        const QString error = errorOf([] {
            runSqlScript(
                "INSERT INTO blName VALUES (3,'x',1,1,NULL);\n\n  INSERT INTO nowhere VALUES (1);", Database::shared());
        });
        QVERIFY2(error.startsWith(QStringLiteral("第3行: ")) && error.contains(QStringLiteral("nowhere")),
            qPrintable(error));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM blName").toInt(), 2);
    }

    // A damaged, read-only or foreign file is named and said what is wrong
    // with it, the engine's words after it.
    void fileFailuresNameTheFileInPlainWords()
    {
        if (onTestServer())
            QSKIP("a file's failures");
        TestHome home;
        const QString path = home.file("bad.sqlite");
        writeFile(path, QByteArray("not a database at all").repeated(300));
        QCOMPARE(errorOf([&] { Database::open(path, "bad"); }),
            "数据库文件 " + path + " 已损坏或不是数据库文件: file is not a database");

        // Pages overwritten in the middle of a file.
        QFile::remove(path);
        prepareFile(path,
            {"CREATE TABLE t (a TEXT)",
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                "WHERE i<2000) INSERT INTO t SELECT printf('%0500d',i) FROM n"});
        QByteArray bytes = readFile(path);
        bytes.replace(4096 * 3, 4096 * 4, QByteArray(4096 * 4, '\xA5'));
        writeFile(path, bytes);
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damaged"));
        raw.setDatabaseName(path);
        QVERIFY(raw.open());
        QCOMPARE(errorOf([&] { sqlExec("SELECT COUNT(*), MAX(a) FROM t", {}, raw); }),
            "数据库文件 " + path + " 已损坏或不是数据库文件: database disk image is malformed");
        raw.close();

        const QString working = home.file(Database::fileName());
        raw.setDatabaseName(working);
        raw.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(raw.open());
        QCOMPARE(errorOf([&] { sqlExec("INSERT INTO blName VALUES (1,'白玻',80,1,NULL)", {}, raw); }),
            "数据库文件 " + working + " 是只读的, 无法写入: attempt to write a readonly database");
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("damaged"));
    }

    void failuresCarryTheReason()
    {
        TestHome home;
        try {
            sqlExec(QStringLiteral("SELECT * FROM NoSuchTable"));
            QFAIL("no error");
        } catch (const Error &e) {
            QVERIFY(e.message().contains(QStringLiteral("NoSuchTable"), Qt::CaseInsensitive));
        }
        if (onTestServer())
            return;
        // Loading a project into a database that cannot be written says so in words.
        sqlExec("PRAGMA query_only=1");
        const QString error = errorOf([] { loadRawDataFile(sourcePath("data/demo/demo.xdt")); });
        QVERIFY2(error.contains(QStringLiteral("是只读的, 无法写入")), qPrintable(error));
        sqlExec("PRAGMA query_only=0");
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
