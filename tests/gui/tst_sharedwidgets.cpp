#include "app/mainform.h"
#include "app/paths.h"
#include "common/database.h"
#include "common/flexgrid.h"
#include "common/forms.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTest>
#include <QWheelEvent>

using namespace tarvex;
using namespace tarvex::test;

class TestSharedWidgets : public QObject {
    Q_OBJECT

    static void wheel(FlexGrid &grid, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(10, 10);
        QWheelEvent event(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &event);
    }

    // Text of <c> cells by row number from the first sheet of a workbook.
    static QStringList sheetRows(const QString &xlsx)
    {
        QProcess unzip;
        unzip.start("unzip", {"-p", xlsx, "xl/worksheets/sheet1.xml"});
        unzip.waitForFinished();
        const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
        QStringList rows;
        QRegularExpression rowTag("<row r=\"(\\d+)\"");
        auto it = rowTag.globalMatch(xml);
        while (it.hasNext())
            rows.append(it.next().captured(1));
        return rows;
    }

private slots:
    void gridCountsRowsLikeTheFlexGrid()
    {
        TestHome home;
        FlexGrid grid;
        QAbstractItemModelTester tester(grid.gridModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.load("SELECT * FROM blName", Database::shared());
        QCOMPARE(grid.rows(), 2); // header and one blank row
        QCOMPARE(grid.cols(), 5);
        QCOMPARE(grid.recordCount(), 0);
        QCOMPARE(grid.textMatrix(0, 1), QString("名称"));
        QCOMPARE(grid.textMatrix(1, 1), QString());

        home.loadDemoPrices();
        grid.load("SELECT * FROM lcName ORDER BY 编号", Database::shared());
        QCOMPARE(grid.rows(), 12);
        QCOMPARE(grid.textMatrix(1, 3), QString("KF601"));
        QCOMPARE(grid.textMatrix(1, 4), QString("1.052"));
        QCOMPARE(grid.textMatrix(1, 5), QString("True"));
        QCOMPARE(grid.textMatrix(4, 5), QString("False"));
        QCOMPARE(grid.textMatrix(3, 7), QString()); // Null remark

        grid.setCurrentCell(2, 1);
        grid.changeColor();
        QCOMPARE(grid.gridModel()->data(grid.gridModel()->index(1, 0), Qt::BackgroundRole).value<QColor>(),
            QColor(0xFF, 0xFF, 0xC0));
        grid.setRow(3);
        grid.changeColor();
        QVERIFY(!grid.gridModel()->data(grid.gridModel()->index(1, 0), Qt::BackgroundRole).isValid());
        QCOMPARE(grid.lastRow(), 3);

        // A filtered load binds its values; an empty model has no rows.
        grid.load("SELECT * FROM lcName WHERE 代号=? OR 编号=?", Database::shared(), {"KF601", 3});
        QCOMPARE(grid.recordCount(), 2);
        QCOMPARE(grid.textMatrix(1, 3), QString("KF601"));
        grid.gridModel()->clear();
        QCOMPARE(grid.gridModel()->rowCount(), 0);
    }

    void wheelScrollsOneRowPerNotch()
    {
        TestHome home;
        inTransaction(Database::shared(), [] {
            for (int i = 0; i < 200; ++i)
                sqlExec("INSERT INTO MjTemp VALUES (?,'S','C',1,1)", {i});
        });
        FlexGrid grid;
        grid.resize(400, 200);
        grid.show();
        grid.load("SELECT * FROM MjTemp", Database::shared());
        QCOMPARE(grid.topRow(), 1);
        wheel(grid, 120); // away from the user at the top: stays
        QCOMPARE(grid.topRow(), 1);
        wheel(grid, -120);
        QCOMPARE(grid.topRow(), 2);
        wheel(grid, -120);
        QCOMPARE(grid.topRow(), 3);
        wheel(grid, -120, Qt::ControlModifier); // a key held scrolls nothing
        QCOMPARE(grid.topRow(), 3);
        wheel(grid, -60); // a finer step scrolls nothing
        QCOMPARE(grid.topRow(), 3);
        wheel(grid, 120);
        QCOMPARE(grid.topRow(), 2);
    }

    void exportWritesEveryCellAsText()
    {
        TestHome home;
        qputenv("TARVEX_NO_OPEN", "1");
        FlexGrid grid;
        grid.load("SELECT * FROM FyTable", Database::shared());
        const QString path = FlexToExcel(&grid);
        QVERIFY(path.startsWith(programFile("temp1")));
        QCOMPARE(home.messages().shown().size(), 1);
        QVERIFY(home.messages().lastText().startsWith("数据导出至Excel成功!"));
        // Only the header row holds text: one sheet row.
        QCOMPARE(sheetRows(path), QStringList({"1"}));

        home.loadDemoPrices();
        grid.load("SELECT * FROM FyTable", Database::shared());
        QCOMPARE(sheetRows(FlexToExcel(&grid)), QStringList({"1", "2", "3", "4", "5"}));
    }

    void exportFailureSaysWhy()
    {
        TestHome home;
        QFile blocker(programFile("temp1"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        FlexGrid grid;
        grid.load("SELECT * FROM FyTable", Database::shared());
        QVERIFY(FlexToExcel(&grid).isEmpty());
        QVERIFY(home.messages().lastText().startsWith("当前错误:"));
        QVERIFY(home.messages().lastText().size() > QString("当前错误:").size());
    }

    void childWindowsAreClosedBeforeAnother()
    {
        TestHome home;
        Database::closeShared();
        MainForm main;
        main.show();
        main.startup({"tarvex"});
        auto *first = new QWidget;
        first->setObjectName("DisForm");
        main.showChild(first, MainForm::Placement::Fill);
        QVERIFY(IsFormLoaded("DisForm"));
        QVERIFY(!IsFormLoaded("disform"));
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        CloseChildWindows();
        QTRY_VERIFY(!IsFormLoaded("DisForm"));
        QVERIFY(IsFormLoaded("MainForm"));

        auto *centred = new QWidget;
        centred->setObjectName("setForm");
        centred->resize(300, 200);
        main.showChild(centred, MainForm::Placement::Centre);
        auto *sub = main.mdiArea()->subWindowList().first();
        const QRect client = main.mdiArea()->viewport()->rect();
        QVERIFY(qAbs(sub->geometry().center().x() - client.center().x()) <= 2);
    }

    void emptyDataFolderMeansTheProgramFolder()
    {
        TestHome home;
        QCOMPARE(dataFolder(), programFolder());
        Database::closeShared();
        MainForm main;
        main.startup({"tarvex"});
        // No background picture in this folder: the database opens all the same.
        QVERIFY(Database::isSharedOpen());
        QVERIFY(QFile::exists(home.file("newdb.sqlite")));
        QVERIFY(home.messages().shown().isEmpty());
    }
};

QTEST_MAIN(TestSharedWidgets)
#include "tst_sharedwidgets.moc"
