// Times the grid export of a large viewer page: the profile page (PriceLc)
// of a generated project, every row written to a workbook as the grid shows
// it, the query read once.
//
//   bench_export [ROWS]        default: 200000

#include "core/common/db/database.h"
#include "core/common/db/sqlgridmodel.h"
#include "core/common/error.h"
#include "core/document/xlsxtable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

using namespace tarvex;

namespace {

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// ROWS profile pieces over ROWS / 10 windows, with eight priced codes.
void generateProject(QSqlDatabase db, int rows)
{
    sqlExec(QStringLiteral("INSERT INTO lcName VALUES (1,'60','外框','KF601',1.052,1,'断桥铝型材',NULL),"
                           "(2,'60','内扇','KF602',1.136,1,'断桥铝型材','备注'),(3,'60','中梃','KF603',1.248,1,"
                           "'断桥铝型材',NULL),(4,'60','压线','KF604',0.215,0,'普通铝型材',NULL)"),
        {}, db);
    inTransaction(db, [&] {
        QSqlQuery mj(db), lc(db);
        mj.prepare(QStringLiteral("INSERT INTO MjTemp VALUES (?,?,?,?,?)"));
        lc.prepare(QStringLiteral("INSERT INTO LcTemp VALUES (?,?,?)"));
        for (int i = 0; i < rows; ++i) {
            const int window = i / 10 + 1;
            if (i % 10 == 0) {
                mj.addBindValue(window);
                mj.addBindValue(QStringLiteral("60系列平开窗"));
                mj.addBindValue(QStringLiteral("C%1").arg(window));
                mj.addBindValue(1.5 + (window % 7) * 0.1);
                mj.addBindValue(1.6 + (window % 7) * 0.1);
                if (!mj.exec())
                    throw Error(QStringLiteral("insert failed"));
            }
            lc.addBindValue(window);
            lc.addBindValue(QStringLiteral("KF60%1").arg(i % 4 + 1));
            lc.addBindValue(600.0 + i % 900);
            if (!lc.exec())
                throw Error(QStringLiteral("insert failed"));
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    try {
        QSqlDatabase db = Database::open(dir.filePath(QStringLiteral("newdb.sqlite")), QStringLiteral("bench"));
        generateProject(db, rows);
        const QString path = dir.filePath(QStringLiteral("export.xlsx"));
        const QString sql = QStringLiteral("SELECT * FROM PriceLc");
        const qint64 total = sqlScalar(QStringLiteral("SELECT COUNT(*) FROM PriceLc"), {}, db).toLongLong();
        // The query alone, values as the grid shows them: the floor of an export.
        {
            QElapsedTimer wall;
            wall.start();
            const double cpu = cpuSeconds();
            QSqlQuery query = sqlExec(sql, {}, db);
            qint64 chars = 0;
            while (query.next())
                for (int c = 0; c < 8; ++c)
                    chars += SqlGridModel::displayText(query.value(c), QString()).size();
            out << QStringLiteral("query alone: %1 s wall, %2 s CPU (%3 characters)\n")
                       .arg(wall.elapsed() / 1000.0, 0, 'f', 2)
                       .arg(cpuSeconds() - cpu, 0, 'f', 2)
                       .arg(chars);
        }
        int calls = 0;
        QElapsedTimer wall;
        wall.start();
        const double cpu = cpuSeconds();
        const QueryExport done = exportQueryToXlsx(path, sql, {}, db, total, [&](qint64, qint64) {
            ++calls;
            return true;
        });
        out << QStringLiteral("%1 rows x 8 columns: %2 s wall, %3 s CPU, %4 MB, %5 progress calls\n")
                   .arg(done.rows)
                   .arg(wall.elapsed() / 1000.0, 0, 'f', 2)
                   .arg(cpuSeconds() - cpu, 0, 'f', 2)
                   .arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 1)
                   .arg(calls);
    } catch (const Error &e) {
        out << e.message() << '\n';
        return 1;
    }
    Database::close(QStringLiteral("bench"));
    return 0;
}
