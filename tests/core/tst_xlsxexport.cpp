#include "clirun.h"
#include "common/database.h"
#include "common/xlsxtable.h"
#include "testsupport.h"
#include "xlsxread.h"

#include <QFile>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

class TestXlsxExport : public QObject {
    Q_OBJECT

private slots:
    // The query is read once, as the grid shows it; a cell too long for a
    // workbook is cut to the limit and counted.
    void exportWritesEveryRowAndCutsLongCells()
    {
        TestHome home;
        const QString longCode = QString(32766, QLatin1Char('x')) + QStringLiteral("𠀀yy"); // a pair across the limit
        inTransaction(Database::shared(), [&] {
            sqlExec("INSERT INTO LcTemp VALUES (1, ?, 0.0000001)", {longCode});
            for (int i = 2; i <= 1100; ++i)
                sqlExec("INSERT INTO LcTemp VALUES (?, 'A01', 1250)", {i});
        });
        QList<qint64> seen;
        const QString path = home.file("out.xlsx");
        const QueryExport done = exportQueryToXlsx(path, "SELECT * FROM LcTemp WHERE 代号 <> ? ORDER BY ID", {"B"},
            Database::shared(), 1100, [&](qint64 rows, qint64 total) {
                seen.append(rows);
                return total == 1100;
            });
        QCOMPARE(done.rows, 1100);
        QCOMPARE(done.cutCells, 1);
        QVERIFY(!done.cancelled);
        QCOMPARE(seen, QList<qint64>({512, 1024}));
        const auto cells = XlsxBook(path).sheet(0);
        QCOMPARE(cells.value("B1").value, QStringLiteral("代号"));
        QCOMPARE(cells.value("B2").value, longCode.left(32766)); // the pair does not fit whole
        QCOMPARE(cells.value("C2").value, QStringLiteral("0.0000001"));
        QCOMPARE(cells.value("A1101").value, QStringLiteral("1100"));
        QCOMPARE(cells.size(), 3 * 1101);
        QCOMPARE(exportDoneText(done.cutCells),
            QStringLiteral("数据导出至Excel成功!\n有1个单元格的文字超过32767个字符, 已截断到这个长度."));
        QCOMPARE(exportDoneText(0), QStringLiteral("数据导出至Excel成功!"));

        // Cancelled: the file that was there stays, no other appears.
        writeFile(path, "old");
        const QueryExport stopped = exportQueryToXlsx(
            path, "SELECT * FROM LcTemp", {}, Database::shared(), 1100, [](qint64, qint64) { return false; });
        QVERIFY(stopped.cancelled);
        QCOMPARE(readFile(path), QByteArray("old"));
        QCOMPARE(QDir(home.path()).entryList({"*.xlsx*"}, QDir::Files), QStringList({"out.xlsx"}));
    }

    void quotationWorkbookCountsCutCells()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const CliResult r = runCli(home,
            {"quote", "--yes", "--title", QString(40000, QLatin1Char('t')), "--xlsx", home.file("q.xlsx"), "--lc-price",
                "断桥铝型材/True/20", "--lc-price", "普通铝型材/False/15"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains("个单元格的文字超过32767个字符, 已截断到这个长度."), qPrintable(r.err));
    }
};

QTEST_MAIN(TestXlsxExport)
#include "tst_xlsxexport.moc"
