// Price list import of a large accessory table: 10,000 rows by default, half
// of them updating stored records and half new, from a GBK csv and from an
// xlsx workbook, in merge and in replace mode.
//
//   bench_priceimport [ROWS] [REPEATS]

#include "core/common/db/database.h"
#include "core/common/io/textcodec.h"
#include "core/prices/priceexport.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace tarvex;

namespace {

struct Timing {
    double wall;
    double cpu;
};

// Median of the repeats; prepare runs before each, untimed.
Timing measure(int repeats, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < repeats; ++i) {
        prepare();
        QElapsedTimer timer;
        const std::clock_t cpu = std::clock();
        timer.start();
        work();
        walls.push_back(timer.nsecsElapsed() / 1e9);
        cpus.push_back(double(std::clock() - cpu) / CLOCKS_PER_SEC);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

// The stored table: rows/2 accessories that the file updates.
void fillTable(int rows)
{
    QSqlDatabase db = Database::shared();
    inTransaction(db, [&] {
        sqlExec(QStringLiteral("DELETE FROM pjName"));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO pjName VALUES (?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; i < rows / 2; ++i) {
            for (const QVariant &v : QVariantList {i, QStringLiteral("五金"), QStringLiteral("执手%1").arg(i),
                     QStringLiteral("规格%1").arg(i % 7), QVariant(), QStringLiteral("个"), 10.0 + i % 50, 0.9,
                     QVariant()})
                insert.addBindValue(v);
            insert.exec();
        }
    });
}

QByteArray csvFile(int rows)
{
    QString text = QStringLiteral("编号;类别;名称;规格;技术要求;单位;单价;折扣量;备注\r\n");
    for (int i = 0; i < rows; ++i)
        text += QStringLiteral(";五金;执手%1;规格%2;\"黑色;哑光\";个;%3;0.9;\r\n").arg(i).arg(i % 7).arg(12.5 + i % 50);
    return encodeGbk(text);
}

void print(const char *what, const Timing &t)
{
    std::printf("%-34s %7.3f s %7.3f s\n", what, t.wall, t.cpu);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir folder;
    Database::open(folder.filePath(QStringLiteral("newdb.sqlite")));
    const PriceTable &table = *findPriceTable(QStringLiteral("pjName"));
    const QString csv = folder.filePath(QStringLiteral("pj.csv"));
    const QString xlsx = folder.filePath(QStringLiteral("pj.xlsx"));
    QFile out(csv);
    if (!out.open(QIODevice::WriteOnly) || out.write(csvFile(rows)) < 0)
        return 1;
    out.close();

    std::printf("%d rows, median of %d runs          wall       CPU\n", rows, repeats);
    PriceImportPlan plan;
    const auto reset = [&] { fillTable(rows); };
    PriceListFile file;
    print("csv: read",
        measure(
            repeats, [] {}, [&] { file = readPriceListFile(csv, table); }));
    print("csv: preview of the read file",
        measure(repeats, reset, [&] { plan = previewPriceImport(table, file, ImportMode::Merge); }));
    print("csv: read + preview", measure(repeats, reset, [&] {
        plan = previewPriceImport(table, readPriceListFile(csv, table), ImportMode::Merge);
    }));
    std::printf("  %s\n", qPrintable(plan.counts()));
    print("csv: read + merge (one transaction)", measure(repeats, reset, [&] {
        plan = importPriceList(table, readPriceListFile(csv, table), ImportMode::Merge);
    }));
    print("csv: read + replace", measure(repeats, reset, [&] {
        plan = importPriceList(table, readPriceListFile(csv, table), ImportMode::Replace);
    }));
    print("xlsx: export",
        measure(
            repeats, [] {}, [&] { exportPriceTable(table, xlsx); }));
    print("xlsx: read",
        measure(
            repeats, [] {}, [&] { file = readPriceListFile(xlsx, table); }));
    print("xlsx: read + merge (all unchanged)",
        measure(
            repeats, [] {}, [&] { plan = importPriceList(table, readPriceListFile(xlsx, table), ImportMode::Merge); }));
    std::printf("  %s\n", qPrintable(plan.counts()));
    return 0;
}
