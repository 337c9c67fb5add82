// Times the quotation calculation alone (no output, progress counts
// included) for the three scopes over generated projects of several sizes,
// and shows the plan of the per-window profile query. The machine is shared,
// so each figure is the best of three runs and the process CPU time is
// printed beside the wall time.
//
//   bench_quote [WINDOWS...]        default: 5000 20000

#include "common/database.h"
#include "common/error.h"
#include "quote/lcprice.h"
#include "quote/quotecalculation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

using namespace tarvex;

namespace {

const char *const kCodes[] = {"KF601", "KF602", "KF603", "KF604", "TL701", "TL702", "TL703", "TL704"};

void loadPrices(QSqlDatabase db)
{
    const QStringList statements = {
        QStringLiteral(
            "INSERT INTO lcName VALUES (1,'60','外框','KF601',1.052,1,'断桥铝型材',NULL),"
            "(2,'60','内扇','KF602',1.136,1,'断桥铝型材',NULL),(3,'60','中梃','KF603',1.248,1,'断桥铝型材',NULL),"
            "(4,'60','压线','KF604',0.215,0,'普通铝型材',NULL),(5,'70','上下框','TL701',0.986,0,'普通铝型材',NULL),"
            "(6,'70','滑轨','TL702',1.104,0,'普通铝型材',NULL),(7,'70','扇料','TL703',0.872,0,'普通铝型材',NULL),"
            "(8,'70','勾企','TL704',0.734,0,'普通铝型材',NULL)"),
        QStringLiteral(
            "INSERT INTO pjName VALUES (1,'五金','执手','7字型','黑色','个',28,0.9,NULL),"
            "(2,'五金','合页','4寸','不锈钢','个',6.5,1,NULL),(3,'密封','密封胶条','EPDM',NULL,'米',1.6,1,NULL)"),
        QStringLiteral("INSERT INTO blName VALUES (1,'5+12A+5中空玻璃',95,1,NULL),(2,'5mm白玻',38,1,NULL)"),
        QStringLiteral("INSERT INTO FyTable VALUES ('安装费',35,0),('运输费',12,0),('管理费',0,5),('利润',0,8)"),
    };
    for (const QString &sql : statements)
        sqlExec(sql, {}, db);
}

// N windows in 20 series; each window 9 profile pieces, 2 glass panes and
// 3 accessory lines.
void generateProject(QSqlDatabase db, int windows)
{
    inTransaction(db, [&] {
        QSqlQuery mj(db), lc(db), bl(db), pj(db);
        mj.prepare(QStringLiteral("INSERT INTO MjTemp VALUES (?,?,?,?,?)"));
        lc.prepare(QStringLiteral("INSERT INTO LcTemp VALUES (?,?,?)"));
        bl.prepare(QStringLiteral("INSERT INTO BlTemp VALUES (?,?,?)"));
        pj.prepare(QStringLiteral("INSERT INTO PjTemp VALUES (?,?,?,?,?)"));
        auto exec = [](QSqlQuery &q, const QVariantList &values) {
            for (int i = 0; i < values.size(); ++i)
                q.bindValue(i, values[i]);
            if (!q.exec())
                throw Error(QStringLiteral("insert failed"));
        };
        for (int id = 1; id <= windows; ++id) {
            const double w = 0.9 + (id % 7) * 0.15;
            const double h = 1.2 + (id % 5) * 0.15;
            exec(mj,
                {id, QStringLiteral("S%1").arg(id % 20), QStringLiteral("C%1").arg(id), w * h,
                    (w + 0.05) * (h + 0.05)});
            const int family = (id % 2) * 4;
            for (int k = 0; k < 9; ++k)
                exec(lc, {id, QLatin1String(kCodes[family + k % 4]), k % 2 ? w : h});
            exec(bl, {id, id % 2 ? QStringLiteral("5+12A+5中空玻璃") : QStringLiteral("5mm白玻"), w * h * 0.4});
            exec(bl, {id, id % 2 ? QStringLiteral("5+12A+5中空玻璃") : QStringLiteral("5mm白玻"), w * h * 0.4});
            exec(pj, {id, QStringLiteral("执手"), QStringLiteral("7字型"), QStringLiteral("黑色"), 1});
            exec(pj, {id, QStringLiteral("合页"), QStringLiteral("4寸"), QStringLiteral("不锈钢"), 2});
            exec(pj, {id, QStringLiteral("密封胶条"), QStringLiteral("EPDM"), QVariant(), 2 * (w + h)});
        }
    });
}

void printPlan(QTextStream &out, QSqlDatabase db)
{
    QSqlQuery q = sqlExec(QStringLiteral("EXPLAIN QUERY PLAN SELECT SUM(长度*线重) AS 重量,隔热,材料类别 FROM PriceLc "
                                         "WHERE 窗号='C1' GROUP BY 隔热,材料类别"),
        {}, db);
    out << "plan of the per-window profile query:\n";
    while (q.next())
        out << "  " << q.value(3).toString() << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QList<int> sizes;
    for (const QString &arg : app.arguments().mid(1))
        sizes.append(arg.toInt());
    if (sizes.isEmpty())
        sizes = {5000, 20000};
    try {
        for (int n : sizes) {
            QTemporaryDir dir;
            QSqlDatabase db = Database::open(dir.filePath(QStringLiteral("newdb.sqlite")), QStringLiteral("bench"));
            loadPrices(db);
            generateProject(db, n);
            if (n == sizes.first())
                printPlan(out, db);
            const QString prices
                = lcPrice([](const LcPriceClass &, const QString &) { return QStringLiteral("20"); }, db);
            QuoteOptions options;
            for (auto scope : {QuoteOptions::Scope::Whole, QuoteOptions::Scope::Series, QuoteOptions::Scope::Window}) {
                options.scope = scope;
                // Best of three: the machine is shared.
                qint64 ms = -1;
                qint64 cpuMs = -1;
                int rows = 0;
                int maximum = 0;
                QuoteResult result;
                for (int round = 0; round < 3; ++round) {
                    QElapsedTimer timer;
                    timer.start();
                    const std::clock_t cpuStart = std::clock();
                    rows = 0;
                    maximum = quoteProgressMaximum(scope, db);
                    result = calculateQuote(
                        options, prices, NullPrices::Fail, [&] { ++rows; }, db);
                    const qint64 wall = timer.elapsed();
                    const qint64 cpu = qint64(std::clock() - cpuStart) * 1000 / CLOCKS_PER_SEC;
                    ms = ms < 0 ? wall : qMin(ms, wall);
                    cpuMs = cpuMs < 0 ? cpu : qMin(cpuMs, cpu);
                }
                const char *name = scope == QuoteOptions::Scope::Whole ? "whole "
                    : scope == QuoteOptions::Scope::Series             ? "series"
                                                                       : "window";
                out << n << " windows, " << name << ": " << result.items.size() << " quotations, " << rows
                    << " rows (bar " << maximum << "), " << ms << " ms (cpu " << cpuMs << " ms)\n";
                out.flush();
            }
            db = QSqlDatabase();
            Database::close(QStringLiteral("bench"));
        }
    } catch (const Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
