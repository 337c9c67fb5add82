#include "app/paths.h"
#include "cli.h"
#include "common/database.h"
#include "common/ini.h"
#include "testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

struct CliResult {
    int status;
    QString out;
    QString err;
};

CliResult runCli(const TestHome &home, QStringList args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    args.prepend(home.path());
    args.prepend("--home");
    args.prepend("tarvex-cli");
    const int status = cli::run(args, outStream, errStream);
    return {status, out, err};
}

const QStringList kPrices = {"--lc-price", "断桥铝型材/True/20", "--lc-price", "普通铝型材/False/15"};

} // namespace

class TestCliQuote : public QObject {
    Q_OBJECT

private slots:
    void quoteWritesTheJsonForm()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const CliResult r = runCli(home,
            QStringList(
                {"quote", "--scope", "series", "--project", "某小区", "--title", "报价", "--with-name", "--json", "-"})
                + kPrices);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        QVERIFY2(
            r.out.startsWith("{\"scope\": \"series\", \"area_basis\": \"frame\", \"items\": ["), qPrintable(r.out));
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray items = root["items"].toArray();
        QCOMPARE(items.size(), 3);
        const QJsonObject door = items[0].toObject();
        QCOMPARE(door["name"].toString(), QString("50平开门"));
        QCOMPARE(door["sheet"].toString(), QString("50平开门"));
        QCOMPARE(door["title"].toString(), QString("某小区50平开门报价"));
        QCOMPARE(door["area"].toString(), QString("10.71"));
        const QJsonObject profile = door["materials"].toArray()[1].toObject();
        QCOMPARE(profile["kind"].toString(), QString("profile"));
        QCOMPARE(profile["spec"].toString(), QString("隔热材"));
        QCOMPARE(profile["qty"].toString(), QString("6.433"));
        QCOMPARE(profile["unit"].toString(), QString("Kg/m2"));
        QCOMPARE(profile["total"].toString(), QString("128.660"));
        const QJsonObject lock = door["materials"].toArray()[5].toObject();
        QCOMPARE(lock["remark"].toString(), QString("C级锁芯"));
        QCOMPARE(lock["serial"].toInt(), 6);
        const QJsonObject fee = door["fees"].toArray()[2].toObject();
        QCOMPARE(fee["price"].toString(), QString("5.000%"));
        QCOMPARE(fee["value"].toString(), QString("11.917"));
        QCOMPARE(door["material_total"].toString(), QString("238.337"));
        QCOMPARE(door["fee_total"].toString(), QString("77.984"));
        QCOMPARE(door["unit_price"].toString(), QString("316.321"));
        QCOMPARE(door["total_price"].toString(), QString("3387.798"));
    }

    void optionsComeFromCsIniAndMissingPricesAreNamed()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QStringList keys = {"tx1", "tx4", "tx5", "op3", "op5", "ch1"};
        const QStringList values = {"1.1", "甲方", "单", "True", "True", "1"};
        for (int i = 0; i < keys.size(); ++i)
            QVERIFY(WriteIni(iniPath(), "cs1", keys[i], values[i]));
        const QString file = home.file("quote.json");
        const CliResult r
            = runCli(home, {"quote", "--lc-price", "断桥铝型材/true/20元", "--lc-price", "铜/False/3", "--json", file});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QString("未给出主材单价: 普通铝型材 非隔热材,按0计算\n工程中没有这种主材: 铜 非隔热材\n"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        QCOMPARE(root["scope"].toString(), QString("window"));
        QCOMPARE(root["area_basis"].toString(), QString("opening"));
        const QJsonObject c1 = root["items"].toArray()[0].toObject();
        QCOMPARE(c1["title"].toString(), QString("甲方C1单"));
        QCOMPARE(c1["area"].toString(), QString("1.89"));
        const QJsonArray materials = c1["materials"].toArray();
        QCOMPARE(materials[0].toObject()["price"].toString(), QString("0.000"));
        QCOMPARE(materials[1].toObject()["price"].toString(), QString("20.000"));
        // The loss factor 1.1 of cs.ini: 10.38... kg / 1.89 m² × 1.1.
        QCOMPARE(materials[1].toObject()["qty"].toString(), QString("6.042"));
    }

    void checkRefusesUnlessYes()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        CliResult r = runCli(home, {"check"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QString("0\n"));

        sqlExec("DELETE FROM blName WHERE 名称='5mm白玻'");
        r = runCli(home, {"check"});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QString("3 玻璃数据中有记录末找到单价!\n玻璃\t5mm白玻\t4\t4\n"));
        r = runCli(home, QStringList({"quote", "--json", "-"}) + kPrices);
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QString());
        QVERIFY(r.err.startsWith("玻璃数据中有记录末找到单价!"));
        r = runCli(home, QStringList({"quote", "--yes"}) + kPrices);
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains("玻璃5mm白玻没有单价,按0计算"));
        QVERIFY(r.out.contains("5mm白玻\t\t0.310\tm2/m2\t0.000\t0.000"));
        QVERIFY(r.out.contains("总价\t"));
        // The paper quotation refuses whatever --yes says, and writes nothing.
        const std::pair<const char *, const char *> missing[] = {
            {"SELECT 1", "玻璃数据中有记录末找到单价!\n"},
            {"DELETE FROM pjName WHERE 名称='滑轮'", "附件数据中有记录末找到单价!\n"},
        };
        for (const auto &[sql, message] : missing) {
            sqlExec(QString::fromUtf8(sql));
            const QString pdf = home.file("paper.pdf");
            const QString xlsx = home.file("book.xlsx");
            r = runCli(home, QStringList({"quote", "--yes", "--pdf", pdf, "--xlsx", xlsx}) + kPrices);
            QCOMPARE(r.status, 3);
            QVERIFY2(r.err.startsWith(QString::fromUtf8(message)), qPrintable(r.err));
            QVERIFY(!QFile::exists(pdf) && !QFile::exists(xlsx));
        }

        sqlExec("UPDATE lcName SET 线重=NULL");
        r = runCli(home, QStringList({"quote", "--yes"}) + kPrices);
        QCOMPARE(r.status, 3);
        QCOMPARE(r.err, QString("主材数据中有记录末找到线重!\n"));
    }

    void badUsageAndFailures()
    {
        TestHome home;
        // Each command has its own usage, printed after the reason of a refusal.
        const struct {
            QStringList args;
            int status;
            const char *reason;
        } usages[] = {
            {{"quote", "--scope", "house"}, 2, "--scope: house\n用法: tarvex-cli [--home DIR] quote [选项]\n"},
            {{"quote", "--lc-price", "铝/maybe/3"}, 2, "--lc-price 应为 类别/True|False/单价: 铝/maybe/3\n"},
            {{"quote", "--extra"}, 2, "未知选项: --extra\n"},
            {{"quote", "--json"}, 2, "选项有误: "},
            {{"load"}, 2, "缺少参数\n用法: tarvex-cli [--home DIR] load FILE.xdt\n"},
            {{"save", "a.xdt", "b.xdt"}, 2, "多余的参数: b.xdt\n"},
            {{"check", "--yes"}, 2, "未知选项: --yes\n用法: tarvex-cli [--home DIR] check [选项]\n"},
            {{"init", "--seed"}, 2, "选项有误: "},
            {{"frobnicate"}, 2, "未知命令: frobnicate\n"},
        };
        for (const auto &u : usages) {
            const CliResult r = runCli(home, u.args);
            QCOMPARE(r.status, u.status);
            QVERIFY2(r.err.startsWith(QString::fromUtf8(u.reason)), qPrintable(r.err));
        }
        const CliResult help = runCli(home, {"quote", "--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("--lc-price CLASS/FLAG/PRICE"));
        // No windows: a plain reason, not a division by zero.
        const CliResult r = runCli(home, {"quote"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, QString("当前错误:门窗面积为0,无法计算每平方米的用量\n"));

        // Sums that overflow stop the run instead of printing inf.
        home.loadDemoPrices();
        home.loadDemoProject();
        const CliResult inf = runCli(home, QStringList({"quote", "--loss-lc", "1e308", "--json", "-"}) + kPrices);
        QCOMPARE(inf.status, 1);
        QCOMPARE(inf.out, QString());
        QVERIFY2(
            inf.err.startsWith("当前错误:") && inf.err.contains("的计算结果为无穷大, 无法报价"), qPrintable(inf.err));
    }
};

QTEST_GUILESS_MAIN(TestCliQuote)
#include "tst_cliquote.moc"
