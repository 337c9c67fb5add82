#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/io/ini.h"
#include "core/library/demolibrary.h"
#include "core/library/libraryfile.h"
#include "core/library/librarypages.h"
#include "core/library/librarypicture.h"
#include "core/library/libraryrecords.h"
#include "core/library/librarytree.h"
#include "core/library/picklists.h"
#include "librarysupport.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The tree as "series[name,name];series[...]".
QString treeText(const LibraryTree &tree)
{
    QStringList parts;
    for (const LibrarySeries &s : tree)
        parts.append(s.name + QLatin1Char('[') + s.templates.join(QLatin1Char(',')) + QLatin1Char(']'));
    return parts.join(QLatin1Char(';'));
}

QString pageNames(const QVector<LibraryItem> &items)
{
    QStringList names;
    for (const LibraryItem &item : items)
        names.append(item.name);
    return names.join(QLatin1Char(','));
}

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngineRows(); }
    void init() { useEngineOfRow(); }

    void treeHasOneNodePerSeriesAndPair_data()
    {
        QTest::addColumn<QStringList>("records"); // "series/name"
        QTest::addColumn<QString>("tree");
        QTest::newRow("repeated pair") << QStringList {"A/X", "A/X", "A/Y"} << "A[X,Y]";
        QTest::newRow("texts that run together") << QStringList {"A/BC", "AB/C"} << "A[BC];AB[C]";
        QTest::newRow("first occurrence") << QStringList {"B/1", "A/2", "B/3", "A/2", "B/1"} << "B[1,3];A[2]";
        QTest::newRow("empty") << QStringList {} << "";
    }
    void treeHasOneNodePerSeriesAndPair()
    {
        QFETCH(QStringList, records);
        QFETCH(QString, tree);
        TestHome home;
        LibraryConnection library;
        for (const QString &record : records)
            addLibraryRecord(library.db(), record.section('/', 0, 0), record.section('/', 1));
        QCOMPARE(treeText(readLibraryTree(library.db())), tree);
    }

    void pagesHoldTwentyRecordsInIdOrder_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("lastPageRows");
        QTest::newRow("20") << 20 << 1 << 20;
        QTest::newRow("21") << 21 << 2 << 1;
        QTest::newRow("65") << 65 << 4 << 5;
    }
    void pagesHoldTwentyRecordsInIdOrder()
    {
        QFETCH(int, records);
        QFETCH(int, pages);
        QFETCH(int, lastPageRows);
        TestHome home;
        LibraryConnection library;
        addLibrarySeries(library.db(), "S", records);
        addLibrarySeries(library.db(), "Other", 3, "O"); // not on any page of S
        SeriesPager pager;
        pager.open(library.db(), "S");
        QCOMPARE(pager.pageCount(), pages);
        QCOMPARE(pager.curPage(), 1);
        QVERIFY(!pager.canMoveBack());
        QCOMPARE(pager.canMoveOn(), pages > 1);
        const QVector<LibraryItem> first = pager.readPage(library.db());
        QCOMPARE(first.size(), qMin(records, 20));
        QCOMPARE(first.first().name, QStringLiteral("T1"));
        QCOMPARE(first.first().description, QStringLiteral("说明1"));
        QVERIFY(!first.first().picture.isEmpty());

        pager.setPage(pager.targetPage(SeriesPager::Move::Last));
        QCOMPARE(pager.curPage(), pages);
        const QVector<LibraryItem> last = pager.readPage(library.db());
        QCOMPARE(last.size(), lastPageRows);
        QCOMPARE(last.last().name, QStringLiteral("T%1").arg(records));
        QCOMPARE(pager.canMoveBack(), pages > 1);
        QVERIFY(!pager.canMoveOn());
        QCOMPARE(SeriesPager::pageOfRecord(library.db(), "S", last.last().id), pages);
        QVERIFY(!errorOf([&] { pager.setPage(pages + 1); }).isEmpty());
    }

    void walkingTheButtonsOfSixtyFiveRecords()
    {
        TestHome home;
        LibraryConnection library;
        addLibrarySeries(library.db(), "S", 65);
        SeriesPager pager;
        pager.open(library.db(), "S");
        using Move = SeriesPager::Move;
        const QList<QPair<Move, QString>> walk = {
            {Move::Next, "T21..T40"},
            {Move::Next, "T41..T60"},
            {Move::Last, "T61..T65"},
            {Move::Previous, "T41..T60"},
            {Move::First, "T1..T20"},
        };
        for (const auto &[move, range] : walk) {
            pager.setPage(pager.targetPage(move));
            const QVector<LibraryItem> items = pager.readPage(library.db());
            QCOMPARE(items.first().name + ".." + items.last().name, range);
        }
    }

    void seriesWithApostrophesAndNullsAreShown()
    {
        TestHome home;
        LibraryConnection library;
        const qint32 id = addLibraryRecord(library.db(), "O'Neil系列", "窗'1");
        addLibraryRecord(library.db(), QString(), "无系列"); // an adopted file may hold Null
        SeriesPager pager;
        pager.open(library.db(), "O'Neil系列");
        QCOMPARE(pageNames(pager.readPage(library.db())), QStringLiteral("窗'1"));
        pager.open(library.db(), QString());
        QCOMPARE(pageNames(pager.readPage(library.db())), QStringLiteral("无系列"));
        QCOMPARE(readLibraryRecord(library.db(), id).series, QStringLiteral("O'Neil系列"));
    }

    void modifyDeleteAndClear()
    {
        TestHome home;
        LibraryConnection library;
        QSqlDatabase db = library.db();
        const qint32 a = addLibraryRecord(db, "A", "X", "旧说明");
        const qint32 b = addLibraryRecord(db, "A", "Y");
        addPickEntry(db, PickList::ItemNames, "外框");
        addPickEntry(db, PickList::Colours, "白色");

        modifyLibraryRecord(db, {a, " B'系列 ", " X2 ", "  "});
        QCOMPARE(queryRows("SELECT mc, xl, bz IS NULL FROM data WHERE ID = " + QString::number(a), db),
            QStringList {"B'系列|X2|1"});
        QCOMPARE(readLibraryRecord(db, a).description, QString());
        modifyLibraryRecord(db, {a, "B'系列", "X2", "新说明"});
        QCOMPARE(readLibraryRecord(db, a).description, QStringLiteral("新说明"));

        deleteLibraryRecord(db, b);
        // A record another window removed: a plain reason, nothing claimed.
        QVERIFY(errorOf([&] { deleteLibraryRecord(db, b); }).contains(QString::number(b)));
        QVERIFY(errorOf([&] { modifyLibraryRecord(db, {b, "A", "Y", ""}); }).contains(QString::number(b)));
        QVERIFY(errorOf([&] { readLibraryRecord(db, b); }).contains(QString::number(b)));

        // Clearing keeps a copy of the library beside it, a library itself.
        const QString all = "SELECT ID, mc, xl, bmp, bz FROM data ORDER BY ID";
        const QStringList before = queryRows(all, db);
        const QString copy = clearLibraryRecords(db);
        QCOMPARE(clearLibraryRecords(db), QString()); // nothing left to keep
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM data", {}, db).toInt(), 0);
        QCOMPARE(readPickList(db, PickList::ItemNames), QStringList {"外框"});
        QCOMPARE(readPickList(db, PickList::Colours), QStringList {"白色"});
        QVERIFY2(copy.startsWith(home.file("xltDb-备份-")) && copy.endsWith(".sqlite"), qPrintable(copy));
        LibraryConnection kept(copy);
        QCOMPARE(queryRows(all, kept.db()), before);
        QCOMPARE(readPickList(kept.db(), PickList::Colours), QStringList {"白色"});

        // A copy that cannot be written (here: a file's, not inside a
        // transaction) leaves every record in place.
        if (onTestServer())
            return;
        addLibraryRecord(db, "A", "Z");
        sqlExec("BEGIN", {}, db);
        const QString error = errorOf([&] { clearLibraryRecords(db); });
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM data", {}, db).toInt(), 1);
        sqlExec("ROLLBACK", {}, db);
        QVERIFY2(error.startsWith("无法写入文件 " + home.file("xltDb-备份-")), qPrintable(error));
    }

    void pickListsKeepDuplicatesAndChangeTheFirstMatch()
    {
        TestHome home;
        LibraryConnection library;
        QSqlDatabase db = library.db();
        for (const QString &name : QStringList {"外框", "O'Brien", "外框", "中梃"})
            addPickEntry(db, PickList::ItemNames, name);
        QCOMPARE(readPickList(db, PickList::ItemNames), (QStringList {"外框", "O'Brien", "外框", "中梃"}));
        deletePickEntry(db, PickList::ItemNames, "外框");
        QCOMPARE(readPickList(db, PickList::ItemNames), (QStringList {"O'Brien", "外框", "中梃"}));
        renamePickEntry(db, PickList::ItemNames, "O'Brien", "压线");
        QCOMPARE(readPickList(db, PickList::ItemNames), (QStringList {"压线", "外框", "中梃"}));
        QVERIFY(errorOf([&] { deletePickEntry(db, PickList::ItemNames, "扇框"); }).contains("扇框"));
        QVERIFY(errorOf([&] { renamePickEntry(db, PickList::Colours, "外框", "x"); }).contains("型材颜色"));
        QVERIFY(readPickList(db, PickList::Colours).isEmpty());
    }

    void importAndExportKeepTheBytes()
    {
        TestHome home;
        LibraryConnection library;
        QSqlDatabase db = library.db();
        const QByteArray picture = testPicture("JPG");
        const QByteArray workbook = demoCuttingList(demoTemplates().first());
        writeFile(home.file("elevation.jpg"), picture);
        writeFile(home.file("list.xlsx"), workbook);
        const qint32 id = importLibraryRecord(
            db, {" S1 ", " C0915/左开 ", " 说明 ", home.file("elevation.jpg"), home.file("list.xlsx")});
        QCOMPARE(readLibraryRecord(db, id).series, QStringLiteral("S1"));
        QCOMPARE(libraryWorkbook(db, id), workbook);

        const QStringList files = exportLibraryRecord(db, id, home.file("out/sub"));
        QCOMPARE(files, (QStringList {home.file("out/sub/C0915_左开.jpg"), home.file("out/sub/C0915_左开.xlsx")}));
        QCOMPARE(readFile(files[0]), picture);
        QCOMPARE(readFile(files[1]), workbook);

        // A link planted in the folder does not lead the export to the file it names.
        writeFile(home.file("victim.txt"), "kept");
        QVERIFY(QFile::remove(files[0]) && QFile::link(home.file("victim.txt"), files[0]));
        QCOMPARE(errorOf([&] { exportLibraryRecord(db, id, home.file("out/sub")); }),
            "无法写入文件 " + files[0] + ": 这是一个符号链接, 导出不会写入它所指向的文件");
        QCOMPARE(readFile(home.file("victim.txt")), QByteArray("kept"));

        // Without a workbook only the picture is written; temp1 gets nothing.
        writeFile(home.file("p.bmp"), testPicture("BMP"));
        const qint32 plain = importLibraryRecord(db, {"S1", "..", "", home.file("p.bmp"), ""}); // no usable file name
        QCOMPARE(exportLibraryRecord(db, plain, home.file("out")),
            QStringList {home.file("out/" + QString::number(plain) + ".bmp")});
        QCOMPARE(writeLibraryWorkbookToTemp(db, plain), QString());
        QCOMPARE(readFile(writeLibraryWorkbookToTemp(db, id)), workbook);
    }

    // A scanned elevation of 8000 × 8000 pixels is a drawing, not too large
    // for the library: imported, listed with its thumbnail, exported whole.
    void drawingSizedPicturesAreTaken()
    {
        TestHome home;
        LibraryConnection library;
        const QByteArray picture = plainPng(8000, 8000);
        writeFile(home.file("scan.png"), picture);
        const qint32 id = importLibraryRecord(library.db(), {"S1", "大图", "", home.file("scan.png"), ""});
        QCOMPARE(libraryThumbnail(picture, QSize(100, 80)).size(), QSize(80, 80));
        QCOMPARE(readFile(exportLibraryRecord(library.db(), id, home.file("out")).value(0)), picture);
    }

    void badImportsChangeNothing_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no picture") << ""
                                    << ""
                                    << "项目填写不完整";
        QTest::newRow("missing file") << "nothing.png"
                                      << ""
                                      << "文件不存在";
        QTest::newRow("a folder") << "folder"
                                  << ""
                                  << "不是普通文件";
        QTest::newRow("not a picture") << "text.png"
                                       << ""
                                       << "不是可以读取的图片";
        QTest::newRow("empty file") << "empty.png"
                                    << ""
                                    << "不是可以读取的图片";
        QTest::newRow("beyond any drawing") << "huge.png"
                                            << ""
                                            << "有 12000×12000 像素, 超过图库图片的上限 10000×10000 像素";
        QTest::newRow("not a workbook") << "good.png"
                                        << "text.png"
                                        << "不是 Excel 工作簿";
    }
    void badImportsChangeNothing()
    {
        QFETCH(QString, picture);
        QFETCH(QString, workbook);
        QFETCH(QString, reason);
        TestHome home;
        LibraryConnection library;
        QDir(home.path()).mkdir("folder");
        writeFile(home.file("text.png"), "not a picture at all\r\n");
        writeFile(home.file("empty.png"), QByteArray());
        writeFile(home.file("good.png"), testPicture());
        writeFile(home.file("huge.png"), plainPng(12000, 12000, true));
        auto path = [&](const QString &name) { return name.isEmpty() ? name : home.file(name); };
        const QString error = errorOf([&] {
            importLibraryRecord(library.db(), {"S", "N", "", path(picture), path(workbook)});
        });
        QVERIFY2(error.contains(reason), qPrintable(error));
        if (!picture.isEmpty())
            QVERIFY2(error.contains(QDir::toNativeSeparators(path(workbook.isEmpty() ? picture : workbook))),
                qPrintable(error));
        QCOMPARE(sqlScalar("SELECT COUNT(*) FROM data", {}, library.db()).toInt(), 0);
    }

    void libraryFileIsCreatedAdoptedOrRefused()
    {
        if (onTestServer())
            QSKIP("a library file's own checks");
        TestHome home;
        auto openError = [](const QString &path) { return errorOf([&] { LibraryConnection library(path); }); };
        // A raw SQLite file with the given statements, as another program made it.
        auto makeFile = [&](const QString &folder, const QStringList &statements) {
            QDir(home.path()).mkpath(folder);
            const QString path = home.file(folder + "/xltDb.sqlite");
            {
                QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "raw");
                raw.setDatabaseName(path);
                raw.open();
                for (const QString &statement : statements)
                    sqlExec(statement, {}, raw);
            }
            QSqlDatabase::removeDatabase("raw");
            return path;
        };

        QVERIFY(openError(home.file("nowhere/xltDb.sqlite")).contains(QDir::toNativeSeparators(home.file("nowhere"))));
        QVERIFY(!QFile::exists(home.file("nowhere")));
        // Outside the program folder a missing library is made only on request.
        QDir(home.path()).mkdir("empty");
        const QString elsewhere = home.file("empty/xltDb.sqlite");
        QCOMPARE(openError(elsewhere),
            "图库文件夹 " + QDir::toNativeSeparators(home.file("empty")) + " 中没有图库文件 xltDb.sqlite");
        QVERIFY(!QFile::exists(elsewhere));
        {
            const LibraryConnection created(elsewhere, MissingLibrary::Create);
        }
        QCOMPARE(openError(elsewhere), QString());

        QCOMPARE(currentLibraryFile(), home.file("xltDb.sqlite"));
        {
            LibraryConnection library;
            QCOMPARE(sqlScalar("PRAGMA user_version", {}, library.db()).toInt(), 1);
            QCOMPARE(queryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", library.db()),
                (QStringList {"data", "xcys", "xmName"}));
        }

        const QString adopted = makeFile("old",
            {"CREATE TABLE data (ID INTEGER PRIMARY KEY, mc TEXT, xl TEXT, "
             "bmp BLOB, xls BLOB, bz TEXT)",
                "INSERT INTO data (mc, xl) VALUES ('A', 'X')"});
        {
            LibraryConnection library(adopted);
            QCOMPARE(sqlScalar("PRAGMA user_version", {}, library.db()).toInt(), 1);
            QCOMPARE(treeText(readLibraryTree(library.db())), QStringLiteral("A[X]"));
        }

        const QString foreign = makeFile("foreign", {"CREATE TABLE MjTemp (ID INTEGER)"});
        const QString newer = makeFile("newer", {"PRAGMA user_version=7"});
        const QString text = home.file("text/xltDb.sqlite");
        QDir(home.path()).mkpath("text");
        writeFile(text, "这不是数据库\r\n");
        const QList<QPair<QString, QString>> refused
            = {{foreign, "不是图库文件"}, {newer, "7"}, {newer, "1"}, {text, "xltDb.sqlite"}};
        for (const auto &[path, reason] : refused) {
            const QString error = openError(path);
            QVERIFY2(error.contains(QDir::toNativeSeparators(path)) && error.contains(reason), qPrintable(error));
        }
        QCOMPARE(readFile(text), QByteArray("这不是数据库\r\n"));

        // Before start-up has read it, the folder comes from cs.ini.
        appState().libraryFolder.clear();
        WriteIni(home.file("cs.ini"), "sysPath", "path2", "lib");
        QCOMPARE(currentLibraryFile(), home.file("lib/xltDb.sqlite"));
    }

    void demoLibraryHasThreeSeriesOfDrawings()
    {
        TestHome home;
        LibraryConnection library;
        QSqlDatabase db = library.db();
        QCOMPARE(fillDemoLibrary(db), 96);
        QStringList shape;
        for (const LibrarySeries &series : readLibraryTree(db)) {
            SeriesPager pager;
            pager.open(db, series.name);
            shape.append(
                QStringLiteral("%1:%2/%3").arg(series.name).arg(series.templates.size()).arg(pager.pageCount()));
        }
        QCOMPARE(shape, (QStringList {"60系列平开窗:25/2", "90系列推拉窗:65/4", "70系列平开门:6/1"}));
        for (const LibraryListEntry &entry : listLibraryRecords(db)) {
            QVERIFY(entry.hasWorkbook && !entry.description.isEmpty());
            QCOMPARE(libraryWorkbookFormat(libraryWorkbook(db, entry.id)), QStringLiteral("xlsx"));
        }
        SeriesPager doors;
        doors.open(db, "70系列平开门");
        for (const LibraryItem &item : doors.readPage(db))
            QCOMPARE(libraryThumbnail(item.picture, QSize(100, 80)).size(), QSize(100, 80));
        QCOMPARE(readPickList(db, PickList::Colours).size(), 5);
        QVERIFY(errorOf([&] { fillDemoLibrary(db); }).contains("已有记录"));
        QCOMPARE(listLibraryRecords(db).size(), 96);
    }
};

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
