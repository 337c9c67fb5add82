#include "cli/cli.h"
#include "clirun.h"
#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/document/sheetnames.h"
#include "core/document/workbooklimits.h"
#include "core/document/workbookscratch.h"
#include "core/quote/quoteworkbook.h"
#include "core/quote/sheetrounding.h"
#include "quotefixture.h"
#include "testsupport.h"
#include "xlsxread.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStorageInfo>
#include <QTest>

#include <cstdlib>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tarvex;
using namespace tarvex::test;

namespace {

const QString kDetail = QStringLiteral("'材料明细表'!");

QString detailRange(const QString &col, int last)
{
    return kDetail + QStringLiteral("$%1$2:$%1$%2").arg(col).arg(last);
}

QString cellName(const QString &col, int row)
{
    return col + QString::number(row);
}

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    return statm.open(QIODevice::ReadOnly)
        ? statm.readAll().split(' ').value(1).toDouble() * double(sysconf(_SC_PAGESIZE))
        : 0.0;
}

} // namespace

class TestQuoteWorkbook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void sheetNamesAreMadeValidAndUnique()
    {
        SheetNames names;
        QCOMPARE(names.take(QStringLiteral("材料明细表")), QStringLiteral("材料明细表"));
        QCOMPARE(names.take(QStringLiteral("C1/2")), QStringLiteral("C1_2"));
        QCOMPARE(names.take(QStringLiteral("c1\\2")), QStringLiteral("c1_2 (2)"));
        QCOMPARE(names.take(QStringLiteral("[a]:*?")), QStringLiteral("_a____"));
        QCOMPARE(names.take(QStringLiteral("'引号'")), QStringLiteral("引号"));
        QCOMPARE(names.take(QString()), QStringLiteral("报价表"));
        QCOMPARE(names.take(QStringLiteral("'")), QStringLiteral("报价表 (2)"));
        QCOMPARE(names.take(QStringLiteral("材料明细表")), QStringLiteral("材料明细表 (2)"));
        QCOMPARE(names.take(QStringLiteral("history")), QStringLiteral("history (2)"));

        const QString forty = QStringLiteral("断桥隔热平开窗系列").repeated(4) + QStringLiteral("ABCD");
        QCOMPARE(forty.size(), 40);
        const QString first = names.take(forty);
        QCOMPARE(first, forty.left(31));
        const QString second = names.take(forty);
        QCOMPARE(second.size(), 31);
        QCOMPARE(second, forty.left(27) + QStringLiteral(" (2)"));
        QCOMPARE(names.take(forty.toLower()), forty.left(27) + QStringLiteral(" (3)"));
        // An apostrophe that the cut brings to the end goes too.
        QCOMPARE(
            names.take(QStringLiteral("x").repeated(30) + QStringLiteral("'yz")), QStringLiteral("x").repeated(30));
    }

    void detailSheetListsPricesLossesAndFees()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        // An accessory of the project without a price record, and a Null 技术要求.
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'拉手','无价',NULL,2)"));
        sqlExec(QStringLiteral("UPDATE PjTemp SET 技术要求=NULL WHERE 名称='滑轮'"));
        sqlExec(QStringLiteral("UPDATE FyTable SET 百分比=NULL WHERE 费用名称='安装费'"));
        const QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Whole);
        const QString path = home.file(QStringLiteral("detail.xlsx"));
        writeQuoteWorkbook(path, run);

        XlsxBook book(path);
        QCOMPARE(book.sheetNames(), QStringList({"材料明细表", "报价表"}));
        const auto cells = book.sheet(0);
        const QStringList headings {"主材名", "隔热", "单价", "损耗", "", "附件名", "规格", "技术要求", "单位", "单价",
            "损耗", "", "玻璃名称", "单价", "损耗", "", "费用名", "费用量", "百分比"};
        for (int c = 0; c < headings.size(); ++c)
            QCOMPARE(cells.value(QString(QChar(u'A' + c)) + QLatin1Char('1')).value, headings.at(c));
        QVERIFY(!cells.contains(QStringLiteral("T1")));

        // Profiles: the price string's items in order, the loss text repeated.
        QCOMPARE(cells.value("A2").value, QStringLiteral("断桥铝型材"));
        QCOMPARE(cells.value("B2").value, QStringLiteral("True"));
        QCOMPARE(cells.value("C2").number(), 24.5);
        QCOMPARE(cells.value("A3").value, QStringLiteral("普通铝型材"));
        QCOMPARE(cells.value("B3").value, QStringLiteral("False"));
        QCOMPARE(cells.value("C3").number(), 18.0);
        QCOMPARE(cells.value("D2").number(), 1.05);
        QCOMPARE(cells.value("D3").number(), 1.05);
        QVERIFY(cells.value("A4").value.isEmpty());

        // Accessories grouped by 名称 and 规格, in the query's order.
        const QStringList accessories = queryRows(
            QStringLiteral("SELECT 名称,规格,FIRST(技术要求)AS 技术要求,FIRST(单位)AS 单位,FIRST(单价*折扣量) AS 单价 "
                           "FROM ")
            + groupedRows(QStringLiteral("PricePj"), QStringLiteral("名称,规格"))
            + QStringLiteral(" GROUP BY 名称,规格 ORDER BY 名称,规格"));
        QCOMPARE(accessories.size(), 7);
        for (int i = 0; i < accessories.size(); ++i) {
            const QStringList f = accessories.at(i).split(QLatin1Char('|'));
            const int row = i + 2;
            QCOMPARE(cells.value(cellName("F", row)).value, f.at(0));
            QCOMPARE(cells.value(cellName("G", row)).value, f.at(1));
            QCOMPARE(cells.value(cellName("H", row)).value, f.at(2));
            QCOMPARE(cells.value(cellName("I", row)).value, f.at(3));
            if (f.at(4).isEmpty())
                QVERIFY(cells.value(cellName("J", row)).value.isEmpty());
            else
                QCOMPARE(cells.value(cellName("J", row)).number(), f.at(4).toDouble());
            QCOMPARE(cells.value(cellName("K", row)).number(), 1.02);
        }
        const int pulley = accessories.indexOf(QRegularExpression(QStringLiteral("^滑轮\\|.*"))) + 2;
        QVERIFY(pulley >= 2);
        QVERIFY(cells.value(cellName("H", pulley)).value.isEmpty());
        const int unpriced = accessories.indexOf(QRegularExpression(QStringLiteral("^拉手\\|.*"))) + 2;
        QVERIFY(cells.value(cellName("J", unpriced)).value.isEmpty());
        QCOMPARE(cells.value(cellName("K", unpriced)).number(), 1.02);

        // Glass and fees.
        QCOMPARE(cells.value("M2").value, QStringLiteral("5+12A+5中空玻璃"));
        QCOMPARE(cells.value("N4").number(), 168 * 0.9);
        QCOMPARE(cells.value("O4").number(), 1.1);
        QVERIFY(cells.value("M5").value.isEmpty());
        QCOMPARE(cells.value("Q2").value, QStringLiteral("安装费"));
        QCOMPARE(cells.value("R2").number(), 35.0);
        QVERIFY(cells.value("S2").value.isEmpty());
        QCOMPARE(cells.value("Q5").value, QStringLiteral("利润"));
        QCOMPARE(cells.value("S5").number(), 8.0);
    }

    void quotationSheetIsFormulasHoldingOurFigures()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Whole);
        const QuoteItem &item = run.result.items.at(0);
        QCOMPARE(item.materials.size(), 2 + 3 + 6);
        const QString path = home.file(QStringLiteral("whole.xlsx"));
        QList<int> progress;
        writeQuoteWorkbook(path, run, [&](int n) { progress.append(n); });
        QCOMPARE(progress.size(), item.materials.size());
        QCOMPARE(progress.last(), item.materials.size());

        const auto cells = XlsxBook(path).sheet(1);
        QCOMPARE(cells.value("A1").value, QStringLiteral("演示工程门窗报价单"));
        QCOMPARE(cells.value("A2").value, QStringLiteral("面积:"));
        QCOMPARE(cells.value("B2").number(), item.area);
        const QStringList headings {"序号", "名称", "规格", "用量", "单位", "单价", "总价", "备注"};
        for (int c = 0; c < headings.size(); ++c)
            QCOMPARE(cells.value(QString(QChar(u'A' + c)) + QLatin1Char('3')).value, headings.at(c));
        QCOMPARE(cells.value("A4").value, QStringLiteral("一"));
        QCOMPARE(cells.value("B4").value, QStringLiteral("直接材料费用"));

        auto rounding = [&](const QString &cell, const QString &expression) {
            QVERIFY2(cells.value(cell).formula == halfEvenFormula(expression),
                qPrintable(cell + QStringLiteral(": ") + cells.value(cell).formula));
        };
        for (int i = 0; i < item.materials.size(); ++i) {
            const QuoteMaterialRow &m = item.materials.at(i);
            const int r = 5 + i;
            const QString n = QString::number(r);
            QCOMPARE(cells.value("A" + n).number(), double(m.serial));
            QCOMPARE(cells.value("B" + n).value, m.name);
            QCOMPARE(cells.value("E" + n).value, m.unit);
            rounding("D" + n, QStringLiteral("I%1/$B$2*J%1").arg(r));
            QCOMPARE(cells.value("D" + n).number(), m.qty);
            QCOMPARE(cells.value("F" + n).number(), m.price);
            rounding("G" + n, QStringLiteral("D%1*F%1").arg(r));
            QCOMPARE(cells.value("G" + n).number(), m.total);
            QVERIFY(cells.value("I" + n).number() > 0);
            const QString price = cells.value("F" + n).formula;
            const QString loss = cells.value("J" + n).formula;
            switch (m.kind) {
            case QuoteMaterialRow::Kind::Profile:
                QCOMPARE(m.spec, m.thermal ? QStringLiteral("隔热材") : QStringLiteral("非隔热材"));
                QCOMPARE(price,
                    QStringLiteral("SUMPRODUCT((%1=$B%2)*(%3=\"%4\")*%5)")
                        .arg(detailRange("A", 3))
                        .arg(r)
                        .arg(detailRange("B", 3), m.thermal ? QStringLiteral("True") : QStringLiteral("False"),
                            detailRange("C", 3)));
                QVERIFY(loss.contains(detailRange("D", 3)));
                QCOMPARE(cells.value("J" + n).number(), 1.05);
                break;
            case QuoteMaterialRow::Kind::Glass:
                rounding("F" + n,
                    QStringLiteral("SUMPRODUCT((%1=$B%2)*%3)")
                        .arg(detailRange("M", 4))
                        .arg(r)
                        .arg(detailRange("N", 4)));
                QCOMPARE(loss,
                    QStringLiteral("SUMPRODUCT((%1=$B%2)*%3)")
                        .arg(detailRange("M", 4))
                        .arg(r)
                        .arg(detailRange("O", 4)));
                QCOMPARE(cells.value("J" + n).number(), 1.1);
                break;
            case QuoteMaterialRow::Kind::Accessory:
                QCOMPARE(cells.value("C" + n).value, m.spec);
                rounding("F" + n,
                    QStringLiteral("SUMPRODUCT((%1=$B%2)*(%3=$C%2)*%4)")
                        .arg(detailRange("F", 7))
                        .arg(r)
                        .arg(detailRange("G", 7), detailRange("J", 7)));
                QVERIFY(loss.contains(detailRange("K", 7)));
                QCOMPARE(cells.value("J" + n).number(), 1.02);
                QCOMPARE(cells.value("H" + n).value, m.remark);
                break;
            }
        }

        int r = 5 + int(item.materials.size());
        QCOMPARE(cells.value(cellName("A", r)).value, QStringLiteral("二"));
        QCOMPARE(cells.value(cellName("B", r)).value, QStringLiteral("固定费用"));
        const QString materialSum = QStringLiteral("SUM($G$5:$G$%1)").arg(r - 1);
        for (const QuoteFeeRow &fee : item.fees) {
            ++r;
            QCOMPARE(cells.value(cellName("B", r)).value, fee.name);
            QCOMPARE(cells.value(cellName("F", r)).number(), fee.rate);
            QCOMPARE(cells.value(cellName("G", r)).number(), fee.value);
            const QString amount = QStringLiteral("SUMPRODUCT(EXACT(%1,$B%2)*%3)")
                                       .arg(detailRange("Q", 5))
                                       .arg(r)
                                       .arg(detailRange("R", 5));
            // IF(amount=0,<percentage/100*M rounded>,amount)
            const QString formula = cells.value(cellName("G", r)).formula;
            const QString head = QStringLiteral("IF(%1=0,").arg(amount);
            const QString tail = QStringLiteral(",%1)").arg(amount);
            QVERIFY2(formula.startsWith(head) && formula.endsWith(tail), qPrintable(formula));
            const QString share = formula.mid(head.size(), formula.size() - head.size() - tail.size());
            QCOMPARE(share,
                halfEvenFormula(QStringLiteral("SUMPRODUCT(EXACT(%1,$B%2)*%3)/100*%4")
                                    .arg(detailRange("Q", 5))
                                    .arg(r)
                                    .arg(detailRange("S", 5), materialSum)));
        }
        ++r;
        QCOMPARE(cells.value(cellName("A", r)).value, QStringLiteral("单价"));
        QCOMPARE(cells.value(cellName("G", r)).number(), item.unitPrice);
        rounding(cellName("G", r), QStringLiteral("%1+SUM($G$%2:$G$%3)").arg(materialSum).arg(r - 4).arg(r - 1));
        ++r;
        QCOMPARE(cells.value(cellName("A", r)).value, QStringLiteral("总价"));
        QCOMPARE(cells.value(cellName("G", r)).number(), item.totalPrice);
        rounding(cellName("G", r), QStringLiteral("(%1+SUM($G$%2:$G$%3))*$B$2").arg(materialSum).arg(r - 5).arg(r - 2));
        QVERIFY(!cells.contains(cellName("A", r + 1)));
    }

    void cachedFiguresAreTheCliFigures_data()
    {
        QTest::addColumn<int>("scope");
        QTest::newRow("whole project") << int(QuoteOptions::Scope::Whole);
        QTest::newRow("per series") << int(QuoteOptions::Scope::Series);
        QTest::newRow("per window") << int(QuoteOptions::Scope::Window);
    }

    void cachedFiguresAreTheCliFigures()
    {
        QFETCH(int, scope);
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QString path = home.file(QStringLiteral("cli.xlsx"));
        writeQuoteWorkbook(path, demoQuoteRun(QuoteOptions::Scope(scope)));

        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(cli::run(QStringList {"tarvex-cli", "--home", home.path()}
                         + demoQuoteArguments(QuoteOptions::Scope(scope)) + QStringList {"--json", "-"},
                     out, err),
            0);
        QVERIFY2(errText.isEmpty(), qPrintable(errText));
        const QJsonArray items = QJsonDocument::fromJson(outText.toUtf8()).object().value("items").toArray();
        QVERIFY(!items.isEmpty());

        XlsxBook book(path);
        QCOMPARE(book.sheetNames().size(), items.size() + 1);
        auto figure = [](const QHash<QString, XlsxCell> &cells, const QString &col, int row) {
            return format3(cells.value(cellName(col, row)).number());
        };
        for (int s = 0; s < items.size(); ++s) {
            const QJsonObject item = items.at(s).toObject();
            QCOMPARE(book.sheetNames().at(s + 1), item.value("sheet").toString());
            const auto cells = book.sheet(s + 1);
            QCOMPARE(plainNumber(cells.value("B2").number()), item.value("area").toString());
            int r = 5;
            for (const QJsonValue &v : item.value("materials").toArray()) {
                const QJsonObject m = v.toObject();
                QCOMPARE(cells.value(cellName("B", r)).value, m.value("name").toString());
                QCOMPARE(figure(cells, "D", r), m.value("qty").toString());
                QCOMPARE(figure(cells, "F", r), m.value("price").toString());
                QCOMPARE(figure(cells, "G", r), m.value("total").toString());
                ++r;
            }
            ++r;
            for (const QJsonValue &v : item.value("fees").toArray())
                QCOMPARE(figure(cells, "G", r++), v.toObject().value("value").toString());
            QCOMPARE(cells.value(cellName("A", r)).value, QStringLiteral("单价"));
            QCOMPARE(figure(cells, "G", r), item.value("unit_price").toString());
            QCOMPARE(cells.value(cellName("A", r + 1)).value, QStringLiteral("总价"));
            QCOMPARE(figure(cells, "G", r + 1), item.value("total_price").toString());
        }
    }

    void windowScopeGivesOneSheetPerWindow()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        sqlExec(QStringLiteral("DELETE FROM MjTemp WHERE 窗号 NOT IN ('C1','C2')"));
        QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Window);
        QCOMPARE(run.result.items.size(), 2);
        const QString path = home.file(QStringLiteral("windows.xlsx"));
        writeQuoteWorkbook(path, run);
        XlsxBook book(path);
        QCOMPARE(book.sheetNames(), QStringList({"材料明细表", "C1", "C2"}));
        for (int s = 1; s <= 2; ++s) {
            const QuoteItem &item = run.result.items.at(s - 1);
            const auto cells = book.sheet(s);
            QCOMPARE(cells.value("B2").number(), item.area);
            // Each window's own raw quantity: C2's first profile weighs more.
            QCOMPARE(cells.value("D5").number(), item.materials.at(0).qty);
            QVERIFY(cells.value("I5").number() > 0);
            const int last = 5 + int(item.materials.size() + item.fees.size()) + 2;
            QCOMPARE(cells.value(cellName("G", last)).number(), item.totalPrice);
        }
        QVERIFY(book.sheet(2).value("I5").number() > book.sheet(1).value("I5").number());
    }

    void badSheetNamesAreMendedInTheWorkbook()
    {
        TestHome home;
        QuoteRun run;
        run.result.scope = QuoteOptions::Scope::Window;
        const QString forty = QStringLiteral("W").repeated(40);
        for (const QString &name :
            {QStringLiteral("C1/2"), QStringLiteral("c1/2"), forty, forty, QString(), QStringLiteral("材料明细表")}) {
            QuoteItem item;
            item.name = name;
            item.sheet = name;
            item.area = 1;
            run.result.items.append(item);
        }
        const QString path = home.file(QStringLiteral("names.xlsx"));
        writeQuoteWorkbook(path, run, QuoteDetails());
        QCOMPARE(XlsxBook(path).sheetNames(),
            QStringList({"材料明细表", "C1_2", "c1_2 (2)", forty.left(31), forty.left(27) + " (2)", "报价表",
                "材料明细表 (2)"}));
    }

    void quantitiesThatDoNotFitKeepOurFigures()
    {
        TestHome home;
        QuoteRun run;
        QuoteItem item;
        item.sheet = QStringLiteral("报价表");
        item.area = 10;
        // Three glass rows: one with its raw area, one without, one whose raw
        // area does not come to the figure.
        for (const auto &[name, raw] : {std::pair {"白玻", std::optional(1.227)},
                 std::pair {"灰玻", std::optional<double>()}, std::pair {"茶玻", std::optional(12.27)}}) {
            QuoteMaterialRow row;
            row.raw = raw;
            row.serial = int(item.materials.size()) + 1;
            row.kind = QuoteMaterialRow::Kind::Glass;
            row.name = QString::fromUtf8(name);
            row.qty = 0.135;
            row.price = 38;
            row.total = 5.13;
            item.materials.append(row);
        }
        run.result.items.append(item);
        QuoteDetails details;
        for (const char *name : {"白玻", "灰玻", "茶玻"})
            details.glass.append({QString::fromUtf8(name), 38.0, 1.1});
        const QString path = home.file(QStringLiteral("noraw.xlsx"));
        writeQuoteWorkbook(path, run, details);
        const auto cells = XlsxBook(path).sheet(1);
        QCOMPARE(cells.value("D5").formula, halfEvenFormula(QStringLiteral("I5/$B$2*J5")));
        QCOMPARE(cells.value("I5").number(), 1.227);
        for (const QString &n : {QStringLiteral("6"), QStringLiteral("7")}) {
            QVERIFY(cells.value("D" + n).formula.isEmpty());
            QCOMPARE(cells.value("D" + n).number(), 0.135);
            QVERIFY(cells.value("I" + n).value.isEmpty());
            QCOMPARE(cells.value("G" + n).number(), 5.13);
        }
    }

    // A quotation of thousands of windows: each sheet's rows leave memory as
    // they are written, and a low limit of open files is raised for the
    // temporary file each sheet keeps until the end.
    void manySheetsNeedLittleMemory()
    {
        TestHome home;
        QuoteRun run;
        QuoteDetails details;
        details.glass.append({QStringLiteral("白玻"), 38.0, 1.1});
        const int sheets = 1000;
        for (int s = 0; s < sheets; ++s) {
            QuoteItem item;
            item.sheet = QStringLiteral("C%1").arg(s + 1);
            item.area = 2;
            for (int m = 0; m < 20; ++m) {
                QuoteMaterialRow row;
                row.serial = m + 1;
                row.kind = QuoteMaterialRow::Kind::Glass;
                row.name = QStringLiteral("白玻");
                row.spec = QStringLiteral("5mm-%1").arg(m);
                row.raw = 1.0 + s;
                row.qty = Round(*row.raw / 2 * 1.1, 3);
                row.price = 38;
                row.total = row.qty * 38;
                item.materials.append(row);
            }
            run.result.items.append(item);
        }
        rlimit files {};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
        const rlimit few {std::min<rlim_t>(files.rlim_cur, 100), files.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &few), 0);
        double first = -1, last = 0;
        const QString path = home.file(QStringLiteral("many.xlsx"));
        try {
            writeQuoteWorkbook(path, run, details, [&](int done) {
                if (done == 20)
                    first = residentBytes();
                last = residentBytes();
            });
        } catch (const Error &e) {
            setrlimit(RLIMIT_NOFILE, &files);
            QFAIL(qPrintable(e.message()));
        }
        setrlimit(RLIMIT_NOFILE, &files);
        // About 15 KB: the library's own per sheet. Rows kept until the end
        // took 37 KB, a resident row of cell pointers 140 KB.
        const double perSheet = (last - first) / (sheets - 1);
        QVERIFY2(perSheet < 20000, qPrintable(QString::number(perSheet)));
        XlsxBook book(path);
        const QStringList names = book.sheetNames();
        QCOMPARE(names.size(), sheets + 1);
        // Every sheet holds its own window, whichever temporary file the
        // library wrote it through.
        for (int s = 1; s <= sheets; ++s) {
            QCOMPARE(names.at(s), QStringLiteral("C%1").arg(s));
            const auto cells = book.sheet(s);
            QCOMPARE(cells.value("A1").value, QString());
            QCOMPARE(cells.value("C24").value, QStringLiteral("5mm-19"));
            QCOMPARE(cells.value("I24").number(), 1.0 * s);
            QCOMPARE(cells.value("D24").formula, halfEvenFormula(QStringLiteral("I24/$B$2*J24")));
        }
    }

    // The rows of cell pointers of sheets added after earlier work freed
    // memory (a workbook before, the figures given up) are mapped fresh, not
    // taken from that memory and cleared whole.
    void sheetsAddedAfterFreedMemoryStaySmall()
    {
        const StreamedSheetMemory small;
        constexpr int kBlock = 8000;
        std::vector<char *> earlier;
        for (int i = 0; i < 4000; ++i) {
            earlier.push_back(static_cast<char *>(std::malloc(kBlock)));
            for (int b = 0; b < kBlock; b += 4096)
                static_cast<volatile char *>(earlier.back())[b] = 1;
        }
        void *above = std::malloc(64);
        for (char *block : earlier)
            std::free(block);
        malloc_trim(0);
        const double before = residentBytes();
        std::vector<void *> rows;
        {
            const FreshSheetRows fresh;
            for (int i = 0; i < 100; ++i)
                rows.push_back(std::calloc(16384, sizeof(void *)));
        }
        const double grown = residentBytes() - before;
        for (void *row : rows)
            std::free(row);
        std::free(above);
        // Cleared whole, the rows would have taken 12.8 MB.
        QVERIFY2(grown < 2e6, qPrintable(QString::number(grown)));
    }

    // LibreOffice Calc opens no more than 10,000 sheets: a larger run is
    // refused before anything is written.
    void moreSheetsThanSpreadsheetsOpenAreRefused()
    {
        if (maxStreamedSheets() < kMaxWorkbookSheets)
            QSKIP("the open-file limit keeps workbooks smaller here");
        TestHome home;
        QuoteRun run;
        run.result.items.resize(kMaxWorkbookSheets);
        const QString path = home.file(QStringLiteral("big.xlsx"));
        QCOMPARE(quoteWorkbookCount(run), 2);
        QCOMPARE(errorOf([&] { writeQuoteWorkbook(path, run, QuoteDetails()); }),
            QStringLiteral(
                "这份报价有10000个报价表, 超过一个工作簿能容纳的9999个(电子表格程序最多打开10000个工作表的工作簿)"));
        QVERIFY(!QFile::exists(path));
        run.result.items.resize(kMaxWorkbookSheets - 1);
        QCOMPARE(quoteWorkbookCount(run), 1);
    }

    // Where the process may open few files, tarvex-cli refuses a per-window
    // workbook that needs more and, with --split, writes it as several, each
    // with its own detail sheet, the windows in order across them.
    void cliSplitsWhatOneWorkbookCannotHold()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QStringList quote = {"quote", "--scope", "window", "--lc-price", "断桥铝型材/True/25", "--lc-price",
            "普通铝型材/False/21", "--xlsx"};
        const QString whole = home.file(QStringLiteral("whole.xlsx"));
        QCOMPARE(runCli(home, quote + QStringList {whole}).status, 0);
        const QStringList windows = XlsxBook(whole).sheetNames().mid(1);
        QCOMPARE(windows.size(), 12);

        // The program's own files and a sheet or two at a time.
        auto withFewFiles = [&](const QStringList &args) {
            QProcess cli;
            cli.start(QStringLiteral("bash"),
                QStringList {
                    "-c", "ulimit -n 74 && exec \"$0\" \"$@\"", TARVEX_BUILD_DIR "/tarvex-cli", "--home", home.path()}
                    + quote + args);
            cli.waitForFinished(120000);
            return CliResult {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
        };
        const QString split = home.file(QStringLiteral("split.xlsx"));
        const CliResult refused = withFewFiles({split});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.startsWith(QStringLiteral("当前错误:这份报价有12个报价表, 超过一个工作簿能容纳的"))
                && refused.err.contains(QStringLiteral("(系统只允许本程序再同时打开"))
                && refused.err.contains(QStringLiteral("; 用 --split 分成")),
            qPrintable(refused.err));
        QVERIFY(QDir(home.path()).entryList({"split*"}).isEmpty());

        const CliResult done = withFewFiles({split, "--split"});
        QCOMPARE(done.status, 0);
        QStringList lines = done.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList parts = lines.mid(1, lines.size() - 1);
        QCOMPARE(lines.value(0), QStringLiteral("已分成%1个工作簿:").arg(parts.size()));
        QVERIFY(parts.size() > 1);
        QCOMPARE(parts, quoteWorkbookPartPaths(split, int(parts.size())));
        QStringList inParts;
        for (const QString &part : parts) {
            const QStringList names = XlsxBook(part).sheetNames();
            QCOMPARE(names.value(0), QStringLiteral("材料明细表"));
            inParts += names.mid(1);
        }
        QCOMPARE(inParts, windows);
    }

    void failedWritesLeaveNothingBehind()
    {
        TestHome home;
        QuoteRun run;
        const QString missing = home.file(QStringLiteral("nofolder/q.xlsx"));
        try {
            writeQuoteWorkbook(missing, run, QuoteDetails());
            QFAIL("no error");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(missing)), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(missing));

        // A workbook already there is replaced whole.
        const QString path = home.file(QStringLiteral("q.xlsx"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        writeQuoteWorkbook(path, run, QuoteDetails());
        QCOMPARE(XlsxBook(path).sheetNames(), QStringList({"材料明细表"}));
        QCOMPARE(QDir(home.path()).entryList({"*.xlsx*"}, QDir::Files), QStringList({"q.xlsx"}));
    }

    void libraryFilesGoToAMemoryFolderWithRoom_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("inMemory");
        QTest::newRow("tmpfs with room") << "/dev/shm" << qint64(1) << true;
        QTest::newRow("tmpfs without room") << "/dev/shm" << (qint64(1) << 60) << false;
        QTest::newRow("missing folder") << "/no/such/folder" << qint64(1) << false;
        QTest::newRow("disk folder") << QDir::tempPath() << qint64(1) << false;
    }

    void libraryFilesGoToAMemoryFolderWithRoom()
    {
        QFETCH(QString, folder);
        QFETCH(qint64, bytes);
        QFETCH(bool, inMemory);
        if (QStorageInfo(QStringLiteral("/dev/shm")).fileSystemType() != "tmpfs"
            || QStorageInfo(QDir::tempPath()).fileSystemType() == "tmpfs")
            QSKIP("needs /dev/shm on tmpfs and the temp folder on a disk");
        QString made;
        {
            const WorkbookScratch scratch(bytes, {folder});
            QVERIFY(scratch.isValid());
            made = scratch.path();
            QCOMPARE(scratch.inMemory(), inMemory);
            QVERIFY2(made.startsWith((inMemory ? folder : QDir::tempPath()) + '/'), qPrintable(made));
            scratch.checkRoom(QStringLiteral("q.xlsx"));
        }
        QVERIFY(!QFileInfo::exists(made));

        // Writing stops, naming the file and the folder, while the folder
        // still has the room the library's last writes need.
        const WorkbookScratch full(1, {folder}, qint64(1) << 62);
        try {
            full.checkRoom(QStringLiteral("q.xlsx"));
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.message().left(e.message().indexOf(QStringLiteral("(只剩"))),
                QStringLiteral("无法写入文件 q.xlsx: 临时文件夹 %1 空间不足").arg(full.path()));
        }
    }

    void cliWritesTheWorkbookOrSaysWhy()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QString path = home.file(QStringLiteral("cli.xlsx"));
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const QStringList args = {"tarvex-cli", "quote", "--scope", "series", "--lc-price", "断桥铝型材/True/25",
            "--lc-price", "普通铝型材/False/21", "--xlsx"};
        QCOMPARE(cli::run(args + QStringList {path}, out, err), 0);
        QVERIFY2(errText.isEmpty(), qPrintable(errText));
        QCOMPARE(XlsxBook(path).sheetNames(), QStringList({"材料明细表", "50平开门", "60平开窗", "70推拉窗"}));

        QCOMPARE(cli::run(args + QStringList {home.file(QStringLiteral("none/cli.xlsx"))}, out, err), 1);
        QVERIFY2(errText.startsWith(QStringLiteral("当前错误:无法写入文件")), qPrintable(errText));
    }
};

QTEST_GUILESS_MAIN(TestQuoteWorkbook)
#include "tst_quoteworkbook.moc"
