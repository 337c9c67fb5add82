// Times the quotation of a large project against the floor any quotation
// has: the three grouped passes over the priced views (profiles, accessories,
// glass, each joined with its window and price and grouped by window), read
// row by row through the sqlite3 C API. Then, for every scope, tarvex-cli
// quote --json as a process (start-up and JSON writing included) and, in this
// process, the steps of the calculation. With OLD_CLI given, the same runs of
// another build of tarvex-cli are timed beside, in the same run.
//
//   bench_quote PROJECT.xdt PRICES.sql [OLD_CLI] [REPEATS]
//
// The machine is shared: every figure is the best of REPEATS runs (default
// 3), as wall-clock and CPU seconds.

#include "benchsupport.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/quote/quotecalculation.h"
#include "core/quote/quotegroups.h"
#include "core/quote/quotejson.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <ctime>
#include <functional>

using namespace tarvex;

namespace {

struct Timing {
    double wall = -1;
    double cpu = -1;

    void keepBest(double w, double c)
    {
        wall = wall < 0 ? w : std::min(wall, w);
        cpu = cpu < 0 ? c : std::min(cpu, c);
    }
};

double childCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Timing timeInProcess(int repeats, const std::function<void()> &work)
{
    Timing t;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpu = std::clock();
        work();
        t.keepBest(timer.nsecsElapsed() / 1e9, double(std::clock() - cpu) / CLOCKS_PER_SEC);
    }
    return t;
}

void runCli(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw Error(program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(" failed: ")
            + QString::fromLocal8Bit(process.readAllStandardError()));
    }
}

Timing timeCli(int repeats, const QString &program, const QStringList &args)
{
    Timing t;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = childCpuSeconds();
        runCli(program, args);
        t.keepBest(timer.nsecsElapsed() / 1e9, childCpuSeconds() - cpu);
    }
    return t;
}

// The floor: every row of the three per-window groupings, each field read.
void groupedPasses(const QString &path)
{
    if (!bench::readGroupedPasses(path))
        throw Error(QStringLiteral("no rows in ") + path);
}

QString figures(const Timing &t, const Timing &floor)
{
    return QStringLiteral("%1 s wall %2 s cpu  (%3x / %4x)")
        .arg(t.wall, 6, 'f', 2)
        .arg(t.cpu, 6, 'f', 2)
        .arg(t.wall / floor.wall, 0, 'f', 1)
        .arg(t.cpu / floor.cpu, 0, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        out << "usage: bench_quote PROJECT.xdt PRICES.sql [OLD_CLI] [REPEATS]\n";
        return 2;
    }
    const QString cli = QDir(app.applicationDirPath()).filePath(QStringLiteral("../tarvex-cli"));
    const QString oldCli = args.value(3);
    const int repeats = std::max(1, args.value(4, QStringLiteral("3")).toInt());
    try {
        QTemporaryDir home;
        runCli(cli, {QStringLiteral("--home"), home.path(), QStringLiteral("init"), QStringLiteral("--seed"), args[2]});
        runCli(cli, {QStringLiteral("--home"), home.path(), QStringLiteral("load"), args[1]});
        const QString dbPath = home.filePath(Database::fileName());

        const Timing floor = timeInProcess(repeats, [&] { groupedPasses(dbPath); });
        out << "three grouped passes (floor): " << figures(floor, floor) << "\n\n";
        out.flush();

        QSqlDatabase db = Database::open(dbPath, QStringLiteral("bench"));
        const char *const names[] = {"whole", "series", "window"};
        for (int s = 0; s < 3; ++s) {
            QuoteOptions options;
            options.scope = QuoteOptions::Scope(s);
            const QString json = home.filePath(QStringLiteral("quote.json"));
            QStringList quote
                = {QStringLiteral("--home"), home.path(), QStringLiteral("quote"), QStringLiteral("--scope"),
                    QString::fromLatin1(names[s]), QStringLiteral("--yes"), QStringLiteral("--json"), json};
            QuoteGroups groups;
            const Timing read = timeInProcess(repeats, [&] { groups = readQuoteGroups(options, db); });
            QuoteResult result;
            const Timing calculate = timeInProcess(repeats, [&] {
                result
                    = calculateQuote(options, groups, QStringLiteral("断桥铝型材/True/25"), NullPrices::Zero, {}, db);
            });
            const Timing write = timeInProcess(repeats, [&] { quoteResultJson(result); });
            out << names[s] << ": " << result.items.size() << " quotations\n";
            out << "  tarvex-cli quote --json   " << figures(timeCli(repeats, cli, quote), floor) << '\n';
            if (!oldCli.isEmpty())
                out << "  old tarvex-cli            " << figures(timeCli(repeats, oldCli, quote), floor) << '\n';
            out << "  in process: groups        " << figures(read, floor) << '\n';
            out << "              calculation   " << figures(calculate, floor) << '\n';
            out << "              JSON          " << figures(write, floor) << '\n';
            out.flush();
        }
        db = QSqlDatabase();
        Database::close(QStringLiteral("bench"));
    } catch (const Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
