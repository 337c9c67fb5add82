#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/csv.h"
#include "core/common/io/textcodec.h"
#include "core/prices/missingprices.h"
#include "core/prices/priceexport.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

const PriceTable &table(const QString &name)
{
    return *findPriceTable(name);
}

PriceImportPlan importFile(const QString &tableName, const QString &path, ImportMode mode, bool apply)
{
    const PriceListFile file = readPriceListFile(path, table(tableName));
    return apply ? importPriceList(table(tableName), file, mode) : previewPriceImport(table(tableName), file, mode);
}

// Writes the bytes to a file of the test folder, then previews or imports it.
PriceImportPlan importBytes(TestHome &home, const QString &tableName, const QString &fileName, const QByteArray &bytes,
    ImportMode mode = ImportMode::Merge, bool apply = false)
{
    writeFile(home.file(fileName), bytes);
    return importFile(tableName, home.file(fileName), mode, apply);
}

QStringList problems(const PriceImportPlan &plan)
{
    QStringList lines;
    for (const ImportProblem &p : plan.invalid)
        lines.append(PriceImportPlan::describe(p));
    return lines;
}

QStringList wholeTable(const QString &name)
{
    return queryRows(QStringLiteral("SELECT * FROM ") + name + QStringLiteral(" ORDER BY 1"));
}

} // namespace

