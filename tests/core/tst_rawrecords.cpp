#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/rawedit/rawlayout.h"
#include "core/rawedit/rawrecords.h"
#include "core/viewer/viewerpages.h"
#include "testsupport.h"

#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Text1..Text10 of the editor, the way the viewer's grid row fills them.
QStringList boxes(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *t : texts)
        list.append(QString::fromUtf8(t));
    while (list.size() < 10)
        list.append(QString());
    return list;
}

} // namespace

class TestRawRecords : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void addsRecordsToTheWindowOfTheRow()
    {
        TestHome home;
        home.loadDemoProject();
        addRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C2", " KF699 ", "2.35", "1.052"}));
        QCOMPARE(queryRows("SELECT ID,代号,长度 FROM LcTemp WHERE 代号='KF699'"), QStringList {"2|KF699|2.35"});
        // After the loaded rows, in their order.
        QCOMPARE(
            queryRows("SELECT 代号 FROM LcTemp WHERE rowid=(SELECT MAX(rowid) FROM LcTemp)"), QStringList {"KF699"});

        // Specification and requirement left blank are stored as Null.
        addRawEntry(MaterialKind::Accessory, boxes({"70推拉窗", "TC1", "防盗扣", "", " ", "4"}));
        QCOMPARE(queryRows("SELECT ID,名称,规格 IS NULL,技术要求 IS NULL,数量 FROM PjTemp WHERE 名称='防盗扣'"),
            QStringList {"5|防盗扣|1|1|4"});

        addRawEntry(MaterialKind::Glass, boxes({"50平开门", "M4", "5mm白玻", "0.75"}));
        QCOMPARE(queryRows("SELECT ID,面积 FROM BlTemp WHERE 名称='5mm白玻' AND ID=12"), QStringList {"12|0.75"});

        addRawEntry(MaterialKind::Window, boxes({"12", "60平开窗", "C5", "1.2", "1.3"}));
        QCOMPARE(queryRows("SELECT * FROM MjTemp WHERE 窗号='C5'"), QStringList {"13|60平开窗|C5|1.2|1.3"});
    }

    void refusedWritesChangeNothing()
    {
        TestHome home;
        home.loadDemoProject();
        const QStringList before = queryRows("SELECT * FROM LcTemp ORDER BY rowid");
        QVERIFY(errorOf([] {
            addRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C9", "KF601", "1"}));
        }).contains("没有找到门窗"));
        QVERIFY(errorOf([] {
            addRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C1", "KF601", "1,5"}));
        }).contains("主材长度不是有效的数字: 1,5"));
        QVERIFY(errorOf([] {
            modifyRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C1", "KF601", "abc"}), {"KF601", "1.2"});
        }).contains("主材长度"));
        QVERIFY(errorOf([] {
            modifyRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C1", "KF601", "2"}), {"KF601", "9.99"});
        }).contains("没有找到要修改的记录"));
        // A row of a window that is gone is not deleted from another window.
        QVERIFY(errorOf([] {
            deleteViewerRow(MaterialKind::Profile, {"60平开窗", "C9", "KF601", "1.2"});
        }).contains("没有找到门窗"));
        QCOMPARE(queryRows("SELECT * FROM LcTemp ORDER BY rowid"), before);

        const QStringList windows = queryRows("SELECT * FROM MjTemp ORDER BY rowid");
        QVERIFY(!errorOf([] {
            modifyRawEntry(MaterialKind::Window, boxes({"ID", "a", "b", "1", "1"}), {"ID"});
        }).isEmpty());
        QVERIFY(!errorOf([] {
            modifyRawEntry(MaterialKind::Window, boxes({"3", "a", "", "1", "1"}), {"99"});
        }).isEmpty());
        QCOMPARE(queryRows("SELECT * FROM MjTemp ORDER BY rowid"), windows);

        QVERIFY(rawEntryComplete(MaterialKind::Window, boxes({"", "60平开窗", "C1", "1", "1"})));
        QVERIFY(!rawEntryComplete(MaterialKind::Window, boxes({"", "60平开窗", "  ", "1", "1"})));
        QVERIFY(!rawEntryComplete(MaterialKind::Accessory, boxes({"a", "b", "执手", "", "", ""})));
        QVERIFY(rawEntryComplete(MaterialKind::Accessory, boxes({"a", "b", "执手", "", "", "2"})));
    }

    void apostrophesAreFoundFilteredModifiedAndDeleted()
    {
        TestHome home;
        // The first window of an empty table gets ID 1, the next one 2.
        addRawEntry(MaterialKind::Window, boxes({"", "60'系列", "C'1", "1.5", "1.6"}));
        addRawEntry(MaterialKind::Window, boxes({"1", "60平开窗", "C2", "2", "2.1"}));
        QCOMPARE(queryRows("SELECT ID,窗号 FROM MjTemp ORDER BY ID"), (QStringList {"1|C'1", "2|C2"}));
        addRawEntry(MaterialKind::Profile, boxes({"60'系列", "C'1", "K'01", "1.25"}));
        addRawEntry(MaterialKind::Accessory, boxes({"60'系列", "C'1", "执'手", "7'字", "黑'色", "2"}));
        QCOMPARE(queryRows("SELECT * FROM PriceLc WHERE 窗号='C''1'").size(), 1);

        modifyRawEntry(MaterialKind::Profile, boxes({"60'系列", "C'1", "K'02", "1.5"}), {"K'01", "1.25"});
        modifyRawEntry(MaterialKind::Accessory, boxes({"60'系列", "C'1", "执'手", "7'字", "", "3"}),
            {"执'手", "7'字", "黑'色", "2"});
        QCOMPARE(queryRows("SELECT * FROM LcTemp ORDER BY rowid"), QStringList {"1|K'02|1.5"});
        QCOMPARE(queryRows("SELECT * FROM PjTemp ORDER BY rowid"), QStringList {"1|执'手|7'字||3"});

        deleteViewerRow(MaterialKind::Profile, {"60'系列", "C'1", "K'02", "1.5", ""});
        deleteViewerRow(MaterialKind::Accessory, {"60'系列", "C'1", "执'手", "7'字", "", "3"});
        modifyRawEntry(
            MaterialKind::Window, boxes({"1", "70'系列", "C'2", "2", "2.1"}), {"1", "60'系列", "C'1", "1.5", "1.6"});
        QCOMPARE(queryRows("SELECT * FROM MjTemp ORDER BY rowid"),
            (QStringList {"1|70'系列|C'2|2|2.1", "2|60平开窗|C2|2|2.1"}));
        QVERIFY(queryRows("SELECT * FROM LcTemp ORDER BY rowid").isEmpty());
        QVERIFY(queryRows("SELECT * FROM PjTemp ORDER BY rowid").isEmpty());
    }

    void modifyAndDeleteFindTheRecordByItsValues()
    {
        TestHome home;
        home.loadDemoProject();
        // Window 1 holds two identical KF601 cuts of 1.2.
        modifyRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C1", "KF601", "1.3"}), {"KF601", "1.2"});
        QCOMPARE(queryRows("SELECT 长度 FROM LcTemp WHERE ID=1 AND 代号='KF601' ORDER BY rowid"),
            (QStringList {"1.3", "1.2", "1.5", "1.5"}));
        deleteViewerRow(MaterialKind::Profile, {"60平开窗", "C1", "KF601", "1.5"});
        QCOMPARE(queryRows("SELECT 长度 FROM LcTemp WHERE ID=1 AND 代号='KF601' ORDER BY rowid"),
            (QStringList {"1.3", "1.2", "1.5"}));

        // Numbers are matched exactly, not through single precision.
        addRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C1", "KF601", "1234.56"}));
        addRawEntry(MaterialKind::Glass, boxes({"60平开窗", "C1", "5mm白玻", "0.1234567891"}));
        modifyRawEntry(MaterialKind::Profile, boxes({"60平开窗", "C1", "KF601", "1234.57"}), {"KF601", "1234.56"});
        QCOMPARE(queryRows("SELECT 长度 FROM LcTemp WHERE ID=1 AND 长度>1000"), QStringList {"1234.57"});
        deleteViewerRow(MaterialKind::Profile, {"60平开窗", "C1", "KF601", "1234.57"});
        QVERIFY(queryRows("SELECT * FROM LcTemp WHERE 长度>1000").isEmpty());
        deleteViewerRow(MaterialKind::Glass, {"60平开窗", "C1", "5mm白玻", "0.1234567891"});
        QVERIFY(queryRows("SELECT * FROM BlTemp WHERE 名称='5mm白玻' AND ID=1").isEmpty());

        // An accessory without specification is found by name and quantity.
        sqlExec("INSERT INTO PjTemp VALUES (3,'防尘刷',NULL,NULL,2.5)");
        sqlExec("INSERT INTO PjTemp VALUES (3,'防尘刷','8mm',NULL,2.5)");
        modifyRawEntry(
            MaterialKind::Accessory, boxes({"60平开窗", "C3", "防尘刷", "6mm", "", "3"}), {"防尘刷", "", "", "2.5"});
        QCOMPARE(queryRows("SELECT 规格,数量 FROM PjTemp WHERE 名称='防尘刷' ORDER BY rowid"),
            (QStringList {"6mm|3", "8mm|2.5"}));
        // Clearing the specification stores Null again.
        modifyRawEntry(
            MaterialKind::Accessory, boxes({"60平开窗", "C3", "防尘刷", " ", "", "3"}), {"防尘刷", "6mm", "", "3"});
        QCOMPARE(
            queryRows("SELECT 规格 IS NULL FROM PjTemp WHERE 名称='防尘刷' ORDER BY rowid"), (QStringList {"1", "0"}));
    }

    void everyShownValueFindsTheRowShown()
    {
        TestHome home;
        sqlExec("INSERT INTO MjTemp VALUES (1,'S60','C1',1.2,1.3),(7,'S70 ',' C1',2,2.1),(8,'S70 ','C2',2,2.1)");
        const QString accessories = "INSERT INTO PjTemp VALUES (1,'执手','7字型','黑色',1),(1,'执手',NULL,'黑色',1),"
                                    "(1,'执手','','黑色',1),(1,'执手','7字型',NULL,1)";
        const auto pjRows = [] { return queryRows("SELECT 规格,技术要求,数量 FROM PjTemp ORDER BY rowid"); };
        // The row with the empty specification is the one deleted or changed.
        sqlExec(accessories);
        deleteViewerRow(MaterialKind::Accessory, {"S60", "C1", "执手", "", "黑色", "1"});
        QCOMPARE(pjRows(), (QStringList {"7字型|黑色|1", "|黑色|1", "7字型||1"}));
        deleteViewerRow(MaterialKind::Accessory, {"S60", "C1", "执手", "", "黑色", "1"});
        deleteViewerRow(MaterialKind::Accessory, {"S60", "C1", "执手", "7字型", "", "1"});
        QCOMPARE(pjRows(), QStringList {"7字型|黑色|1"});
        sqlExec("DELETE FROM PjTemp");
        sqlExec(accessories);
        modifyRawEntry(
            MaterialKind::Accessory, boxes({"S60", "C1", "执手", "", "黑色", "2"}), {"执手", "", "黑色", "1"});
        QCOMPARE(pjRows(), (QStringList {"7字型|黑色|1", "|黑色|2", "|黑色|1", "7字型||1"}));

        // Windows: series and window code are looked up as stored, blanks included.
        deleteViewerRow(MaterialKind::Window, {"8", "S70 ", "C2", "2", "2.1"});
        QCOMPARE(queryRows("SELECT 窗号 FROM MjTemp WHERE 门窗系列='S70 '"), QStringList {" C1"});
        const QStringList shown {"7", "S70 ", " C1", "2", "2.1"};
        modifyRawEntry(MaterialKind::Window, boxes({"7", "S70", "C1", "2", "2.2"}), shown);
        QCOMPARE(queryRows("SELECT * FROM MjTemp WHERE ID=7"), QStringList {"7|S70|C1|2|2.2"});
        // What was shown is gone: nothing else is changed in its place.
        QVERIFY(errorOf([&] {
            modifyRawEntry(MaterialKind::Window, boxes({"7", "S8", "C8", "2", "2"}), shown);
        }).contains("没有找到要修改的记录"));
        sqlExec("UPDATE MjTemp SET 门窗系列='S70 ',窗号=' C1' WHERE ID=7");
        addRawEntry(MaterialKind::Profile, boxes({"S70 ", " C1", "KF601", "1.2"}));
        modifyRawEntry(MaterialKind::Profile, boxes({"S70 ", " C1", "KF602", "1.3"}), {"KF601", "1.2"});
        QCOMPARE(queryRows("SELECT * FROM PriceLc WHERE 门窗系列='S70 '"), QStringList {"S70 | C1|KF602|1.3||||"});
    }
};

QTEST_GUILESS_MAIN(TestRawRecords)
#include "tst_rawrecords.moc"
