// The quotation workbook recalculated by a real spreadsheet engine
// (LibreOffice, headless) must come to every figure of our calculation.

#include "core/common/db/database.h"
#include "core/common/numbers.h"
#include "core/document/xlsxcells.h"
#include "core/offer/offersequence.h"
#include "core/offer/offerworkbook.h"
#include "core/quote/quoteworkbook.h"
#include "core/quote/sheetrounding.h"
#include "quotefixture.h"
#include "testsupport.h"
#include "xlsxread.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using namespace tarvex;
using namespace tarvex::test;

namespace {

QString office()
{
    for (const char *name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

// A LibreOffice profile that recalculates every formula of an xlsx file on
// loading instead of trusting the cached results.
QString recalculatingProfile(const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/user"));
    QFile xcu(folder + QStringLiteral("/user/registrymodifications.xcu"));
    if (xcu.open(QIODevice::WriteOnly)) {
        xcu.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\">\n"
                  "<item oor:path=\"/org.openoffice.Office.Calc/Formula/Load\">"
                  "<prop oor:name=\"OOXMLRecalcMode\" oor:op=\"fuse\"><value>0</value></prop></item>\n"
                  "</oor:items>\n");
    }
    return QUrl::fromLocalFile(folder).toString();
}

// Rewrites parts of a book in place (zip's update) with edit(xml).
bool rewriteParts(
    const QString &book, const QStringList &parts, const std::function<QString(QString)> &edit, const QString &scratch)
{
    XlsxBook read(book);
    for (const QString &part : parts) {
        const QString xml = edit(QString::fromUtf8(read.part(part)));
        QDir().mkpath(scratch + QStringLiteral("/xl/worksheets"));
        QFile f(scratch + QLatin1Char('/') + part);
        if (!f.open(QIODevice::WriteOnly) || f.write(xml.toUtf8()) < 0)
            return false;
    }
    QProcess zip;
    zip.setWorkingDirectory(scratch);
    zip.start(QStringLiteral("zip"), QStringList {QStringLiteral("-q"), book} + parts);
    return zip.waitForFinished(60000) && zip.exitStatus() == QProcess::NormalExit && zip.exitCode() == 0;
}

// Replaces the cached result of every formula of the sheets from firstSheet
// on (the quotation sheets) with -1, so that only a recalculation brings the
// figures back.
bool spoilCachedResults(const QString &book, int sheets, const QString &scratch, int firstSheet = 2)
{
    QStringList parts;
    for (int s = firstSheet; s <= sheets; ++s)
        parts.append(QStringLiteral("xl/worksheets/sheet%1.xml").arg(s));
    return rewriteParts(
        book, parts,
        [](QString xml) {
            return xml.replace(
                QRegularExpression(QStringLiteral("(<f>[^<]*</f>)<v>[^<]*</v>")), QStringLiteral("\\1<v>-1</v>"));
        },
        scratch);
}

// Types numbers into cells of the detail sheet, as a user would.
bool typeIntoDetailSheet(const QString &book, const QHash<QString, double> &values, const QString &scratch)
{
    return rewriteParts(
        book, {QStringLiteral("xl/worksheets/sheet1.xml")},
        [&](QString xml) {
            for (auto it = values.begin(); it != values.end(); ++it)
                xml.replace(QRegularExpression(QStringLiteral("(<c r=\"%1\"[^>]*>)<v>[^<]*</v>").arg(it.key())),
                    QStringLiteral("\\1<v>%1</v>").arg(it.value(), 0, 'g', 17));
            return xml;
        },
        scratch);
}

// Recalculates the books and writes every sheet of each as CSV, full
// precision, named "<book>-<sheet>.csv".
bool recalculate(const QString &soffice, const QStringList &books, const QString &profile, const QString &out)
{
    QProcess lo;
    lo.start(soffice,
        QStringList {QStringLiteral("-env:UserInstallation=") + recalculatingProfile(profile),
            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
            QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"),
            QStringLiteral("--outdir"), out}
            + books);
    return lo.waitForFinished(240000) && lo.exitCode() == 0;
}

QList<QStringList> sheetCsv(const QString &folder, const QString &book, const QString &sheet)
{
    QFile f(folder + QLatin1Char('/') + book + QLatin1Char('-') + sheet + QStringLiteral(".csv"));
    QList<QStringList> rows;
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        rows.append(line.trimmed().split(QLatin1Char(',')));
    return rows;
}

// Every figure of the recalculated sheet against the quotation's own:
// area, quantities, prices, row totals, loss factors, fee rates and values,
// unit price and total price. Returns what differs, one line each.
QStringList differences(const QList<QStringList> &rows, const QuoteItem &item, const LossFactors &losses)
{
    QStringList found;
    auto check = [&](int row, int col, double ours, const QString &what) {
        const QString cell = rows.value(row).value(col);
        if (cell.isEmpty() || cell.toDouble() != ours)
            found.append(QStringLiteral("%1 %2: sheet %3, ours %4").arg(item.sheet, what, cell).arg(ours, 0, 'g', 17));
    };
    check(1, 1, item.area, QStringLiteral("面积"));
    int r = 4;
    for (const QuoteMaterialRow &m : item.materials) {
        if (rows.value(r).value(1) != m.name)
            found.append(item.sheet + QStringLiteral(" row %1 is not ").arg(r + 1) + m.name);
        const double loss = m.kind == QuoteMaterialRow::Kind::Profile ? losses.lc
            : m.kind == QuoteMaterialRow::Kind::Glass                 ? losses.bl
                                                                      : losses.pj;
        check(r, 3, m.qty, m.name + QStringLiteral(" 用量"));
        check(r, 5, m.price, m.name + QStringLiteral(" 单价"));
        check(r, 6, m.total, m.name + QStringLiteral(" 总价"));
        check(r, 9, loss, m.name + QStringLiteral(" 损耗"));
        ++r;
    }
    ++r;
    for (const QuoteFeeRow &fee : item.fees) {
        check(r, 5, fee.rate, fee.name);
        check(r, 6, fee.value, fee.name);
        ++r;
    }
    if (rows.value(r).value(0) != QStringLiteral("单价") || rows.value(r + 1).value(0) != QStringLiteral("总价"))
        found.append(item.sheet + QStringLiteral(": no 单价/总价 rows"));
    check(r, 6, item.unitPrice, QStringLiteral("单价"));
    check(r + 1, 6, item.totalPrice, QStringLiteral("总价"));
    return found;
}

LossFactors lossesOf(const QuoteOptions &o)
{
    return {leadingNumber(o.lossLc), leadingNumber(o.lossPj), leadingNumber(o.lossBl)};
}

// The detail sheet's row (from 1) of an accessory.
int detailRowOf(const QString &book, const QString &accessory)
{
    const auto detail = XlsxBook(book).sheet(0);
    for (int row = 2; row < 100; ++row)
        if (detail.value(QStringLiteral("F%1").arg(row)).value == accessory)
            return row;
    return 0;
}

// Figures a spreadsheet's plain ROUND takes the other way.
int halvesGoingDown(const QuoteItem &item)
{
    int n = 0;
    for (const QuoteMaterialRow &m : item.materials)
        n += Round(m.qty * m.price, 3) != roundDecimal(m.qty * m.price, 3, Halves::AwayFromZero);
    return n;
}

} // namespace

class TestQuoteRecalc : public QObject {
    Q_OBJECT

private slots:
    // Without LibreOffice the recalculation cannot be checked: that fails,
    // unless TARVEX_SKIP_RECALC asks for the skip.
    void initTestCase()
    {
        m_soffice = office();
        if (!m_soffice.isEmpty())
            return;
        if (!qEnvironmentVariableIsEmpty("TARVEX_SKIP_RECALC"))
            QSKIP("LibreOffice is not installed and TARVEX_SKIP_RECALC is set");
        QFAIL("LibreOffice (soffice) is not installed: scripts/install-deps installs it; "
              "TARVEX_SKIP_RECALC=1 skips this test");
    }

