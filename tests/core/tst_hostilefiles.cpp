#include "clirun.h"
#include "core/app/runtimefolder.h"
#include "core/common/db/database.h"
#include "core/common/io/ini.h"
#include "core/common/io/textcodec.h"
#include "core/prices/priceexport.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

constexpr QFileDevice::Permissions kOwnerOnly
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kPermissionBits = kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QFileDevice::Permissions permissionsOf(const QString &path)
{
    return QFile::permissions(path) & kPermissionBits;
}

// Sets an environment variable (or unsets it) for as long as it lives.
class EnvironmentScope {
public:
    EnvironmentScope(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentScope()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

QString inlineText(const QString &cell, const QString &text)
{
    return "<c r=\"" + cell + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

QString number(const QString &cell, double value)
{
    return "<c r=\"" + cell + "\"><v>" + QString::number(value) + "</v></c>";
}

PriceImportPlan preview(const QString &name, const QString &path)
{
    const PriceTable &table = *findPriceTable(name);
    return previewPriceImport(table, readPriceListFile(path, table), ImportMode::Merge);
}

QStringList problems(const PriceImportPlan &plan)
{
    QStringList lines;
    for (const ImportProblem &p : plan.invalid)
        lines.append(PriceImportPlan::describe(p));
    return lines;
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    // Without a desktop session the programs make a runtime folder of their
    // own; one planted beforehand under a name they could guess is left alone.
    void runtimeFolderIsNewAndPrivate()
    {
        QTemporaryDir temp;
        const QString victim = temp.filePath("victim");
        QVERIFY(QDir().mkdir(victim));
        const QFileDevice::Permissions open = kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::ExeGroup
            | QFileDevice::ReadOther | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(victim, open));
        QVERIFY(QFile::link(victim, temp.filePath("tarvex-runtime-" + QString::number(getuid()))));

        const EnvironmentScope tmp("TMPDIR", QFile::encodeName(temp.path()));
        const EnvironmentScope noSession("XDG_RUNTIME_DIR", QByteArray());
        QProcess cli;
        cli.start(QStringLiteral(TARVEX_BUILD_DIR "/tarvex-cli"), {"--help"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(permissionsOf(victim), open);

        QString made;
        {
            const auto folder = providePrivateRuntimeFolder();
            QVERIFY(folder);
            made = folder->path();
            QCOMPARE(qEnvironmentVariable("XDG_RUNTIME_DIR"), made);
            QCOMPARE(QFileInfo(made).absolutePath(), QFileInfo(temp.path()).absoluteFilePath());
            QVERIFY(!QFileInfo(made).isSymLink());
            QCOMPARE(permissionsOf(made), kOwnerOnly);
            QVERIFY(!providePrivateRuntimeFolder()); // the session has one now
        }
        QVERIFY(!QFileInfo::exists(made));
        QCOMPARE(permissionsOf(victim), open);
    }

    // Texts a spreadsheet would take for formulas go out as texts, and come
    // back unchanged; numbers stay numbers.
    void csvExportNeutralisesFormulas()
    {
        TestHome home(Demo::Prices);
        const QStringList names = {"=HYPERLINK(\"http://x\",\"点我\")", "=cmd|' /C calc'!A0", "+1+2", "-2+3",
            "@SUM(A1)", "'quoted", "''", "'=kept", "-5"};
        for (int i = 0; i < names.size(); ++i)
            sqlExec("INSERT INTO lcName VALUES (?,'S',?,?,-0.5,0,'铝',NULL)",
                QVariantList {100 + i, names[i], QString("X%1").arg(i)});
        const QStringList before = queryRows("SELECT * FROM lcName ORDER BY 编号");
        const QString path = home.file("lc.csv");
        exportPriceTable(*findPriceTable("lcName"), path);
        const QString csv = QString::fromUtf8(readFile(path));
        const QStringList written = {"\"'=HYPERLINK(\"\"http://x\"\",\"\"点我\"\")\"", "'=cmd|' /C calc'!A0", "'+1+2",
            "'-2+3", "'@SUM(A1)", "''quoted", "'''", "''=kept", ",-5,"};
        for (const QString &text : written)
            QVERIFY2(csv.contains(text), qPrintable(text));
        QVERIFY(csv.contains(",X8,-0.5,0,"));

        const PriceTable &table = *findPriceTable("lcName");
        const PriceImportPlan plan = importPriceList(table, readPriceListFile(path, table), ImportMode::Replace);
        QCOMPARE(plan.counts(), QString("新增 0 修改 0 未变 %1 无效 0").arg(before.size()));
        QCOMPARE(queryRows("SELECT * FROM lcName ORDER BY 编号"), before);
    }

    // A date typed into a number column is no price; in a text column it is
    // the date the user sees.
    void workbookDatesAreNoNumbers()
    {
        TestHome home(Demo::Prices);
        const QString styles = "<numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd\"/></numFmts><cellXfs>"
                               "<xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"14\"/><xf numFmtId=\"20\"/>"
                               "</cellXfs>";
        const QString header = "<row r=\"1\">" + inlineText("A1", "名称") + inlineText("B1", "单价")
            + inlineText("C1", "折扣量") + inlineText("D1", "备注") + "</row>";
        const QString path = home.file("dates.xlsx");
        writeTestWorkbook(path,
            header + "<row r=\"2\">" + inlineText("A2", "5mm白玻") + "<c r=\"B2\" s=\"1\"><v>45352</v></c>"
                + number("C2", 1) + "</row><row r=\"3\">" + inlineText("A3", "新玻璃") + number("B3", 80)
                + number("C3", 1) + "<c r=\"D3\" s=\"2\"><v>45352.5</v></c></row>",
            QString(), styles);
        QCOMPARE(problems(preview("blName", path)), QStringList({"第2行: 单价“2024-03-01”是日期, 不是数字"}));

        writeTestWorkbook(path,
            header + "<row r=\"2\">" + inlineText("A2", "5mm白玻") + number("B2", 40) + number("C2", 1)
                + "<c r=\"D2\" s=\"1\"><v>45352</v></c></row><row r=\"3\">" + inlineText("A3", "新玻璃")
                + number("B3", 80) + number("C3", 1) + "<c r=\"D3\" s=\"2\"><v>45352.5</v></c>" + "</row><row r=\"4\">"
                + inlineText("A4", "夹胶玻璃") + number("B4", 90) + number("C4", 1)
                + "<c r=\"D4\" s=\"3\"><v>0.375</v></c></row>",
            QString(), styles);
        const PriceTable &table = *findPriceTable("blName");
        QCOMPARE(importPriceList(table, readPriceListFile(path, table), ImportMode::Merge).counts(),
            QString("新增 2 修改 1 未变 0 无效 0"));
        QCOMPARE(queryRows("SELECT 名称,备注 FROM blName WHERE 名称 IN ('5mm白玻','新玻璃','夹胶玻璃') ORDER BY 编号"),
            QStringList({"5mm白玻|2024-03-01", "新玻璃|2024/3/1", "夹胶玻璃|9:00"}));
    }

    // What the import keeps follows the cells it reads, not the extent of
    // the file: rows reaching column XFD, a file of line breaks, one huge
    // text shared by every row.
    void importMemoryFollowsTheCellsItReads()
    {
        TestHome home(Demo::Prices);
        const PriceTable &table = *findPriceTable("blName");
        QString rows = "<row r=\"1\">" + inlineText("A1", "名称") + inlineText("B1", "单价")
            + inlineText("C1", "折扣量") + inlineText("XFD1", "说明") + "</row>";
        for (int r = 2; r <= 2001; ++r) {
            const QString n = QString::number(r);
            rows += "<row r=\"" + n + "\">" + inlineText("A" + n, "玻璃" + n) + number("B" + n, 10) + number("C" + n, 1)
                + inlineText("XFD" + n, "x") + "</row>";
        }
        writeTestWorkbook(home.file("wide.xlsx"), rows);
        const PriceListFile wide = readPriceListFile(home.file("wide.xlsx"), table);
        QCOMPARE(wide.rows.size(), 2001);
        QCOMPARE(wide.rows.at(1).cells.size(), 3);
        QCOMPARE(wide.rows.last().cells.size(), 3);
        QCOMPARE(
            previewPriceImport(table, wide, ImportMode::Merge).counts(), QString("新增 2000 修改 0 未变 0 无效 0"));

        writeFile(home.file("breaks.csv"), "名称,单价,折扣量\n" + QByteArray(1 << 20, '\n') + "新玻璃,10,1\n");
        const PriceListFile breaks = readPriceListFile(home.file("breaks.csv"), table);
        QList<int> lines;
        forEachPriceListRow(breaks, table, [&lines](const ImportRow &row) { lines.append(row.line); });
        QCOMPARE(lines, QList<int>({1, (1 << 20) + 2}));
        QCOMPARE(problems(previewPriceImport(table, breaks, ImportMode::Merge)), QStringList());

        const QString huge(2 << 20, QChar(u'长'));
        writeTestWorkbook(home.file("shared.xlsx"),
            "<row r=\"1\">" + inlineText("A1", "名称") + inlineText("B1", "单价") + inlineText("C1", "折扣量")
                + inlineText("D1", "备注") + "</row><row r=\"2\">" + inlineText("A2", "新玻璃") + number("B2", 10)
                + number("C2", 1) + "<c r=\"D2\" t=\"s\"><v>0</v></c></row>",
            "<si><t>" + huge + "</t></si>");
        const QStringList before = queryRows("SELECT * FROM blName");
        QCOMPARE(problems(preview("blName", home.file("shared.xlsx"))),
            QStringList({"第2行: 备注有2097152个字符, 超过1000个字符的上限"}));
        QCOMPARE(queryRows("SELECT * FROM blName"), before);
    }

    // NUL and control characters are refused on import; a text a workbook
    // cell cannot hold is refused on export instead of being cut.
    void textsThatWouldNotSurviveAreRefused()
    {
        TestHome home(Demo::Prices);
        writeFile(home.file("nul.csv"),
            QByteArray("名称,单价,折扣量,备注\nab") + '\0' + "c,5,1,\nx,5,1,a\x01" + "b\ny,5,1,\"两\n行\"\n");
        QCOMPARE(problems(preview("blName", home.file("nul.csv"))),
            QStringList({"第2行: 名称含有控制字符: 'ab\\x00c'", "第3行: 备注含有控制字符: 'a\\x01b'"}));

        const PriceTable &table = *findPriceTable("blName");
        sqlExec("INSERT INTO blName VALUES (9,?,1,1,NULL)", {QString(40000, QChar(u'长'))});
        const QString book = home.file("bl.xlsx");
        QCOMPARE(errorOf([&] { exportPriceTable(table, book); }),
            QString("无法导出到工作簿: 编号为“9”的记录的名称有40000个字符, 单元格最多放32767个; 请导出为.csv"));
        sqlExec("UPDATE blName SET 名称='a'||char(0)||'b' WHERE 编号=9");
        QCOMPARE(errorOf([&] { exportPriceTable(table, book); }),
            QString("无法导出到工作簿: 编号为“9”的记录的名称含有控制字符, 工作簿中放不下; 请导出为.csv"));
        QVERIFY(!QFileInfo::exists(book));
        QCOMPARE(exportPriceTable(table, home.file("bl.csv")), sqlScalar("SELECT COUNT(*) FROM blName").toInt());
    }

    // Files that are not what they seem are said to be what they are.
    void filesAreToldForWhatTheyAre()
    {
        TestHome home(Demo::Prices);
        writeFile(
            home.file("mixed.csv"), QString("名称,单价,折扣量\n白玻璃,80,1\n").toUtf8() + encodeGbk("蓝玻璃,90,1\n"));
        QVERIFY(errorOf([&] {
            preview("blName", home.file("mixed.csv"));
        }).endsWith("第3行的编码与前面的行不同: 前面是UTF-8, 这一行不是(可能是GBK); 请把整个文件另存为UTF-8或GBK编码"));

        QByteArray encrypted("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        encrypted += QByteArray(504, '\0');
        for (const char c : QByteArrayView("EncryptedPackage"))
            encrypted.append(c).append('\0');
        writeFile(home.file("locked.xlsx"), encrypted);
        QCOMPARE(errorOf([&] { preview("blName", home.file("locked.xlsx")); }),
            "工作簿" + home.file("locked.xlsx")
                + "设有打开密码(已加密), 无法读取; 请在表格程序中取消密码后另存为.xlsx");
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
