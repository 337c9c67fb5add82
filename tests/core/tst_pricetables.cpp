#include "common/database.h"
#include "common/error.h"
#include "common/textcodec.h"
#include "prices/pricelists.h"
#include "prices/pricetables.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

class TestPriceTables : public QObject {
    Q_OBJECT

private slots:
    void deletesByKeyAndRefusesWhatIsNotThere()
    {
        TestHome home;
        home.loadDemoPrices();
        deletePriceRecord(*findPriceTable("lcName"), "3");
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName WHERE 编号=3").toInt(), 0);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName").toInt(), 10);

        sqlExec("INSERT INTO FyTable VALUES ('O''Neil费', 1, NULL)");
        deletePriceRecord(*findPriceTable("FyTable"), "O'Neil费");
        QCOMPARE(queryRows("SELECT 费用名称 FROM FyTable ORDER BY 费用名称"),
            QStringList({"利润", "安装费", "管理费", "运输费"}));

        // The blank row of an empty table, a stale row, a text where a number belongs.
        for (const QString &key : {QString(), QString("3"), QString("3 or 1=1")}) {
            try {
                deletePriceRecord(*findPriceTable("lcName"), key);
                QFAIL("deleted nothing but did not say so");
            } catch (const Error &e) {
                QVERIFY(!e.message().isEmpty());
            }
        }
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName").toInt(), 10);

        clearPriceTable(*findPriceTable("pjName"));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM pjName").toInt(), 0);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM blName").toInt(), 3);
    }

    void listsSkipNullsAndTakeQuotes()
    {
        TestHome home;
        home.loadDemoPrices();
        sqlExec("INSERT INTO lcName (编号,系列,名称) VALUES (20,NULL,'x'),(21,'A''s系列','边框'),(22,'A''s系列',NULL)");
        QCOMPARE(profileSeries(), QStringList({"60平开窗", "70推拉窗", "50平开门", "A's系列"}));
        QCOMPARE(profileNames("A's系列"), QStringList({"边框"}));
        QCOMPARE(profileNames("70推拉窗"), QStringList({"上下框", "下滑轨", "扇料", "勾企"}));
        QCOMPARE(accessoryClasses(), QStringList({"五金", "密封"}));
        QCOMPARE(accessoryNames("密封"), QStringList({"密封胶条"}));
    }

    void materialClassesFromGbkOrUtf8()
    {
        TestHome home;
        QCOMPARE(readMaterialClasses(sourcePath("data/runtime/cllb.txt")),
            QStringList({"断桥铝型材", "普通铝型材", "塑钢型材", "钢衬", "不锈钢型材"}));
        QFile utf8(home.file("cllb.txt"));
        QVERIFY(utf8.open(QIODevice::WriteOnly));
        utf8.write(QString(" 钢衬 \n\n塑钢").toUtf8());
        utf8.close();
        // Lines are taken whole, empty ones too.
        QCOMPARE(readMaterialClasses(home.file("cllb.txt")), QStringList({" 钢衬 ", "", "塑钢"}));
        // Short GBK that is also valid UTF-8, with CR line ends.
        writeFile(home.file("cllb.txt"), encodeGbk("幕墙\r幕墙\r"));
        QCOMPARE(readMaterialClasses(home.file("cllb.txt")), QStringList({"幕墙", "幕墙"}));
        try {
            readMaterialClasses(home.file("none.txt"));
            QFAIL("a missing file gave a list");
        } catch (const Error &e) {
            QVERIFY(e.message().contains("none.txt"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPriceTables)
#include "tst_pricetables.moc"
