#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/common/io/textcodec.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricelists.h"
#include "core/prices/pricerecords.h"
#include "core/prices/pricetables.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

ProfileEntry profile(const QString &series, const QString &name, const QString &weight)
{
    ProfileEntry e;
    e.series = series;
    e.name = name;
    e.code = QStringLiteral("KF601");
    e.weight = weight;
    e.materialClass = QStringLiteral("断桥铝型材");
    return e;
}

AccessoryEntry accessory(const QString &name, const QString &spec)
{
    AccessoryEntry e;
    e.category = QStringLiteral("五金");
    e.name = name;
    e.spec = spec;
    e.unit = QStringLiteral("个");
    e.price = QStringLiteral("28");
    e.discount = QStringLiteral("0.9");
    return e;
}

QString tableText(const QString &sql)
{
    return queryRows(sql).join(QLatin1Char('\n'));
}

} // namespace

class TestPriceRecords : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void numbersFollowTheLargestNumber()
    {
        TestHome home;
        QCOMPARE(nextPriceNumber("lcName"), 0);
        SaveOutcome first = saveProfile(profile("60平开窗", "外框", " 0.35 "), EntryMode::Add);
        QCOMPARE(first.result, SaveResult::Added);
        QCOMPARE(first.number, 0);
        QCOMPARE(saveProfile(profile("60平开窗", "外框", "1.052"), EntryMode::Add).number, 1);
        // Stored as the numbers typed: no single-precision loss.
        QCOMPARE(tableText("SELECT 线重, 隔热 FROM lcName WHERE 编号=0"), QString("0.35|1"));
        AccessoryEntry a = accessory("执手", "7字型");
        a.price = "1.1";
        saveAccessory(a, EntryMode::Add);
        QCOMPARE(sqlScalar("SELECT 单价 FROM pjName").toDouble(), 1.1);

        // Gaps below the largest number are not reused.
        sqlExec("DELETE FROM blName");
        sqlExec("INSERT INTO blName (编号,名称,单价,折扣量) VALUES (3,'a',1,1),(41,'b',1,1),(7,'c',1,1)");
        GlassEntry glass {QString(), "5mm白玻", "38", "1", QString()};
        QCOMPARE(saveGlass(glass, EntryMode::Add).number, 42);
        QCOMPARE(tableText("SELECT 编号,名称,单价,折扣量,备注 FROM blName WHERE 编号=42"), QString("42|5mm白玻|38|1|"));
    }

    void refusesLettersWithoutWriting()
    {
        TestHome home(Demo::Prices);
        const auto allTables = []() -> QString {
            return tableText("SELECT * FROM lcName") + tableText("SELECT * FROM pjName")
                + tableText("SELECT * FROM blName") + tableText("SELECT * FROM FyTable");
        };
        const QString before = allTables();
        auto expectRefusal = [](const std::function<void()> &save, const QString &reasonPart) {
            const QString message = errorOf(save);
            QVERIFY2(!message.isEmpty() && message.contains(reasonPart), qPrintable(message));
        };
        expectRefusal([] { saveProfile(profile("60平开窗", "外框", "abc"), EntryMode::Add); }, "线重");
        ProfileEntry modified = profile("60平开窗", "外框", "1.0kg");
        modified.number = "0";
        expectRefusal([&] { saveProfile(modified, EntryMode::Modify); }, "1.0kg");
        AccessoryEntry a = accessory("新执手", "X");
        a.price = "十元";
        expectRefusal([&] { saveAccessory(a, EntryMode::Add); }, "单价");
        a.price = "10";
        a.discount = "0,9";
        expectRefusal([&] { saveAccessory(a, EntryMode::Add); }, "折扣量");
        expectRefusal([] { saveGlass({"0", "5mm白玻", "x1", "1", ""}, EntryMode::Modify); }, "单价");
        expectRefusal([] { saveFee({"新费用", "", "5%"}, EntryMode::Add, QString()); }, "百分比");
        // A number key that is not a number, or no longer in the table.
        modified.weight = "1.0";
        modified.number = "";
        expectRefusal([&] { saveProfile(modified, EntryMode::Modify); }, "编号");
        modified.number = "99";
        expectRefusal([&] { saveProfile(modified, EntryMode::Modify); }, "99");

        QCOMPARE(allTables(), before);
    }

    void requiredFieldsAreChecked()
    {
        TestHome home;
        QCOMPARE(saveProfile(profile("60平开窗", "  ", "1"), EntryMode::Add).result, SaveResult::Incomplete);
        ProfileEntry noClass = profile("60平开窗", "外框", "1");
        noClass.materialClass = " ";
        QCOMPARE(saveProfile(noClass, EntryMode::Add).result, SaveResult::Incomplete);
        QCOMPARE(saveAccessory(accessory("执手", ""), EntryMode::Add).result, SaveResult::Incomplete);
        QCOMPARE(saveGlass({"", "5mm白玻", "38", "", ""}, EntryMode::Add).result, SaveResult::Incomplete);
        QVERIFY(queryRows("SELECT 编号 FROM lcName UNION ALL SELECT 编号 FROM pjName UNION ALL SELECT 编号 FROM blName")
                    .isEmpty());
    }

    void remarksLeftEmptyOnModifyAreKept()
    {
        TestHome home(Demo::Prices);
        ProfileEntry e = profile(" 60平开窗 ", "外框", "1.06");
        e.number = "0";
        e.thermal = false;
        e.remark = "  ";
        QCOMPARE(saveProfile(e, EntryMode::Modify).result, SaveResult::Modified);
        QCOMPARE(
            tableText("SELECT * FROM lcName WHERE 编号=0"), QString("0|60平开窗|外框|KF601|1.06|0|断桥铝型材|6063-T5"));
        e.remark = "新备注";
        saveProfile(e, EntryMode::Modify);
        QCOMPARE(sqlScalar("SELECT 备注 FROM lcName WHERE 编号=0").toString(), QString("新备注"));

        // 技术要求 and the remark of an accessory; on add they stay unset.
        AccessoryEntry a = accessory("执手", "7字型");
        a.number = "0";
        a.price = "30";
        QCOMPARE(saveAccessory(a, EntryMode::Modify).result, SaveResult::Modified);
        QCOMPARE(tableText("SELECT * FROM pjName WHERE 编号=0"), QString("0|五金|执手|7字型|黑色|个|30|0.9|"));
        a = accessory("执手", "9字型");
        saveAccessory(a, EntryMode::Add);
        QCOMPARE(tableText("SELECT 技术要求 IS NULL, 备注 IS NULL FROM pjName WHERE 规格='9字型'"), QString("1|1"));

        GlassEntry g {"2", "6+12A+6Low-E中空玻璃", "170", "0.9", ""};
        saveGlass(g, EntryMode::Modify);
        QCOMPARE(tableText("SELECT * FROM blName WHERE 编号=2"), QString("2|6+12A+6Low-E中空玻璃|170|0.9|钢化"));
    }

    void accessoryDuplicatesAreRefused()
    {
        TestHome home(Demo::Prices);
        const int before = sqlScalar("SELECT COUNT(*) FROM pjName").toInt();
        QCOMPARE(saveAccessory(accessory(" 执手 ", "7字型"), EntryMode::Add).result, SaveResult::Duplicate);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM pjName").toInt(), before);
        SaveOutcome other = saveAccessory(accessory("执手", "9字型"), EntryMode::Add);
        QCOMPARE(other.result, SaveResult::Added);
        QCOMPARE(other.number, 6);

        // Modifying a record keeps its own name and spec; taking another's is refused.
        AccessoryEntry own = accessory("合页", "4寸");
        own.number = "1";
        own.price = "7";
        QCOMPARE(saveAccessory(own, EntryMode::Modify).result, SaveResult::Modified);
        AccessoryEntry taken = accessory("执手", "7字型");
        taken.number = "1";
        QCOMPARE(saveAccessory(taken, EntryMode::Modify).result, SaveResult::Duplicate);
        QCOMPARE(tableText("SELECT 名称,规格,单价 FROM pjName WHERE 编号=1"), QString("合页|4寸|7"));

        // Apostrophes are plain text, in the check and in the record.
        QCOMPARE(saveAccessory(accessory("O'Neil执手", "7'"), EntryMode::Add).result, SaveResult::Added);
        QCOMPARE(saveAccessory(accessory("O'Neil执手", "7'"), EntryMode::Add).result, SaveResult::Duplicate);
    }

    void feesNeedAnAmountAndFollowTheirName()
    {
        TestHome home(Demo::Prices);
        QCOMPARE(saveFee({"包装费", " ", ""}, EntryMode::Add, QString()).result, SaveResult::Incomplete);
        QCOMPARE(saveFee({" ", "3", ""}, EntryMode::Add, QString()).result, SaveResult::Incomplete);

        SaveOutcome added = saveFee({"税金", "", "6"}, EntryMode::Add, QString());
        QCOMPARE(added.result, SaveResult::Added);
        QCOMPARE(tableText("SELECT 费用名称, 费用量 IS NULL, 百分比 FROM FyTable WHERE 费用名称='税金'"),
            QString("税金|1|6"));

        // Renamed A -> B: the record A becomes B, no new record; an emptied
        // amount keeps the stored one.
        const int count = sqlScalar("SELECT COUNT(*) FROM FyTable").toInt();
        SaveOutcome renamed = saveFee({"安装费(含辅料)", "", "1"}, EntryMode::Modify, "安装费");
        QCOMPARE(renamed.result, SaveResult::Modified);
        QCOMPARE(renamed.feeName, QString("安装费(含辅料)"));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM FyTable").toInt(), count);
        QCOMPARE(tableText("SELECT * FROM FyTable WHERE 费用名称='安装费(含辅料)'"), QString("安装费(含辅料)|35|1"));
        // Saved again under the name it now has.
        saveFee({"安装费(含辅料)", "36", ""}, EntryMode::Modify, renamed.feeName);
        QCOMPARE(tableText("SELECT * FROM FyTable WHERE 费用名称='安装费(含辅料)'"), QString("安装费(含辅料)|36|1"));

        // A second fee of an existing name, added or renamed to, is refused in words.
        const QString taken("费用表中已有名为“运输费”的费用");
        QCOMPARE(errorOf([] { saveFee({"运输费", "1", ""}, EntryMode::Add, QString()); }), taken);
        QCOMPARE(errorOf([] { saveFee({"运输费", "1", ""}, EntryMode::Modify, "利润"); }), taken);
        QVERIFY(errorOf([] { saveFee({"已删除", "1", ""}, EntryMode::Modify, "已删除"); }).contains("已删除"));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM FyTable").toInt(), count);

        // A name with an apostrophe can be added and renamed.
        saveFee({"工人's费", "2", ""}, EntryMode::Add, QString());
        saveFee({"工人's费2", "3", ""}, EntryMode::Modify, "工人's费");
        QCOMPARE(tableText("SELECT * FROM FyTable WHERE 费用名称 LIKE '工人%'"), QString("工人's费2|3|"));
    }

    void deletesByKeyAndRefusesWhatIsNotThere()
    {
        TestHome home(Demo::Prices);
        deletePriceRecord(*findPriceTable("lcName"), "3");
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName WHERE 编号=3").toInt(), 0);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName").toInt(), 10);

        sqlExec("INSERT INTO FyTable VALUES ('O''Neil费', 1, NULL)");
        deletePriceRecord(*findPriceTable("FyTable"), "O'Neil费");
        QCOMPARE(queryRows("SELECT 费用名称 FROM FyTable ORDER BY 费用名称"),
            QStringList({"利润", "安装费", "管理费", "运输费"}));

        // The blank row of an empty table, a stale row, a text where a number belongs.
        for (const QString &key : {QString(), QString("3"), QString("3 or 1=1")})
            QVERIFY(!errorOf([&] { deletePriceRecord(*findPriceTable("lcName"), key); }).isEmpty());
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName").toInt(), 10);
    }

    void clearKeepsACopyThatImportBringsBack()
    {
        TestHome home(Demo::Prices);
        const PriceTable &table = *findPriceTable("lcName");
        sqlExec("UPDATE lcName SET 备注='含''引号, 逗号' WHERE 编号=3");
        const QString all = "SELECT * FROM lcName ORDER BY 编号";
        const QStringList before = queryRows(all);

        const QString copy = clearPriceTable(table);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM lcName").toInt(), 0);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM blName").toInt(), 3);
        QCOMPARE(QFileInfo(copy).absolutePath(), QFileInfo(home.file("newdb.sqlite")).absolutePath());
        QVERIFY2(QFileInfo(copy).fileName().startsWith("lcName-备份-") && copy.endsWith(".csv"), qPrintable(copy));
        // A second clear of the same second does not write over the first copy.
        sqlExec("INSERT INTO lcName (编号,系列,名称,代号,线重,隔热,材料类别) VALUES (99,'S','N','C',1,0,'钢衬')");
        const QString second = clearPriceTable(table);
        QVERIFY(second != copy && QFileInfo::exists(copy));
        // An empty table has nothing to keep.
        QCOMPARE(clearPriceTable(table), QString());

        importPriceList(table, readPriceListFile(copy, table), ImportMode::Replace);
        QCOMPARE(queryRows(all), before);
    }

    void clearKeepsEverythingWhenTheCopyCannotBeWritten()
    {
        TestHome home(Demo::Prices);
        setSaveFileMaker([](const QString &path) {
            auto file = std::make_unique<QSaveFile>(path);
            file->setFileName(path + "/cannot/be/here");
            return file;
        });
        const QString error = errorOf([] { clearPriceTable(*findPriceTable("pjName")); });
        setSaveFileMaker(nullptr);
        QVERIFY2(error.contains("pjName-备份-"), qPrintable(error));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM pjName").toInt(), 6);
    }

    void listsSkipNullsAndTakeQuotes()
    {
        TestHome home(Demo::Prices);
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
        writeFile(home.file("cllb.txt"), QString(" 钢衬 \n\n塑钢").toUtf8());
        // Lines are taken whole, empty ones too.
        QCOMPARE(readMaterialClasses(home.file("cllb.txt")), QStringList({" 钢衬 ", "", "塑钢"}));
        // Short GBK that is also valid UTF-8, with CR line ends.
        writeFile(home.file("cllb.txt"), encodeGbk("幕墙\r幕墙\r"));
        QCOMPARE(readMaterialClasses(home.file("cllb.txt")), QStringList({"幕墙", "幕墙"}));
        QVERIFY(errorOf([&] { readMaterialClasses(home.file("none.txt")); }).contains("none.txt"));
    }
};

QTEST_GUILESS_MAIN(TestPriceRecords)
#include "tst_pricerecords.moc"
