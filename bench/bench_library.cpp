// The drawing library at scale: a library of RECORDS records in SERIES series,
// one of which holds BIG records spread over the whole file, then
//  - the tree: read from the file, and the window's load (tree widget filled);
//  - the big series opened at page 1 (count, page query, 20 pictures decoded,
//    slot 1 selected) and every page move to the last page and back.
//
//   QT_QPA_PLATFORM=offscreen bench_library [RECORDS] [SERIES] [BIG]    # default 50000 500 10000

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/io/paths.h"
#include "core/library/demolibrary.h"
#include "core/library/libraryfile.h"
#include "core/library/librarypicture.h"
#include "core/library/librarytree.h"
#include "gui/library/dwgform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <algorithm>
#include <ctime>
#include <functional>

using namespace tarvex;

namespace {

QTextStream out(stdout);

struct Timing {
    double wall = 0;
    double cpu = 0;
};

Timing measure(const std::function<void()> &fn)
{
    QElapsedTimer timer;
    const std::clock_t cpu = std::clock();
    timer.start();
    fn();
    return {timer.nsecsElapsed() / 1e6, double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC};
}

// The best of a few runs: the machine is shared.
Timing best(int runs, const std::function<void()> &fn)
{
    Timing result {1e18, 1e18};
    for (int i = 0; i < runs; ++i) {
        const Timing t = measure(fn);
        result.wall = std::min(result.wall, t.wall);
        result.cpu = std::min(result.cpu, t.cpu);
    }
    return result;
}

void report(const QString &what, const Timing &t)
{
    out << what.leftJustified(44) << QString::number(t.wall, 'f', 1).rightJustified(9) << " ms wall"
        << QString::number(t.cpu, 'f', 1).rightJustified(9) << " ms CPU" << Qt::endl;
}

void plan(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query = sqlExec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, values, db);
    while (query.next())
        out << "    " << query.value(3).toString() << Qt::endl;
}

void fill(QSqlDatabase db, int records, int series, int big, const QString &bigName)
{
    // Real elevation drawings of the demo library, used in turn.
    QVector<QByteArray> pictures;
    const QVector<DemoTemplate> templates = demoTemplates();
    for (int i = 0; i < 12; ++i)
        pictures.append(demoElevation(templates[i * 7 % templates.size()]));
    inTransaction(db, [&] {
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO data (mc, xl, bmp, bz) VALUES (?, ?, ?, ?)"));
        QVector<int> counters(series, 0);
        int bigCount = 0;
        const int stride = std::max(1, records / std::max(1, big));
        for (int i = 0; i < records; ++i) {
            // The big series' records lie spread over the whole file.
            const bool inBig = i % stride == 0 && bigCount < big;
            const int s = inBig ? 0 : 1 + i % (series - 1);
            const QString name
                = s == 0 ? bigName : QStringLiteral("%1系列%2").arg(60 + s % 40).arg(s, 3, 10, QLatin1Char('0'));
            bigCount += inBig ? 1 : 0;
            insert.addBindValue(name);
            insert.addBindValue(QStringLiteral("T%1").arg(++counters[s], 5, 10, QLatin1Char('0')));
            insert.addBindValue(pictures[i % pictures.size()]);
            insert.addBindValue(QStringLiteral("模板说明 %1").arg(i));
            if (!insert.exec())
                qFatal("insert failed");
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = args.value(1, QStringLiteral("50000")).toInt();
    const int series = std::max(2, args.value(2, QStringLiteral("500")).toInt());
    const int big = args.value(3, QStringLiteral("10000")).toInt();
    const QString bigName = QStringLiteral("90系列推拉窗");

    QTemporaryDir home;
    setProgramFolder(home.path());
    appState().libraryFolder = home.path();
    const QString path = currentLibraryFile();
    {
        LibraryConnection library(path);
        const Timing t = measure([&] { fill(library.db(), records, series, big, bigName); });
        out << QStringLiteral("library: %1 records, %2 series, %3 in %4; %5 MB, built in %6 s")
                   .arg(records)
                   .arg(series)
                   .arg(big)
                   .arg(bigName)
                   .arg(QFileInfo(path).size() / 1e6, 0, 'f', 0)
                   .arg(t.wall / 1000, 0, 'f', 1)
            << Qt::endl;
        out << "plan of the tree query:" << Qt::endl;
        plan(library.db(), QStringLiteral("SELECT mc, xl, MIN(ID) AS first FROM data GROUP BY mc, xl ORDER BY first"));
        out << "plan of the page query:" << Qt::endl;
        plan(library.db(),
            QStringLiteral("SELECT ID, xl, bmp, bz FROM data WHERE ID IN (SELECT ID FROM data WHERE mc = ? "
                           "ORDER BY ID LIMIT ? OFFSET ?) ORDER BY ID"),
            {bigName, 20, 0});
        report(QStringLiteral("tree read from the file"), best(3, [&] { readLibraryTree(library.db()); }));
        SeriesPager pager;
        QVector<LibraryItem> items;
        report(QStringLiteral("last page of %1 read (SQL only)").arg(bigName), best(5, [&] {
            pager.open(library.db(), bigName);
            pager.setPage(pager.pageCount());
            items = pager.readPage(library.db());
        }));
        report(QStringLiteral("its 20 pictures decoded"), best(5, [&] {
            for (const LibraryItem &item : items)
                libraryThumbnail(item.picture, QSize(500, 400));
        }));
    }

    DwgForm form;
    form.resize(1240, 720);
    report(QStringLiteral("window load (connection, tree widget)"), best(3, [&] {
        if (!form.load())
            qFatal("load failed");
    }));
    out << QStringLiteral("tree: %1 series nodes").arg(form.tree()->topLevelItemCount()) << Qt::endl;
    form.show();
    QApplication::processEvents();

    report(QStringLiteral("open %1 (page 1 of %2)").arg(bigName).arg(SeriesPager::pageCountFor(big)),
        best(5, [&] { form.openSeries(bigName); }));
    report(QStringLiteral("尾页 (page %1)").arg(form.pager().pageCount()), best(5, [&] {
        form.movePage(SeriesPager::Move::First);
        form.movePage(SeriesPager::Move::Last);
    }));
    Timing worst;
    for (int i = 0; i < 5; ++i) {
        const Timing t = measure([&] { form.movePage(SeriesPager::Move::Previous); });
        worst.wall = std::max(worst.wall, t.wall);
        worst.cpu = std::max(worst.cpu, t.cpu);
    }
    report(QStringLiteral("前一页 from the end, slowest of 5"), worst);
    report(QStringLiteral("首页"), best(5, [&] { form.movePage(SeriesPager::Move::First); }));
    report(QStringLiteral("后一页 and painted"), best(5, [&] {
        form.movePage(SeriesPager::Move::Next);
        form.repaint();
    }));
    const QString small = form.tree()->topLevelItem(1)->text(0);
    report(QStringLiteral("open a small series (%1)").arg(small), best(5, [&] { form.openSeries(small); }));
    return 0;
}
