// The customer offer: money, lines and totals, numbers, the register, the
// PDF's text and tarvex-cli's offer commands.

#include "clirun.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/offer/offerlines.h"
#include "core/offer/offernumber.h"
#include "core/offer/offerpaper.h"
#include "core/offer/offerregister.h"
#include "core/offer/offersequence.h"
#include "quotefixture.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

const QStringList kDemoPrices = {"--loss-lc", "1.05", "--loss-pj", "1.02", "--loss-bl", "1.1", "--lc-price",
    "断桥铝型材/True/24.5", "--lc-price", "普通铝型材/False/18"};

CliResult issueDemoOffer(const TestHome &home, const QStringList &extra)
{
    return runCli(
        home, QStringList {"offer", "--customer", "苏州某置业有限公司", "--project", "演示工程"} + kDemoPrices + extra);
}

// "C1|60平开窗|1|1.80|347.876|626.18" per line.
QStringList lineTexts(const Offer &offer)
{
    QStringList rows;
    for (const OfferLine &l : offer.lines) {
        rows.append(QStringList {l.window, l.series, QString::number(l.count), QString::number(l.area, 'f', 2),
            QString::number(l.unitPrice, 'f', 3), formatYuan(l.amount)}
                        .join('|'));
    }
    return rows;
}

QString totalsText(const OfferTotals &t)
{
    return QStringList {formatYuan(t.subtotal), formatYuan(t.discount), formatYuan(t.tax), formatYuan(t.total)}.join(
        '|');
}

// The demo project priced as the README prices it, per window or series.
Offer demoOffer(OfferScope scope, const OfferDiscount &discount, std::optional<double> tax)
{
    QuoteRun run;
    run.options = demoQuoteOptions(quoteScopeOf(scope));
    QuoteSteps steps;
    steps.askPrice = demoLcPriceAnswer;
    OfferRequest request;
    request.customer = "张三";
    request.scope = scope;
    request.discount = discount;
    request.taxPercent = tax;
    Offer offer;
    if (!prepareOffer(run, request, steps, &offer))
        QTest::qFail("the price check refused the demo", __FILE__, __LINE__);
    return offer;
}

QuoteRun syntheticRun(const QVector<std::pair<double, double>> &items)
{
    QuoteRun run;
    run.options.scope = QuoteOptions::Scope::Window;
    for (int i = 0; i < items.size(); ++i) {
        QuoteItem item;
        item.name = QStringLiteral("W%1").arg(i + 1);
        item.area = items[i].first;
        item.unitPrice = items[i].second;
        run.result.items.append(item);
    }
    return run;
}

QString cliProgram()
{
    return QDir(TARVEX_BUILD_DIR).filePath("tarvex-cli");
}

} // namespace

