#pragma once

// What the process benchmarks share: a program run under /usr/bin/time -v
// (CPU seconds and peak resident memory, as the figures in README.md give
// them), projects of a given size loaded into a program folder of their own,
// and the printing of a figure beside its floor.

#include "core/common/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

#include <sqlite3.h>

namespace bench {

struct Cost {
    double cpu = 0; // user + system seconds
    double system = 0; // of which in the kernel (files made, pages mapped)
    double wall = 0;
    double rssMb = 0; // peak resident set
};

inline double timeField(const QString &report, const QString &name)
{
    const QRegularExpression field(QRegularExpression::escape(name) + QStringLiteral(": ([0-9.:]+)"));
    const QString value = field.match(report).captured(1);
    double seconds = 0;
    for (const QString &part : value.split(QLatin1Char(':')))
        seconds = seconds * 60 + part.toDouble();
    return seconds;
}

// Runs the command (program first) under /usr/bin/time -v, its standard
// output to outFile (or discarded); throws when it fails.
inline Cost measure(const QStringList &command, const QString &outFile = QStringLiteral("/dev/null"))
{
    QTemporaryDir scratch;
    const QString report = scratch.filePath(QStringLiteral("time.txt"));
    QProcess process;
    process.setStandardOutputFile(outFile);
    process.start(
        QStringLiteral("/usr/bin/time"), QStringList {QStringLiteral("-v"), QStringLiteral("-o"), report} + command);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw tarvex::Error(command.join(QLatin1Char(' ')) + QStringLiteral(" failed: ")
            + QString::fromLocal8Bit(process.readAllStandardError()));
    }
    QFile file(report);
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    Cost cost;
    cost.system = timeField(text, QStringLiteral("System time (seconds)"));
    cost.cpu = timeField(text, QStringLiteral("User time (seconds)")) + cost.system;
    cost.wall = timeField(text, QStringLiteral("Elapsed (wall clock) time (h:mm:ss or m:ss)"));
    cost.rssMb = timeField(text, QStringLiteral("Maximum resident set size (kbytes)")) / 1024;
    return cost;
}

// The best CPU and the highest peak of several runs.
inline Cost measureBest(int repeats, const QStringList &command, const QString &outFile = QStringLiteral("/dev/null"))
{
    Cost best;
    for (int i = 0; i < repeats; ++i) {
        const Cost c = measure(command, outFile);
        if (i == 0 || c.cpu < best.cpu) {
            best.cpu = c.cpu;
            best.system = c.system;
        }
        best.wall = i == 0 ? c.wall : std::min(best.wall, c.wall);
        best.rssMb = std::max(best.rssMb, c.rssMb);
    }
    return best;
}

// tarvex-cli of this build.
inline QString cli()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tarvex-cli"));
}

inline void run(const QStringList &command)
{
    measure(command);
}

// A program folder holding a generated project of `windows` windows, every
// material priced (bench/make_large_project.py), made by `program` (a build
// of tarvex-cli opens only the database versions it knows).
class ProjectHome {
public:
    explicit ProjectHome(int windows, const QString &program = cli())
    {
        const QString xdt = m_dir.filePath(QStringLiteral("project.xdt"));
        const QString prices = m_dir.filePath(QStringLiteral("prices.sql"));
        run({QStringLiteral("python3"), QStringLiteral(TARVEX_SOURCE_DIR "/bench/make_large_project.py"), xdt,
            QString::number(windows), prices});
        run({program, QStringLiteral("--home"), path(), QStringLiteral("init"), QStringLiteral("--seed"), prices});
        run({program, QStringLiteral("--home"), path(), QStringLiteral("load"), xdt});
    }

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString database() const { return file(QStringLiteral("newdb.sqlite")); }
    // tarvex-cli (or another build of it) on this folder.
    QStringList command(const QStringList &args, const QString &program = cli()) const
    {
        return QStringList {program, QStringLiteral("--home"), path()} + args;
    }

private:
    QTemporaryDir m_dir;
};

// The floor of a quotation: every row of the three per-window groupings
// (profiles, accessories and glass, each through its priced view), each
// field read through the sqlite3 C API. False when it read nothing.
inline bool readGroupedPasses(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return false;
    const char *const passes[] = {
        "SELECT 窗号,隔热,材料类别,SUM(长度*线重) FROM PriceLc GROUP BY 窗号,隔热,材料类别",
        "SELECT 窗号,名称,规格,SUM(数量),MIN(单位),MIN(单价*折扣量),MIN(技术要求) FROM PricePj GROUP BY 窗号,名称,规格",
        "SELECT 窗号,名称,SUM(面积),MIN(单价*折扣量) FROM PriceBl GROUP BY 窗号,名称",
    };
    long long fields = 0;
    for (const char *sql : passes) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                fields += sqlite3_column_type(stmt, i) == SQLITE_TEXT ? sqlite3_column_bytes(stmt, i) > 0
                                                                      : sqlite3_column_double(stmt, i) != 0;
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return fields > 0;
}

// "12.34 s  567 MB  (1.2x / 3.4x)": a figure and its ratios to the floor.
inline QString beside(const Cost &c, const Cost &floor)
{
    return QStringLiteral("%1 s cpu %2 MB  (%3x cpu, %4x memory of the floor)")
        .arg(c.cpu, 7, 'f', 2)
        .arg(c.rssMb, 6, 'f', 0)
        .arg(c.cpu / std::max(floor.cpu, 0.001), 0, 'f', 2)
        .arg(c.rssMb / std::max(floor.rssMb, 0.001), 0, 'f', 2);
}

// The sizes named on the command line after the program, or the defaults;
// "--old PROGRAM" names another build of tarvex-cli to run beside.
struct Arguments {
    QList<int> sizes;
    QString oldCli;
    int repeats = 1;
};

inline Arguments arguments(const QList<int> &defaults)
{
    Arguments a;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--old"))
            a.oldCli = args.value(++i);
        else if (args[i] == QLatin1String("--repeats"))
            a.repeats = std::max(1, args.value(++i).toInt());
        else
            a.sizes.append(args[i].toInt());
    }
    if (a.sizes.isEmpty())
        a.sizes = defaults;
    return a;
}

} // namespace bench
