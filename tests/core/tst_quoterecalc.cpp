// The quotation workbook recalculated by a real spreadsheet engine
// (LibreOffice, headless) must come to our figures. Skipped without it.

#include "quote/quoteworkbook.h"
#include "quotefixture.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

// Every sheet of the workbook as CSV rows, full precision.
QList<QStringList> sheetCsv(const QString &folder, const QString &sheet)
{
    QFile f(folder + QStringLiteral("/book-") + sheet + QStringLiteral(".csv"));
    QList<QStringList> rows;
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        rows.append(line.trimmed().split(QLatin1Char(',')));
    return rows;
}

} // namespace

class TestQuoteRecalc : public QObject {
    Q_OBJECT

private slots:
    void spreadsheetEngineComesToOurFigures_data()
    {
        QTest::addColumn<int>("scope");
        QTest::newRow("whole project") << int(QuoteOptions::Scope::Whole);
        QTest::newRow("per series") << int(QuoteOptions::Scope::Series);
        QTest::newRow("per window") << int(QuoteOptions::Scope::Window);
    }

    void spreadsheetEngineComesToOurFigures()
    {
        QFETCH(int, scope);
        const QString soffice = office();
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QuoteRun run = demoQuoteRun(QuoteOptions::Scope(scope));
        // The demo prices (合页 6.5) put row totals on a half, where the
        // spreadsheet's ROUND alone would go the other way.
        int halves = 0;
        for (const QuoteItem &item : run.result.items) {
            for (const QuoteMaterialRow &m : item.materials)
                halves += QString::number(m.qty * m.price, 'f', 8).endsWith(QStringLiteral("50000"));
        }
        QVERIFY(halves > 0);

        // Cached results that are wrong on purpose: only a recalculation
        // brings the right figures back.
        QuoteRun spoiled = run;
        for (QuoteItem &item : spoiled.result.items) {
            for (QuoteMaterialRow &m : item.materials) {
                m.qty += 0.001; // still close enough to its raw quantity to get a formula
                m.price = m.total = -1;
            }
            for (QuoteFeeRow &fee : item.fees)
                fee.value = -1;
            item.unitPrice = item.totalPrice = -1;
        }
        const QString book = home.file(QStringLiteral("book.xlsx"));
        writeQuoteWorkbook(book, spoiled);

        const QString out = home.file(QStringLiteral("csv"));
        QProcess lo;
        lo.start(soffice,
            {QStringLiteral("-env:UserInstallation=") + recalculatingProfile(home.file(QStringLiteral("lo"))),
                QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"),
                QStringLiteral("--outdir"), out, book});
        QVERIFY(lo.waitForFinished(240000));
        QCOMPARE(lo.exitCode(), 0);

        for (const QuoteItem &item : run.result.items) {
            const QList<QStringList> rows = sheetCsv(out, item.sheet);
            QVERIFY2(!rows.isEmpty(), qPrintable(QDir(out).entryList().join(QLatin1Char(' '))));
            for (int i = 0; i < item.materials.size(); ++i) {
                const QuoteMaterialRow &m = item.materials.at(i);
                const QStringList &row = rows.at(4 + i);
                QCOMPARE(row.at(1), m.name);
                QCOMPARE(row.at(3).toDouble(), m.qty);
                QCOMPARE(row.at(5).toDouble(), m.price);
                QVERIFY2(row.at(6).toDouble() == m.total,
                    qPrintable(QStringLiteral("%1 %2 x %3 = %4 (ours %5)")
                                   .arg(m.name)
                                   .arg(m.qty, 0, 'g', 17)
                                   .arg(m.price, 0, 'g', 17)
                                   .arg(row.at(6))
                                   .arg(m.total)));
            }
            int r = 5 + int(item.materials.size());
            for (const QuoteFeeRow &fee : item.fees)
                QCOMPARE(rows.at(r++).at(6).toDouble(), fee.value);
            QCOMPARE(rows.at(r).at(0), QStringLiteral("单价"));
            QCOMPARE(rows.at(r).at(6).toDouble(), item.unitPrice);
            QCOMPARE(rows.at(r + 1).at(0), QStringLiteral("总价"));
            QCOMPARE(rows.at(r + 1).at(6).toDouble(), item.totalPrice);
        }
    }
};

QTEST_GUILESS_MAIN(TestQuoteRecalc)
#include "tst_quoterecalc.moc"