class TestOffer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void amountInWords_data()
    {
        QTest::addColumn<double>("yuan");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QString>("words");
        QTest::newRow("0.00") << 0.0 << "0.00"
                              << "人民币零元整";
        QTest::newRow("0.05") << 0.05 << "0.05"
                              << "人民币伍分";
        QTest::newRow("0.50") << 0.5 << "0.50"
                              << "人民币伍角整";
        QTest::newRow("10.00") << 10.0 << "10.00"
                               << "人民币壹拾元整";
        QTest::newRow("10.05") << 10.05 << "10.05"
                               << "人民币壹拾元零伍分";
        QTest::newRow("10.50") << 10.5 << "10.50"
                               << "人民币壹拾元伍角整";
        QTest::newRow("1,020.00") << 1020.0 << "1,020.00"
                                  << "人民币壹仟零贰拾元整";
        QTest::newRow("12,030.50") << 12030.5 << "12,030.50"
                                   << "人民币壹万贰仟零叁拾元伍角整";
        QTest::newRow("100,000.00") << 100000.0 << "100,000.00"
                                    << "人民币壹拾万元整";
        QTest::newRow("10,010.01") << 10010.01 << "10,010.01"
                                   << "人民币壹万零壹拾元零壹分";
        QTest::newRow("1,000,001.00") << 1000001.0 << "1,000,001.00"
                                      << "人民币壹佰万零壹元整";
        QTest::newRow("100,010,000.00") << 100010000.0 << "100,010,000.00"
                                        << "人民币壹亿零壹万元整";
        QTest::newRow("100,001,000.00") << 100001000.0 << "100,001,000.00"
                                        << "人民币壹亿零壹仟元整";
        QTest::newRow("1,000,000,000.00") << 1e9 << "1,000,000,000.00"
                                          << "人民币壹拾亿元整";
        // Rounding to the fen carries through every digit; a half goes to the even fen.
        QTest::newRow("carry 0.995") << 0.995 << "1.00"
                                     << "人民币壹元整";
        QTest::newRow("carry 9.995") << 9.995 << "10.00"
                                     << "人民币壹拾元整";
        QTest::newRow("carry 99,999.995") << 99999.995 << "100,000.00"
                                          << "人民币壹拾万元整";
        QTest::newRow("even 1.005") << 1.005 << "1.00"
                                    << "人民币壹元整";
        QTest::newRow("even 1.015") << 1.015 << "1.02"
                                    << "人民币壹元零贰分";
    }

    void amountInWords()
    {
        QFETCH(double, yuan);
        QFETCH(QString, figure);
        QFETCH(QString, words);
        QCOMPARE(formatYuan(toFen(yuan)), figure);
        QCOMPARE(tarvex::amountInWords(toFen(yuan)), words);
    }

    // The demo per window and per series: area × 单价 rounded to the fen per
    // line, the series' subtotals, discount on the 合计, tax on what it leaves.
    void demoLinesAndTotals()
    {
        TestHome home(Demo::PricesAndProject);
        const Offer windows = demoOffer(OfferScope::Window, {OfferDiscount::Kind::Amount, 500}, 13);
        QCOMPARE(lineTexts(windows),
            QStringList({"C1|60平开窗|1|1.80|347.876|626.18", "C2|60平开窗|1|2.16|333.117|719.53",
                "C3|60平开窗|1|1.44|387.145|557.49", "C4|60平开窗|1|2.70|306.659|827.98",
                "M1|50平开门|1|2.10|408.780|858.44", "M2|50平开门|1|2.52|382.027|962.71",
                "M3|50平开门|1|1.89|448.949|848.51", "M4|50平开门|1|4.20|301.697|1,267.13",
                "TC1|70推拉窗|1|2.40|191.752|460.20", "TC2|70推拉窗|1|3.00|179.772|539.32",
                "TC3|70推拉窗|1|1.80|211.756|381.16", "TC4|70推拉窗|1|3.60|171.768|618.36"}));
        QStringList subtotals;
        for (const OfferSubtotal &s : offerSubtotals(windows))
            subtotals.append(
                QStringLiteral("%1|%2|%3|%4").arg(s.series).arg(s.count).arg(s.area).arg(formatYuan(s.amount)));
        QCOMPARE(subtotals,
            QStringList({"60平开窗|4|8.1|2,731.18", "50平开门|4|10.71|3,936.79", "70推拉窗|4|10.8|1,999.04"}));
        // 8,667.01 - 500 = 8,167.01; 13 % of it 1,061.7113.
        QCOMPARE(totalsText(windows.totals), QString("8,667.01|500.00|1,061.71|9,228.72"));

        const Offer series = demoOffer(OfferScope::Series, {OfferDiscount::Kind::Percent, 5}, 13);
        QCOMPARE(lineTexts(series),
            QStringList({"|50平开门|4|10.71|367.548|3,936.44", "|60平开窗|4|8.10|337.173|2,731.10",
                "|70推拉窗|4|10.80|185.100|1,999.08"}));
        // 5 % of 8,666.62 is 433.331; 13 % of 8,233.29 is 1,070.3277.
        QCOMPARE(totalsText(series.totals), QString("8,666.62|433.33|1,070.33|9,303.62"));
        QCOMPARE(series.lcPriceString, demoLcPriceString());
        QCOMPARE(series.lossLc, QString("1.05"));
    }

    // Money is rounded to the fen at the line, the discount and the tax, and
    // nowhere else: the 合计 adds rounded lines.
    void moneyIsRoundedAtItsSteps_data()
    {
        QTest::addColumn<int>("lines"); // each 1.25 m² at 10.02 元/m² = 12.525, a half
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("discount");
        QTest::addColumn<QString>("totals");
        QTest::newRow("line") << 2 << int(OfferDiscount::Kind::None) << 0.0 << "25.04|0.00|0.00|25.04";
        // 12.5 % of 12.52 = 1.565 -> 1.56; 13 % of 10.96 = 1.4248, not 13 % of 12.52.
        QTest::newRow("discount") << 1 << int(OfferDiscount::Kind::Percent) << 12.5 << "12.52|1.56|1.42|12.38";
        // 13 % of 25.04 - 14.54 = 10.50 is 1.365 -> 1.36.
        QTest::newRow("tax") << 2 << int(OfferDiscount::Kind::Amount) << 14.54 << "25.04|14.54|1.36|11.86";
    }

    void moneyIsRoundedAtItsSteps()
    {
        QFETCH(int, lines);
        QFETCH(int, kind);
        QFETCH(double, discount);
        QFETCH(QString, totals);
        OfferRequest request;
        request.customer = "客户";
        request.discount = {OfferDiscount::Kind(kind), discount};
        request.taxPercent = kind == int(OfferDiscount::Kind::None) ? std::nullopt : std::optional<double>(13);
        const QVector<std::pair<double, double>> items(lines, {1.25, 10.02});
        QVector<OfferUnit> units;
        for (int i = 0; i < lines; ++i)
            units.append({QStringLiteral("w%1").arg(i + 1), "S", 1});
        const Offer offer = buildOffer(syntheticRun(items), units, request);
        QCOMPARE(formatYuan(offer.lines.first().amount), QString("12.52"));
        QCOMPARE(totalsText(offer.totals), totals);
    }

    void badRequestsAreRefused()
    {
        OfferRequest request;
        QCOMPARE(checkOfferRequest(request), QString("请填写客户名称"));
        request.customer = "客户";
        request.discount = {OfferDiscount::Kind::Percent, 120};
        QCOMPARE(checkOfferRequest(request), QString("优惠比例应在0到100之间: 120"));
        request.discount = {OfferDiscount::Kind::Amount, 20};
        QCOMPARE(errorOf([&] {
            buildOffer(syntheticRun({{1.25, 10.02}}), {{"W1", "S", 1}}, request);
        }),
            QString("优惠金额 20.00 超过合计 12.52"));
        // Items that are not the windows read beside them.
        request.discount = {};
        QCOMPARE(errorOf([&] {
            buildOffer(syntheticRun({{1.25, 10.02}}), {{"W9", "S", 1}}, request);
        }),
            QString("报价数据在读取时发生了变化"));
        QCOMPARE(errorOf([] { offerNumberSlot("BJ{yyyyMMdd}", QDate(2026, 1, 5)); }),
            QString("报价编号格式 \"BJ{yyyyMMdd}\" 有误: 没有序号 {nnn}"));
        QCOMPARE(offerNumberSlot("{yy}年第{nnnn}号", QDate(2026, 1, 5)).number(12), QString("26年第0012号"));
    }

    // Numbers count per day; a deleted offer's number is not given again.
    void numbersCountPerDay()
    {
        TestHome home;
        auto issue = [](const QDate &date) {
            Offer offer;
            offer.date = date;
            offer.customer = "客户";
            return issueOffer(offer, defaultOfferNumberPattern(), [](const Offer &o) {
                return o.number.toUtf8();
            }).offer.number;
        };
        const QDate day(2026, 1, 5);
        QCOMPARE(issue(day), QString("BJ20260105-001"));
        // On a server another workstation counts on: one numbering for the firm.
        if (onTestServer())
            home.reopen("seat2");
        QCOMPARE(issue(day), QString("BJ20260105-002"));
        QCOMPARE(issue(day.addDays(1)), QString("BJ20260106-001"));
        deleteOffer("bj20260105-002");
        QVERIFY(!readOffer("BJ20260105-002"));
        QCOMPARE(issue(day), QString("BJ20260105-003"));
        QCOMPARE(errorOf([] { deleteOffer("BJ20260105-002"); }), QString("没有编号为 BJ20260105-002 的报价"));
        // A renderer that fails uses no number and records nothing.
        Offer offer;
        offer.date = day;
        QCOMPARE(errorOf([&] {
            issueOffer(offer, defaultOfferNumberPattern(),
                [](const Offer &) -> QByteArray { throw Error(QStringLiteral("磁盘已满")); });
        }),
            QString("磁盘已满"));
        QCOMPARE(issue(day), QString("BJ20260105-004"));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM bjOffer").toInt(), 4);
    }

    // The register keeps every figure and the PDF's bytes, and refuses to
    // change what it recorded.
    void recordedOfferStaysAsIssued()
    {
        TestHome home(Demo::PricesAndProject);
        const CliResult issued
            = issueDemoOffer(home, {"--tax", "13", "--source", "/项目/演示.xdt", "--pdf", home.file("a.pdf")});
        QVERIFY2(issued.status == 0, qPrintable(issued.err));
        const QString number = issued.out.section('\t', 0, 0);
        QCOMPARE(number, "BJ" + QDate::currentDate().toString("yyyyMMdd") + "-001");
        QVERIFY(issued.out.contains("总计 9,793.72\t人民币玖仟柒佰玖拾叁元柒角贰分"));

        const std::optional<RecordedOffer> recorded = readOffer(number);
        QVERIFY(recorded);
        QCOMPARE(recorded->pdf, readFile(home.file("a.pdf")));
        QCOMPARE(recorded->offer.sourceFile, QString("/项目/演示.xdt"));
        QCOMPARE(recorded->offer.lines.size(), 12);
        QCOMPARE(totalsText(recorded->offer.totals), QString("8,667.01|0.00|1,126.71|9,793.72"));
        QCOMPARE(recorded->offer.taxPercent, std::optional<double>(13));

        const CliResult shown = runCli(home, {"offers", "show", number.toLower(), "--pdf", home.file("again.pdf")});
        QVERIFY2(shown.status == 0, qPrintable(shown.err));
        QCOMPARE(readFile(home.file("again.pdf")), recorded->pdf);

        for (const char *change : {"UPDATE bjOffer SET 总计=1", "UPDATE bjOfferLine SET 金额=1",
                 "DELETE FROM bjOfferLine", "INSERT INTO bjOfferLine (编号,行号) SELECT 编号,99 FROM bjOffer"}) {
            QVERIFY2(errorOf([&] { sqlExec(QString::fromUtf8(change)); }).contains("报价记录不能修改"), change);
        }
        QCOMPARE(readOffer(number)->pdf, recorded->pdf);
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM bjOfferLine").toInt(), 12);
    }

    // A revision after a price change: today's prices, the first offer's
    // number with -R1, -R2; the old offers stay as they were.
    void revisionAfterPriceChange()
    {
        TestHome home(Demo::PricesAndProject);
        QCOMPARE(issueDemoOffer(home, {"--pdf", home.file("a.pdf")}).status, 0);
        const QString first = "BJ" + QDate::currentDate().toString("yyyyMMdd") + "-001";
        const RecordedOffer before = *readOffer(first);

        sqlExec("UPDATE blName SET 单价=单价*2");
        const CliResult r1 = runCli(home, {"offers", "revise", first, "--pdf", home.file("r1.pdf")});
        QVERIFY2(r1.status == 0, qPrintable(r1.err));
        QVERIFY2(r1.out.startsWith("\t" + first + "\t" + first + "-R1\n合计\t8,667.01\t"), qPrintable(r1.out));
        const RecordedOffer revised = *readOffer(first + "-R1");
        QVERIFY(revised.offer.totals.total > before.offer.totals.total);
        QCOMPARE(revised.offer.revisionOf, first);
        QCOMPARE(revised.offer.previousTotal, std::optional<Fen>(before.offer.totals.total));
        QCOMPARE(revised.offer.lcPriceString, before.offer.lcPriceString); // the class prices asked again, as recorded
        QCOMPARE(revised.offer.customer, before.offer.customer);
        QVERIFY(
            pdfText(home.file("r1.pdf")).contains("本报价为 " + first + " 的第1次修订, 被替代报价的总计 8,667.01元"));

        const RecordedOffer unchanged = *readOffer(first);
        QCOMPARE(unchanged.pdf, before.pdf);
        QCOMPARE(lineTexts(unchanged.offer), lineTexts(before.offer));
        QCOMPARE(totalsText(unchanged.offer.totals), totalsText(before.offer.totals));

        // Revising the revision counts on from the first offer.
        QCOMPARE(runCli(home, {"offers", "revise", first + "-R1", "--pdf", home.file("r2.pdf")}).status, 0);
        QCOMPARE(readOffer(first + "-R2")->offer.previousTotal, std::optional<Fen>(revised.offer.totals.total));

        // Other windows than the offer's: refused unless --yes.
        sqlExec("DELETE FROM MjTemp WHERE 窗号='M4'");
        const CliResult other = runCli(home, {"offers", "revise", first, "--pdf", home.file("r3.pdf")});
        QCOMPARE(other.status, 3);
        QVERIFY2(other.err.contains("工程数据与原报价不同:\n窗号 M4: 不再有\n"), qPrintable(other.err));
        QVERIFY(!readOffer(first + "-R3"));
        QVERIFY(!QFile::exists(home.file("r3.pdf")));

        const QStringList listed = runCli(home, {"offers", "list"}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(listed.size(), 3);
        QVERIFY(listed.at(2).startsWith(first + "-R2\t"));
        QVERIFY(listed.at(2).endsWith("\t" + first));
    }

    // Two programs issuing at once never get the same number.
    void concurrentIssuesGetDifferentNumbers()
    {
        TestHome home(Demo::PricesAndProject);
        Database::closeShared(); // the processes open the file themselves
        constexpr int kProcesses = 4;
        QList<QProcess *> processes;
        for (int i = 0; i < kProcesses; ++i) {
            auto *p = new QProcess(this);
            p->start(cliProgram(),
                QStringList {"--home", home.path(), "offer", "--customer", QStringLiteral("客户%1").arg(i)}
                    + kDemoPrices + QStringList {"--pdf", home.file(QStringLiteral("p%1.pdf").arg(i))});
            processes.append(p);
        }
        QStringList numbers;
        for (QProcess *p : processes) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
            numbers.append(QString::fromUtf8(p->readAllStandardOutput()).section('\t', 0, 0));
            delete p;
        }
        numbers.sort();
        const QString day = "BJ" + QDate::currentDate().toString("yyyyMMdd");
        QCOMPARE(numbers, QStringList({day + "-001", day + "-002", day + "-003", day + "-004"}));
        home.reopen();
        QCOMPARE(sqlScalar("SELECT COUNT(DISTINCT 客户) FROM bjOffer").toInt(), kProcesses);
    }

    // pdftotext finds every header field, line and total of the demo offer.
    void pdfTextHoldsTheOffer()
    {
        TestHome home(Demo::PricesAndProject);
        QVERIFY(WriteIni(iniPath(), "offer",
            {{"firm", "恒达门窗有限公司"}, {"address", "苏州市星湖街100号"}, {"phone", "0512-12345678"},
                {"logo", "logo.png"}, {"terms", "付款方式: 预付30%\\n安装后付清"}}));
        QImage logo(120, 60, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        QVERIFY(logo.save(home.file("logo.png")));
        const CliResult r
            = issueDemoOffer(home, {"--discount", "5", "--tax", "13", "--validity", "15", "--pdf", home.file("o.pdf")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QString text = pdfText(home.file("o.pdf")).simplified();
        const QString number = r.out.section('\t', 0, 0);
        const QDate today = QDate::currentDate();
        QStringList expected {"恒达门窗有限公司", "地址: 苏州市星湖街100号", "电话: 0512-12345678", "报价单",
            "客户: 苏州某置业有限公司", "项目: 演示工程", "报价编号: " + number,
            "报价日期: " + today.toString("yyyy-MM-dd"),
            "有效期: 15天(至" + today.addDays(15).toString("yyyy-MM-dd") + ")", "面积依据: 按框外围面积",
            "小计 60平开窗 4 8.10 2,731.18", "小计 50平开门 4 10.71 3,936.79", "小计 70推拉窗 4 10.80 1,999.04",
            "合计 8,667.01", "优惠(5%) -433.35", "税金(13%) 1,070.38", "总计 9,304.04",
            "总计(大写): 人民币玖仟叁佰零肆元零肆分", "付款方式: 预付30%", "安装后付清",
            "报价单位(盖章): 恒达门窗有限公司", "客户确认(签字):", "共1页,第1页"};
        const RecordedOffer recorded = *readOffer(number);
        for (const OfferLine &l : recorded.offer.lines) {
            expected.append(QStringList {l.window, l.series, QString::number(l.count), QString::number(l.area, 'f', 2),
                QString::number(l.unitPrice, 'f', 3), formatYuan(l.amount)}
                                .join(' '));
        }
        for (const QString &part : expected)
            QVERIFY2(text.contains(part), qPrintable(part + " not in: " + text));

        // A logo that cannot be read stops the offer before a number is used.
        writeFile(home.file("logo.png"), "not a picture");
        const CliResult broken = issueDemoOffer(home, {"--pdf", home.file("b.pdf")});
        QCOMPARE(broken.status, 1);
        QVERIFY2(broken.err.startsWith(
                     "当前错误:无法读取报价单的标志图片 " + QDir::toNativeSeparators(home.file("logo.png"))),
            qPrintable(broken.err));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM bjOffer").toInt(), 1);
    }

    // Long offers continue on pages that repeat the table's headings.
    void longOfferRunsOverPages()
    {
        Offer offer;
        offer.number = "BJ20260105-001";
        offer.customer = "客户";
        offer.date = QDate(2026, 1, 5);
        for (int i = 0; i < 60; ++i)
            offer.lines.append({QStringLiteral("C%1").arg(i + 1), "60平开窗", 1, 1.5, 300, toFen(450)});
        offer.totals = offerTotals(60 * toFen(450), {}, std::nullopt);
        const PageDocument doc = offerPages(offer, {});
        QCOMPARE(doc.pages.size(), 3);
        for (int k = 0; k < doc.pages.size(); ++k) {
            QStringList texts;
            for (const PageText &t : doc.pages[k].texts)
                texts.append(t.text);
            QVERIFY(texts.contains("金额(元)"));
            QVERIFY(texts.contains(QStringLiteral("报价编号 BJ20260105-001    共3页,第%1页").arg(k + 1)));
            for (const PageText &t : doc.pages[k].texts)
                QVERIFY2(t.top + t.height <= 11.3, qPrintable(t.text));
        }
    }

    void cliRefusesWhatCannotBeOffered_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("no pdf") << QStringList {"offer", "--customer", "甲"} << 2 << "需要 --pdf";
        QTest::newRow("no customer") << QStringList {"offer", "--pdf", "x.pdf"} << 2 << "请填写客户名称";
        QTest::newRow("two discounts") << QStringList {"offer", "--customer", "甲", "--discount", "5",
            "--discount-amount", "9", "--pdf", "x.pdf"}
                                       << 2 << "--discount 与 --discount-amount 只能给一个";
        QTest::newRow("bad scope") << QStringList {"offer", "--customer", "甲", "--scope", "whole", "--pdf", "x.pdf"}
                                   << 2 << "--scope: whole";
        QTest::newRow("bad tax") << QStringList {"offer", "--customer", "甲", "--tax", "13%", "--pdf", "x.pdf"} << 2
                                 << "--tax 应为数字: 13%";
        // The paper quotation's refusal, which --yes does not lift.
        QTest::newRow("missing price") << QStringList {"offer", "--customer", "甲", "--yes", "--pdf", "x.pdf"} << 3
                                       << "附件数据中有记录末找到单价!\n客户报价需要全部单价";
        QTest::newRow("unknown offer") << QStringList {"offers", "show", "BJ1"} << 1
                                       << "当前错误:没有编号为 BJ1 的报价";
        QTest::newRow("delete unasked") << QStringList {"offers", "delete", "BJ1"} << 2
                                        << "删除报价记录需要 --yes 确认";
    }

    void cliRefusesWhatCannotBeOffered()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        TestHome home(Demo::PricesAndProject);
        sqlExec("DELETE FROM pjName WHERE 名称='执手'");
        const CliResult r = runCli(home, args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.startsWith(message), qPrintable(r.err));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM bjOffer").toInt(), 0);
    }

    void cliListsAndFilters()
    {
        TestHome home(Demo::PricesAndProject);
        QCOMPARE(issueDemoOffer(home, {"--pdf", home.file("a.pdf")}).status, 0);
        QCOMPARE(runCli(home,
                     QStringList {"offer", "--customer", "李_四", "--scope", "series"} + kDemoPrices
                         + QStringList {"--pdf", home.file("b.pdf")})
                     .status,
            0);
        const QString day = "BJ" + QDate::currentDate().toString("yyyyMMdd");
        const CliResult all = runCli(home, {"offers", "list"});
        QCOMPARE(all.out.count('\n'), 2);
        QVERIFY2(all.out.startsWith(day + "-001\t" + QDate::currentDate().toString(Qt::ISODate)
                     + "\t苏州某置业有限公司\t演示工程\t按窗号\t8,667.01\t0.00\t0.00\t8,667.01\t\n"),
            qPrintable(all.out));
        // "_" is a letter of the name, not a wildcard.
        const CliResult one = runCli(home, {"offers", "list", "--customer", "_", "--json", "-"});
        const QJsonArray rows = QJsonDocument::fromJson(one.out.toUtf8()).array();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["编号"].toString(), day + "-002");
        QCOMPARE(rows[0]["总计"].toDouble(), 8666.62);
        QCOMPARE(runCli(home, {"offers", "list", "--from", "2000-01-01", "--to", "2000-12-31"}).out, QString());
    }
};

QTEST_MAIN(TestOffer)
#include "tst_offer.moc"
