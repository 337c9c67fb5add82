#include "../core/quotefixture.h"
#include "../core/xlsxread.h"
#include "common/database.h"
#include "quote/quoteoutputs.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

class TestExcelOutput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TARVEX_NO_OPEN", "1"); }

    void writesIntoTemp1AndSaysWhere()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Series);
        run.options.project = QStringLiteral("演示/工程");
        int last = 0;
        const QString path = writeExcelQuotation(run, [&](int n) { last = n; });
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(home.file(QStringLiteral("temp1"))).absolutePath());
        QVERIFY2(QFileInfo(path).fileName().startsWith(QStringLiteral("演示_工程门窗报价单-")), qPrintable(path));
        QVERIFY(path.endsWith(QStringLiteral(".xlsx")));
        QCOMPARE(home.messages().texts(),
            QStringList({QStringLiteral("报价数据输出完成!\n") + QDir::toNativeSeparators(path)}));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Information);
        int rows = 0;
        for (const QuoteItem &item : run.result.items)
            rows += int(item.materials.size());
        QCOMPARE(last, rows);
        QCOMPARE(XlsxBook(path).sheetNames().size(), 1 + run.result.items.size());

        // A second run in the same second does not overwrite the first.
        const QString again = writeExcelQuotation(run, {});
        QVERIFY(!again.isEmpty());
        QVERIFY(again != path);
        QVERIFY(QFile::exists(path));
    }

    void aFailureIsReportedAndNothingIsClaimed()
    {
        TestHome home;
        home.loadDemoPrices();
        home.loadDemoProject();
        const QuoteRun run = demoQuoteRun(QuoteOptions::Scope::Whole);
        // temp1 cannot be made: a plain file holds its name.
        QDir(home.file(QStringLiteral("temp1"))).removeRecursively();
        QFile blocker(home.file(QStringLiteral("temp1")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(writeExcelQuotation(run, {}), QString());
        QCOMPARE(home.messages().shown().size(), 1);
        QVERIFY2(home.messages().lastText().startsWith(QStringLiteral("当前错误:无法创建文件夹")),
            qPrintable(home.messages().lastText()));
        QCOMPARE(home.messages().shown().last().kind, ScriptedMessages::Kind::Warning);
    }
};

QTEST_MAIN(TestExcelOutput)
#include "tst_exceloutput.moc"