    void spreadsheetComesToEveryFigureOfEveryScope()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QList<QuoteOptions::Scope> scopes {
            QuoteOptions::Scope::Whole, QuoteOptions::Scope::Series, QuoteOptions::Scope::Window};
        const QStringList names {QStringLiteral("whole"), QStringLiteral("series"), QStringLiteral("window")};
        QList<QuoteRun> runs;
        QStringList books;
        for (int i = 0; i < scopes.size(); ++i) {
            runs.append(demoQuoteRun(scopes.at(i)));
            books.append(home.file(names.at(i) + QStringLiteral(".xlsx")));
            writeQuoteWorkbook(books.last(), runs.last());
            const int sheets = int(runs.last().result.items.size()) + 1;
            QVERIFY(spoilCachedResults(books.last(), sheets, home.file(QStringLiteral("scratch-") + names.at(i))));
        }
        QCOMPARE(runs.at(1).result.items.size(), 3);
        QCOMPARE(runs.at(2).result.items.size(), 12);
        // The demo prices put figures on halves where the spreadsheet's plain
        // ROUND would part from ours.
        QVERIFY(halvesGoingDown(runs.first().result.items.first()) > 0);
        QCOMPARE(XlsxBook(books.first()).sheet(1).value(QStringLiteral("G5")).value, QStringLiteral("-1"));