class TestPriceLists : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void missingPricesOfEveryKindWithRowsAndWindows()
    {
        TestHome home(Demo::PricesAndProject);
        QVERIFY(listMissingPrices().isEmpty());
        sqlExec("DELETE FROM lcName WHERE 代号 IN ('KF604','TL702')");
        sqlExec("UPDATE pjName SET 单价=NULL WHERE 名称='执手'"); // a record without its price
        sqlExec("DELETE FROM pjName WHERE 名称='滑轮'");
        sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
        sqlExec("DELETE FROM MjTemp WHERE ID=1"); // its rows still count, its window no more
        QStringList listed;
        for (const MissingPrice &item : listMissingPrices())
            listed.append(
                QStringList({materialKindName(item.kind), missingPriceKeys(item).join('/'), item.keys.series,
                                QString::number(item.rows), QString::number(item.windows), item.record.toString()})
                    .join('|'));
        QCOMPARE(listed,
            QStringList({"主材|KF604|60平开窗|8|3|", "主材|TL702|70推拉窗|4|4|", "附件|执手/7字型/黑色||4|3|0",
                "附件|滑轮/双轮/||4|4|", "玻璃|5mm白玻||4|4|"}));
    }

    // A large list is read from disk in pieces: every row comes out as the
    // whole text read at once gives it, whatever falls on a piece's edge
    // (a line end inside quotes, CR LF, a character of two or three bytes).
    void largeListsReadAsTheWholeText_data()
    {
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("UTF-8, CR LF") << QByteArray("UTF-8") << "\r\n";
        QTest::newRow("GBK, LF") << QByteArray("GBK") << "\n";
        QTest::newRow("UTF-16, CR") << QByteArray("UTF-16") << "\r";
    }

    void largeListsReadAsTheWholeText()
    {
        QFETCH(QByteArray, encoding);
        QFETCH(QString, lineEnd);
        TestHome home;
        QString text = QStringLiteral("名称;单价;折扣量;备注") + lineEnd;
        for (int i = 0; text.size() < 1500000; ++i)
            text += QStringLiteral("玻璃%1;%2;0.9;\"第一行%3第二;行\"\"引号\"\"\"").arg(i).arg(i % 97).arg(lineEnd)
                + lineEnd;
        QStringEncoder encoder(encoding.constData(), QStringEncoder::Flag::WriteBom);
        const QByteArray bytes = encoder.encode(text);
        writeFile(home.file("big.csv"), bytes);
        const PriceListFile file = readPriceListFile(home.file("big.csv"), table("blName"));
        QCOMPARE(file.encoding, encoding);
        QCOMPARE(file.delimiter, QChar(u';'));
        QList<CsvRecord> whole = parseCsv(text, u';');
        int n = 0;
        forEachPriceListRow(file, table("blName"), [&](const ImportRow &row) {
            QVERIFY(n < whole.size());
            QCOMPARE(row.line, whole.at(n).line);
            QStringList cells;
            for (const SheetCell &cell : row.cells)
                cells.append(QString::number(cell.column) + ':' + cell.text);
            QStringList fields;
            for (int i = 0; i < whole.at(n).fields.size(); ++i)
                fields.append(QString::number(i) + ':' + whole.at(n).fields.at(i));
            QCOMPARE(cells, fields);
            QVERIFY(row.unreadable.isEmpty());
            ++n;
        });
        QCOMPARE(n, whole.size());
    }

    // The import writes what the check planned, without planning again,
    // unless the table or the file changed meanwhile.
    void importAppliesThePlanItWasShown()
    {
        TestHome home(Demo::Prices);
        writeFile(home.file("bl.csv"), "名称,单价,折扣量\n5mm白玻,39,1\n茶玻,40,1\n灰玻,41,1\n");
        const PriceListFile file = readPriceListFile(home.file("bl.csv"), table("blName"));
        int rows = 0;
        const auto count = [&rows](int) { ++rows; };
        const PriceImportPlan plan = previewPriceImport(table("blName"), file, ImportMode::Merge, count);
        QCOMPARE(plan.counts(), QString("新增 2 修改 1 未变 0 无效 0"));
        QCOMPARE(rows, 3);
        rows = 0;
        const QStringList before = wholeTable("blName");
        QCOMPARE(importPriceList(table("blName"), file, ImportMode::Merge, &plan, count).counts(), plan.counts());
        // Written, not planned again (a server tells no change mark: planned again).
        QCOMPARE(rows, onTestServer() ? 6 : 3);
        QCOMPARE(wholeTable("blName").size(), before.size() + 2);

        // A change to the tables since the check: planned again, and refused
        // since the counts are no longer those shown.
        rows = 0;
        sqlExec("DELETE FROM blName WHERE 名称 IN ('茶玻','灰玻')");
        const QStringList now = wholeTable("blName");
        QCOMPARE(errorOf([&] { importPriceList(table("blName"), file, ImportMode::Merge, &plan, count); }),
            QString("玻璃单价表在预览之后已被修改,没有导入任何数据;请重新预览"));
        QCOMPARE(rows, 3);
        QCOMPARE(wholeTable("blName"), now);

        // The file changed on disk since it was read.
        const PriceImportPlan again = previewPriceImport(table("blName"), file, ImportMode::Merge);
        writeFile(home.file("bl.csv"), "名称,单价,折扣量\n5mm白玻,39,1\n茶玻,40,1\n灰玻,42,1\n");
        QCOMPARE(errorOf([&] { importPriceList(table("blName"), file, ImportMode::Merge, &again); }),
            QString("文件%1在读取之后被修改过,请重新选择文件").arg(QDir::toNativeSeparators(home.file("bl.csv"))));
        QCOMPARE(wholeTable("blName"), now);
    }

    void exportThenImportChangesNothing()
    {
        TestHome home(Demo::Prices);
        sqlExec("INSERT INTO lcName VALUES (11,'O''Neil系列','边,框','KF-1',0.1,1,'断桥铝型材','含\"引号\"\n两行')");
        sqlExec("INSERT INTO FyTable VALUES ('O''Neil费',NULL,3.25)");
        // The fees as the quotation lists them.
        const QStringList fees = queryRows("SELECT * FROM FyTable");
        QCOMPARE(fees.first(), QString("安装费|35|0"));
        for (const QString &name : QStringList({"lcName", "pjName", "blName", "FyTable"})) {
            const QStringList before = wholeTable(name);
            for (const QString &suffix : QStringList({"csv", "xlsx"})) {
                const QString path = home.file(name + "." + suffix);
                QCOMPARE(exportPriceTable(table(name), path), before.size());
                for (const ImportMode mode : {ImportMode::Merge, ImportMode::Replace}) {
                    const PriceImportPlan plan = importFile(name, path, mode, true);
                    QCOMPARE(plan.counts(), QString("新增 0 修改 0 未变 %1 无效 0").arg(before.size()));
                    QCOMPARE(plan.removed, 0);
                    QCOMPARE(wholeTable(name), before);
                    // The quotation lists the fees in the table's order.
                    QCOMPARE(queryRows("SELECT * FROM FyTable"), fees);
                }
            }
        }
        // The csv form: BOM, the table's column names, numbers as typed.
        const QByteArray csv = readFile(home.file("lcName.csv"));
        QVERIFY(csv.startsWith("\xEF\xBB\xBF编号,系列,名称,代号,线重,隔热,材料类别,备注\r\n"));
        QVERIFY(csv.contains("\r\n11,O'Neil系列,\"边,框\",KF-1,0.1,1,断桥铝型材,\"含\"\"引号\"\"\n两行\"\r\n"));
    }

    // An accessory without 规格 is priced by a record without one, Null or ''.
    void emptySpecificationIsOneValue()
    {
        TestHome home(Demo::Prices);
        sqlExec("INSERT INTO pjName VALUES (90,'五金','胶条',NULL,NULL,'米',3,1,NULL)");
        const QByteArray csv = "类别,名称,规格,单位,单价,折扣量\r\n五金,胶条,,米,3.5,1\r\n五金,压条,,米,2,1\r\n";
        QCOMPARE(importBytes(home, "pjName", "spec.csv", csv, ImportMode::Merge, true).counts(),
            QString("新增 1 修改 1 未变 0 无效 0"));
        sqlExec("INSERT INTO MjTemp VALUES (1,'S60','C1',1,1)");
        sqlExec("INSERT INTO PjTemp VALUES (1,'胶条','',NULL,2),(1,'压条',NULL,NULL,1)");
        QCOMPARE(queryRows("SELECT 名称,单价 FROM PricePj"), QStringList({"胶条|3.5", "压条|2"}));
        QVERIFY(listMissingPrices().isEmpty());
    }

    // A supplier's spelling of a column is placed; a file whose price column
    // the import cannot place is refused, naming what it found.
    void supplierSpellingsArePlacedOrRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("result");
        const QString changed = "新增 0 修改 1 未变 0 无效 0";
        QTest::newRow("米重") << "lcName" << QByteArray("代号,米重\nKF601,1.5\n") << changed;
        QTest::newRow("unit in brackets") << "lcName" << QByteArray("代号,线重(kg/m)\nKF601,1.5\n") << changed;
        QTest::newRow("full-width brackets and blanks")
            << "lcName" << QByteArray("代号, 线 重（kg/m）\nKF601,1.5\n") << changed;
        QTest::newRow("单价(元)") << "pjName" << QByteArray("名称,规格,单价(元)\n执手,7字型,1.5\n") << changed;
        QTest::newRow("含税单价") << "pjName" << QByteArray("名称,规格,含税单价\n执手,7字型,1.5\n") << changed;
        QTest::newRow("unknown price column") << "lcName" << QByteArray("代号,重量\nKF601,1.5\n")
                                              << "第1行的表头缺少“线重”列(找到的列: “代号”、“重量”; lcName的列名为:";
        QTest::newRow("no price column") << "blName" << QByteArray("名称,折扣量\n5mm白玻,1\n")
                                         << "第1行的表头缺少“单价”列(找到的列: “名称”、“折扣量”;";
        QTest::newRow("fee without amount") << "FyTable" << QByteArray("费用名称\n安装费\n")
                                            << "第1行的表头缺少“费用量”或“百分比”列(找到的列: “费用名称”;";
    }

    void supplierSpellingsArePlacedOrRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, csv);
        QFETCH(QString, result);
        TestHome home(Demo::Prices);
        const QStringList before = wholeTable(name);
        if (result.startsWith("新增")) {
            QCOMPARE(importBytes(home, name, "list.csv", csv, ImportMode::Merge, true).counts(), result);
            const QString sql = name == "lcName" ? QString("SELECT 线重 FROM lcName WHERE 代号='KF601'")
                                                 : QString("SELECT 单价 FROM pjName WHERE 名称='执手'");
            QCOMPARE(sqlScalar(sql).toDouble(), 1.5);
            return;
        }
        for (const ImportMode mode : {ImportMode::Merge, ImportMode::Replace}) {
            const QString error = errorOf([&] { importBytes(home, name, "list.csv", csv, mode, true); });
            QVERIFY2(error.contains(result), qPrintable(error));
            QCOMPARE(wholeTable(name), before);
        }
    }

    void mergeChangesWhatTheFileSaysInAnyEncoding()
    {
        TestHome home(Demo::Prices);
        // One list with each delimiter; the quoted 规格 holds the delimiter, quotes and a line break.
        const auto list = [](const QString &d) {
            return QStringList({"名称", "规格", "单价", "类别", "单位", "折扣量", "说明"}).join(d) + "\r\n"
                + QStringList({"执手", "7字型", "30", "五金", "个", "0.9", "涨价"}).join(d) + "\r\n"
                + QStringList({"合页", "4寸", "6.5", "五金", "个", "1", ""}).join(d) + "\r\n"
                + QStringList(
                    {"拉手", "\"铝" + d + "\"\"银\"\"\r\n加厚\"", "12.5", "五金", "个", "0.1234567890123", "新"})
                      .join(d)
                + "\r\n";
        };
        const QString text = list(";");
        const QString tabs = list("\t");
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        const QList<QPair<QString, QByteArray>> files = {{"gbk.csv", encodeGbk(text)}, {"utf8.txt", tabs.toUtf8()},
            {"utf16.csv", QByteArray(utf16.encode(tabs))}, {"comma.csv", list(",").toUtf8()}};
        for (const auto &[name, bytes] : files) {
            const PriceImportPlan plan = importBytes(home, "pjName", name, bytes);
            QCOMPARE(plan.counts(), QString("新增 1 修改 1 未变 1 无效 0"));
            QCOMPARE(plan.ignoredColumns, QStringList({"说明"}));
        }
        const QStringList before = wholeTable("pjName");
        importBytes(home, "pjName", "gbk.csv", encodeGbk(text), ImportMode::Merge, true);
        QStringList expected = before;
        expected[0] = "0|五金|执手|7字型|黑色|个|30|0.9|"; // 技术要求 and 备注 are not in the file: kept
        expected.append("6|五金|拉手|铝;\"银\"\n加厚||个|12.5|0.1234567890123|");
        QCOMPARE(wholeTable("pjName"), expected);
    }

    void replaceEmptiesTheTableAndKeepsNumbers()
    {
        TestHome home(Demo::Prices);
        // A lone CR ends a line too.
        const QByteArray file = "\xEF\xBB\xBF编号\t名称\t单价\t折扣量\n\t5mm白玻\t40\t1\r7\t8mm钢化\t120\t0.95\n";
        const PriceImportPlan plan = importBytes(home, "blName", "bl.csv", file, ImportMode::Replace);
        QCOMPARE(plan.counts(), QString("新增 1 修改 1 未变 0 无效 0"));
        QCOMPARE(plan.removed, 2);
        QCOMPARE(wholeTable("blName").size(), 3); // a preview writes nothing
        importBytes(home, "blName", "bl.csv", file, ImportMode::Replace, true);
        // The record the file names without a 编号 keeps its own.
        QCOMPARE(wholeTable("blName"), QStringList({"1|5mm白玻|40|1|", "7|8mm钢化|120|0.95|"}));
    }

    void invalidRowsAreNamedAndNothingIsWritten()
    {
        TestHome home(Demo::Prices);
        const QByteArray file = "代号,系列,名称,线重,隔热,材料类别\n"
                                "KF601,60平开窗,外框,1.052,是,断桥铝型材\n"
                                "KF700,70系列,边框,abc,否,普通铝型材\n"
                                ",70系列,边框,1.1,否,普通铝型材\n"
                                "kf601,60平开窗,外框,1.1,True,断桥铝型材\n"
                                "KF701,70系列,边框,1.1,也许,普通铝型材\n"
                                "KF702,70系列,边框,1.1,0,普通铝型材,多余\n"
                                "KF703,\"70\n系列\",边框,1.2,false,普通铝型材\n"
                                "\n"
                                "KF704,70系列,边框,,1,普通铝型材\n"
                                "KF705,\"70系列,边框,1.3,1,普通铝型材\n";
        const QStringList before = wholeTable("lcName");
        const PriceImportPlan plan = importBytes(home, "lcName", "lc.csv", file);
        QCOMPARE(plan.counts(), QString("新增 1 修改 0 未变 1 无效 7"));
        QCOMPARE(problems(plan),
            QStringList({"第3行: 线重“abc”不是数字", "第4行: 缺少代号", "第5行: 代号“kf601”与第2行重复",
                "第6行: 隔热“也许”应为1/0、True/False或是/否", "第7行: 第7列“多余”在表头以外", "第11行: 缺少线重",
                "第12行: 引号没有闭合,文件在引号内结束"}));
        const QString refused = errorOf([&] { importBytes(home, "lcName", "lc.csv", file, ImportMode::Merge, true); });
        QVERIFY2(refused.endsWith("中有7行无效,没有导入任何数据"), qPrintable(refused));
        QCOMPARE(wholeTable("lcName"), before);
    }

    // Files that are no price list of the table at all, named in the refusal.
    void unreadableFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no key column") << QByteArray("名称,线重\nx,1\n") << "第1行的表头缺少“代号”列";
        QTest::newRow("a column twice") << QByteArray("代号,线重,线重\n") << "第1行的表头中“线重”出现了两次";
        QTest::newRow("empty lines") << QByteArray("\n\n") << "中没有数据";
        QTest::newRow("unreadable header")
            << QByteArray("\n\x81\x20\x81,\xff\n") << "第2行的表头无法读取: 含有无法识别的字节";
        QTest::newRow("broken zip") << QByteArray("PK\x03\x04garbage") << "无法作为zip打开";
    }

    void unreadableFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        TestHome home(Demo::Prices);
        const QStringList before = wholeTable("lcName");
        const QString error = errorOf([&] { importBytes(home, "lcName", "bad.csv", bytes); });
        QVERIFY2(error.contains(reason) && error.contains("bad.csv"), qPrintable(error));
        QCOMPARE(wholeTable("lcName"), before);
    }

    void workbooksOfOtherWriters()
    {
        TestHome home(Demo::Prices);
        // A workbook as other programs write it: the first sheet in tab order
        // is the second part, inline and shared rich texts, a boolean, a
        // formula's result, cells left out.
        const QString dir = home.file("book");
        const QList<QPair<QString, QString>> parts = {
            {"[Content_Types].xml", "<Types/>"},
            {"xl/workbook.xml",
                "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                "<sheet name=\"价格\" sheetId=\"2\" r:id=\"rId2\"/><sheet name=\"旧\" sheetId=\"1\" r:id=\"rId1\"/>"
                "</sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
                "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\" Type=\"x/worksheet\"/>"
                "<Relationship Id=\"rId2\" Target=\"/xl/worksheets/sheet2.xml\" Type=\"x/worksheet\"/>"
                "<Relationship Id=\"rId3\" Target=\"sharedStrings.xml\" Type=\"x/sharedStrings\"/></Relationships>"},
            {"xl/sharedStrings.xml",
                "<sst><si><t>代号</t></si><si><r><t>线</t></r><r><t>重</t></r><rPh><t>xz</t></rPh></si></sst>"},
            {"xl/worksheets/sheet1.xml", "<worksheet><sheetData/></worksheet>"},
            {"xl/worksheets/sheet2.xml",
                "<worksheet><sheetData><row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"C2\" t=\"s\"><v>1</v></c>"
                "<c r=\"D2\" t=\"inlineStr\"><is><t>隔热</t></is></c></row>"
                "<row r=\"3\"><c r=\"A3\" t=\"str\"><f>\"KF\"&amp;\"601\"</f><v>KF601</v></c>"
                "<c r=\"C3\"><v>1.0520000000000001</v></c><c r=\"D3\" t=\"b\"><v>1</v></c></row>"
                "<row r=\"5\"><c r=\"A5\"><v>601</v></c><c r=\"C5\"><v>2</v></c><c r=\"D5\" t=\"b\"><v>0</v></c></row>"
                "</sheetData></worksheet>"},
        };
        for (const auto &[name, xml] : parts) {
            QDir().mkpath(QFileInfo(dir + "/" + name).absolutePath());
            writeFile(dir + "/" + name, xml.toUtf8());
        }
        QProcess zip;
        zip.setWorkingDirectory(dir);
        zip.start("zip", {"-qr", home.file("other.xlsx"), "."});
        QVERIFY(zip.waitForFinished(30000) && zip.exitCode() == 0);
        PriceImportPlan plan = importFile("lcName", home.file("other.xlsx"), ImportMode::Merge, false);
        // KF601 as stored; 601 is new but lacks what a new profile needs.
        QCOMPARE(plan.counts(), QString("新增 0 修改 0 未变 1 无效 1"));
        QCOMPARE(problems(plan), QStringList({"第5行: 缺少系列; 缺少名称; 缺少材料类别"}));

        // One written by a spreadsheet program: the reading is the same for both engines.
        if (onTestServer())
            return;
        QString office = QStandardPaths::findExecutable("soffice");
        if (office.isEmpty())
            office = QStandardPaths::findExecutable("libreoffice");
        if (office.isEmpty())
            QSKIP("LibreOffice is not installed: the workbook of a spreadsheet program is not tried");
        writeFile(home.file("fees.csv"), "费用名称,费用量,百分比\n安装费,40,0\n利润,0,8\nO'Neil费,,2.5\n");
        QProcess convert;
        convert.start(office,
            {"-env:UserInstallation=file://" + home.file("office"), "--headless", "--infilter=CSV:44,34,76,1",
                "--convert-to", "xlsx", "--outdir", home.path(), home.file("fees.csv")});
        QVERIFY(convert.waitForFinished(180000));
        QVERIFY2(QFile::exists(home.file("fees.xlsx")), convert.readAllStandardError().constData());
        plan = importFile("FyTable", home.file("fees.xlsx"), ImportMode::Merge, true);
        QCOMPARE(plan.counts(), QString("新增 1 修改 1 未变 1 无效 0"));
        QCOMPARE(queryRows("SELECT * FROM FyTable WHERE 费用名称 IN ('安装费','O''Neil费') ORDER BY 1"),
            QStringList({"O'Neil费||2.5", "安装费|40|0"}));
    }

    void checkAndPricesFromTheCommandLine()
    {
        TestHome home(Demo::PricesAndProject);
        sqlExec("DELETE FROM pjName WHERE 名称='滑轮'");
        sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
        CliResult r = runCli(home, {"check", "--json", home.file("check.json")});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QString("2 附件数据中有记录末找到单价!\n附件\t滑轮\t双轮\t\t4\t4\n玻璃\t5mm白玻\t4\t4\n"));
        const QJsonObject json = QJsonDocument::fromJson(readFile(home.file("check.json"))).object();
        QCOMPARE(json["code"].toInt(), 2);
        QCOMPARE(json["missing"].toArray().size(), 2);
        const QJsonObject glass = json["missing"].toArray().at(1).toObject();
        QCOMPARE(glass["kind"].toString() + glass["name"].toString() + QString::number(glass["windows"].toInt()),
            QString("玻璃5mm白玻4"));

        r = runCli(home, {"prices", "export", "blName", home.file("bl.csv")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QString("已导出2条记录到%1\n").arg(QDir::toNativeSeparators(home.file("bl.csv"))));
        writeFile(home.file("bl.csv"), readFile(home.file("bl.csv")) + ",5mm白玻,38,1,\n,错价,三十,1,\n");
        r = runCli(home, {"prices", "import", "blName", home.file("bl.csv"), "--dry-run"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString("新增 1 修改 0 未变 2 无效 1\n第5行: 单价“三十”不是数字\n"));
        writeFile(home.file("bl.csv"), readFile(home.file("bl.csv")).replace("三十", "30"));
        r = runCli(home, {"prices", "import", "blName", home.file("bl.csv"), "--replace", "--dry-run"});
        QCOMPARE(r.out, QString("新增 2 修改 0 未变 2 无效 0\n"));
        QCOMPARE(wholeTable("blName").size(), 2);
        r = runCli(home, {"prices", "import", "blName", home.file("bl.csv")});
        QCOMPARE(r.status, 0);
        QCOMPARE(wholeTable("blName").size(), 4);
        QCOMPARE(runCli(home, {"check"}).out, QString("2 附件数据中有记录末找到单价!\n附件\t滑轮\t双轮\t\t4\t4\n"));

        r = runCli(home, {"prices", "import", "pjName", home.file("none.csv")});
        QVERIFY2(r.status == 1 && r.err.startsWith("当前错误:找不到文件"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestPriceLists)
#include "tst_pricelists.moc"