        const QString out = home.file(QStringLiteral("csv"));
        QVERIFY(recalculate(m_soffice, books, home.file(QStringLiteral("lo")), out));
        for (int i = 0; i < runs.size(); ++i) {
            for (const QuoteItem &item : runs.at(i).result.items) {
                const QList<QStringList> rows = sheetCsv(out, names.at(i), item.sheet);
                QVERIFY2(!rows.isEmpty(), qPrintable(QDir(out).entryList().join(QLatin1Char(' '))));
                const QStringList wrong = differences(rows, item, lossesOf(runs.at(i).options));
                QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
            }
        }
    }

    void halvesOfBinaryAndDecimalValuesComeOutOurWay()
    {
        TestHome home;
        home.loadDemoPrices();
        // One window of 1 m²: the raw quantities are the quantities per m².
        sqlExec(QStringLiteral("INSERT INTO pjName (编号,类别,名称,规格,技术要求,单位,单价,折扣量,备注) VALUES "
                               "(6,'五金','螺钉','M4',NULL,'个',0.5,1,NULL)"));
        sqlExec(QStringLiteral("INSERT INTO MjTemp VALUES (1,'演示','W1',1,1)"));
        sqlExec(QStringLiteral("INSERT INTO LcTemp VALUES (1,'KF601',1)"));
        // 0.729 × 6.5 = 4.7385, a half (the double lies above it): to the even 4.738.
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'合页','4寸','不锈钢',0.729)"));
        // 0.125 × 0.5 = 0.0625, an exact half: to the even 0.062.
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'螺钉','M4',NULL,0.125)"));
        // A quantity of 1.0005, a half (the double lies below it): to the even 1.000.
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'滑轮','双轮',NULL,1.0005)"));
        // 1.143 × 6.5 = 7.4295, a half going up to the even 7.430, as the sheet's ROUND does.
        sqlExec(QStringLiteral("INSERT INTO PjTemp VALUES (1,'执手','7字型','黑色',1.143)"));

        QuoteRun run;
        run.options.project = QStringLiteral("半数");
        // A profile class with "/" in its name keeps its price on the detail sheet.
        sqlExec(QStringLiteral("UPDATE lcName SET 材料类别='断桥/铝型材'"));
        run.lcPriceString = QStringLiteral("断桥/铝型材/True/0.125"); // 1.052 × 0.125 = 0.1315, above the half
        run.result = calculateQuote(run.options, run.lcPriceString, NullPrices::Fail);
        QCOMPARE(run.result.items.size(), 1);
        const QuoteItem &item = run.result.items.at(0);
        QCOMPARE(item.materials.size(), 5);
        const QuoteMaterialRow &profile = item.materials.at(0);
        QCOMPARE(profile.total, 0.132);
        QCOMPARE(roundDecimal(profile.qty * profile.price, 3, Halves::AwayFromZero), profile.total);
        QStringList figures;
        for (const QuoteMaterialRow &m : item.materials.mid(1))
            figures.append(m.name + QLatin1Char(' ') + format3(m.qty) + QLatin1Char(' ') + format3(m.total));
        QCOMPARE(figures,
            QStringList({QStringLiteral("合页 0.729 4.738"), QStringLiteral("执手 1.143 28.804"),
                QStringLiteral("滑轮 1.000 4.200"), QStringLiteral("螺钉 0.125 0.062")}));
        QCOMPARE(item.materials.at(2).price, 25.2); // 28 × 0.9; 1.143 × 25.2 = 28.8036
        QCOMPARE(halvesGoingDown(item), 2); // 合页 and 螺钉

        const QString book = home.file(QStringLiteral("halves.xlsx"));
        writeQuoteWorkbook(book, run);
        const auto detail = XlsxBook(book).sheet(0);
        QCOMPARE(detail.value(QStringLiteral("A2")).value, QStringLiteral("断桥/铝型材"));
        QCOMPARE(detail.value(QStringLiteral("C2")).number(), 0.125);
        QVERIFY(spoilCachedResults(book, 2, home.file(QStringLiteral("scratch"))));
        const QString out = home.file(QStringLiteral("csv"));
        QVERIFY(recalculate(m_soffice, {book}, home.file(QStringLiteral("lo")), out));
        const QStringList wrong
            = differences(sheetCsv(out, QStringLiteral("halves"), item.sheet), item, lossesOf(run.options));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));

        // The user types other prices on the detail sheet: 0.729 × 1.5 = 1.0935 now goes up to 1.094,
        // 1.143 × 1.5 = 1.7145 down to 1.714; the sheet comes to what the program gives for them.
        const QString edited = home.file(QStringLiteral("edited.xlsx"));
        writeQuoteWorkbook(edited, run);
        const QHash<QString, double> typed {
            {QStringLiteral("J%1").arg(detailRowOf(edited, QStringLiteral("合页"))), 1.5},
            {QStringLiteral("J%1").arg(detailRowOf(edited, QStringLiteral("执手"))), 1.5}};
        QVERIFY(typeIntoDetailSheet(edited, typed, home.file(QStringLiteral("scratch-typed"))));
        QVERIFY(spoilCachedResults(edited, 2, home.file(QStringLiteral("scratch-edited"))));
        sqlExec(QStringLiteral("UPDATE pjName SET 单价=1.5, 折扣量=1 WHERE 名称 IN ('合页','执手')"));
        QuoteRun typedRun = run;
        typedRun.result = calculateQuote(run.options, run.lcPriceString, NullPrices::Fail);
        const QuoteItem &typedItem = typedRun.result.items.at(0);
        QCOMPARE(format3(typedItem.materials.at(1).total) + QLatin1Char(' ') + format3(typedItem.materials.at(2).total),
            QStringLiteral("1.094 1.714"));
        QVERIFY(recalculate(m_soffice, {edited}, home.file(QStringLiteral("lo")), out));
        const QStringList typedWrong
            = differences(sheetCsv(out, QStringLiteral("edited"), typedItem.sheet), typedItem, lossesOf(run.options));
        QVERIFY2(typedWrong.isEmpty(), qPrintable(typedWrong.join(QLatin1Char('\n'))));
    }

    // The rounding formula against Round for values a user may type: halves
    // both ways, binary values just off a half, negatives, large and tiny ones.
    void roundingFormulaMatchesRoundForTypedValues()
    {
        TestHome home;
        const QList<double> values {0, 4.7385, 0.729 * 6.5, 7.4295, 7.4285, 1.0005, 0.0625, 0.0015, 0.0025, -0.0025,
            -4.7385, -7.4295, 114.55 * 0.85, 97.3675, 123456.7885, 1234567.8905, 999999.9995, 12345678.1235, 7.42949,
            7.429499999999999, 7.4284999, 1e-7, -1e-7, 0.0005, 0.0004999, 1.052 * 0.125, 28.8036, 2.5e-4, 5e9 + 0.0005};
        const QString book = home.file(QStringLiteral("typed.xlsx"));
        lxw_workbook *workbook = workbook_new(QFile::encodeName(book).constData());
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, "typed");
        for (int r = 0; r < values.size(); ++r) {
            worksheet_write_number(sheet, lxw_row_t(r), 0, values.at(r), nullptr);
            const QByteArray formula = (QLatin1Char('=') + halfEvenFormula(cellRef(r, 0))).toUtf8();
            worksheet_write_formula_num(sheet, lxw_row_t(r), 1, formula.constData(), nullptr, -1);
        }
        QCOMPARE(workbook_close(workbook), LXW_NO_ERROR);
        const QString out = home.file(QStringLiteral("csv"));
        QVERIFY(recalculate(m_soffice, {book}, home.file(QStringLiteral("lo")), out));
        const QList<QStringList> rows = sheetCsv(out, QStringLiteral("typed"), QStringLiteral("typed"));
        QCOMPARE(rows.size(), values.size());
        QStringList wrong;
        for (int r = 0; r < values.size(); ++r) {
            const double sheetValue = rows.at(r).value(1).toDouble();
            if (rows.at(r).value(1).isEmpty() || sheetValue != Round(values.at(r), 3))
                wrong.append(QStringLiteral("%1: sheet %2, ours %3")
                                 .arg(values.at(r), 0, 'g', 17)
                                 .arg(rows.at(r).value(1))
                                 .arg(Round(values.at(r), 3), 0, 'g', 17));
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    // Printed by the spreadsheet program, each sheet is one A4 page: the
    // detail sheet across, every quotation sheet upright, all ten columns
    // of it from the title down to 总价.
    void everySheetPrintsOnOnePage()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Window);
        const QString book = home.file(QStringLiteral("pages.xlsx"));
        writeQuoteWorkbook(book, run);
        QProcess lo;
        lo.start(m_soffice,
            {QStringLiteral("-env:UserInstallation=") + recalculatingProfile(home.file(QStringLiteral("lo"))),
                QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                QStringLiteral("--outdir"), home.path(), book});
        QVERIFY(lo.waitForFinished(240000) && lo.exitCode() == 0);
        const QString pdf = home.file(QStringLiteral("pages.pdf"));
        auto poppler = [&](const QString &tool, const QStringList &args) {
            QProcess p;
            p.start(tool,
                args + QStringList {pdf} + (tool == QLatin1String("pdftotext") ? QStringList {"-"} : QStringList()));
            p.waitForFinished(60000);
            return QString::fromUtf8(p.readAllStandardOutput());
        };
        const int pages = int(run.result.items.size()) + 1;
        const QString info = poppler(QStringLiteral("pdfinfo"), {"-f", "1", "-l", QString::number(pages)}).simplified();
        QVERIFY2(info.contains(QStringLiteral("Pages: %1 ").arg(pages)), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("Page 1 size: 841.89 x 595.304 pts (A4)")), qPrintable(info));
        for (int page = 2; page <= pages; ++page) {
            const QuoteItem &item = run.result.items.at(page - 2);
            QVERIFY2(
                info.contains(QStringLiteral("Page %1 size: 595.304 x 841.89 pts (A4)").arg(page)), qPrintable(info));
            const QString text = poppler(
                QStringLiteral("pdftotext"), {"-f", QString::number(page), "-l", QString::number(page), "-layout"});
            for (const QString &expected :
                {item.title, QStringLiteral("损耗"), QStringLiteral("总价"), format3(item.totalPrice)})
                QVERIFY2(text.contains(expected), qPrintable(item.sheet + QLatin1Char(' ') + expected));
        }
    }

    // The offer's workbook recalculated: every 金额, subtotal and total comes
    // to the offer's own figure, halves to the even fen included.
    void offerWorkbookComesToTheOffersFigures()
    {
        TestHome home(Demo::PricesAndProject);
        const QString out = home.file(QStringLiteral("csv"));
        QStringList books;
        QList<Offer> offers;
        // The demo per window: 12.5 % of 8,667.01 = 1,083.37625, 13 % of 7,583.63 = 985.8719.
        QuoteRun demo;
        demo.options = demoQuoteOptions(QuoteOptions::Scope::Window);
        QuoteSteps steps;
        steps.askPrice = demoLcPriceAnswer;
        OfferRequest demoRequest;
        demoRequest.customer = QStringLiteral("张三");
        demoRequest.discount = {OfferDiscount::Kind::Percent, 12.5};
        demoRequest.taxPercent = 13;
        Offer demoOffer;
        QVERIFY(prepareOffer(demo, demoRequest, steps, &demoOffer));
        offers.append(demoOffer);
        // 1.25 × 10.02 = 12.525 -> 12.52; 12.5 % of 25.04 = 3.13; 13 % of 21.91 = 2.8483.
        // 12.5 % of 12.52 = 1.565 -> 1.56; 13 % of 10.96 = 1.4248.
        const QList<std::pair<int, OfferScope>> shapes {{2, OfferScope::Window}, {1, OfferScope::Series}};
        for (const auto &[count, scope] : shapes) {
            QuoteRun run;
            run.options.scope = quoteScopeOf(scope);
            QVector<OfferUnit> units;
            for (int i = 0; i < count; ++i) {
                QuoteItem item;
                item.name = QStringLiteral("W%1").arg(i + 1);
                item.area = 1.25;
                item.unitPrice = 10.02;
                run.result.items.append(item);
                units.append({item.name, QStringLiteral("S%1").arg(i % 2), 2});
            }
            OfferRequest request;
            request.customer = QStringLiteral("客户");
            request.scope = scope;
            request.discount = {OfferDiscount::Kind::Percent, 12.5};
            request.taxPercent = 13;
            offers.append(buildOffer(run, units, request));
        }
        for (int b = 0; b < offers.size(); ++b) {
            offers[b].number = QStringLiteral("BJ%1").arg(b + 1);
            books.append(home.file(QStringLiteral("offer%1.xlsx").arg(b + 1)));
            writeOfferWorkbook(books.last(), offers.at(b), {});
            QVERIFY(spoilCachedResults(books.last(), 1, home.file(QStringLiteral("scratch%1").arg(b)), 1));
        }
        QCOMPARE(formatYuan(offers.at(0).totals.total), QStringLiteral("8,569.50"));
        QCOMPARE(formatYuan(offers.at(2).totals.discount), QStringLiteral("1.56"));
        QVERIFY(recalculate(m_soffice, books, home.file(QStringLiteral("lo")), out));
        for (int b = 0; b < books.size(); ++b) {
            const Offer &offer = offers.at(b);
            const QList<QStringList> rows
                = sheetCsv(out, QStringLiteral("offer%1").arg(b + 1), QStringLiteral("报价单"));
            QStringList figures;
            for (const QStringList &row : rows) {
                const QString caption = row.value(0).isEmpty() ? row.value(1) : row.value(0);
                if (caption.toInt() > 0 || caption == QStringLiteral("小计") || caption == QStringLiteral("合计")
                    || caption.startsWith(QStringLiteral("优惠")) || caption.startsWith(QStringLiteral("税金"))
                    || caption == QStringLiteral("总计"))
                    figures.append(caption + QLatin1Char('=') + formatYuan(toFen(row.value(6).toDouble())));
            }
            QStringList ours;
            int serial = 0;
            for (const OfferSubtotal &s : offerSubtotals(offer)) {
                for (const OfferLine &line : offer.lines) {
                    if (line.series == s.series)
                        ours.append(QString::number(++serial) + QLatin1Char('=') + formatYuan(line.amount));
                }
                if (offer.scope == OfferScope::Window)
                    ours.append(QStringLiteral("小计=") + formatYuan(s.amount));
            }
            const OfferTotals &t = offer.totals;
            ours << QStringLiteral("合计=") + formatYuan(t.subtotal)
                 << QStringLiteral("优惠(12.5%)=") + formatYuan(-t.discount)
                 << QStringLiteral("税金(13%)=") + formatYuan(t.tax) << QStringLiteral("总计=") + formatYuan(t.total);
            QCOMPARE(figures, ours);
        }
    }

private:
    QString m_soffice;
};

QTEST_GUILESS_MAIN(TestQuoteRecalc)
#include "tst_quoterecalc.moc"
