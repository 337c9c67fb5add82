// Times the xdt load and save against two yardsticks: the naive
// one-statement-per-line autocommit insert (on a slice, scaled up) and a
// bare prepared insert of the same rows through the sqlite3 C API.
//
//     bench_rawdata FILE.xdt [REPEATS] [NAIVE_LINES]
#include "core/common/db/database.h"
#include "core/common/db/schema.h"
#include "core/common/db/sqlquote.h"
#include "core/common/error.h"
#include "core/common/io/textcodec.h"
#include "core/rawdata/workingtables.h"
#include "core/rawdata/xdtreader.h"
#include "core/rawdata/xdtwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace tarvex;

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

struct Timing {
    double wall = 0; // seconds on the clock
    double cpu = 0; // seconds of this process's CPU: on a machine shared with
                    // other work, closer to what an idle machine would show
};

double cpuNow()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

Timing measure(const std::function<void()> &fn)
{
    QElapsedTimer timer;
    const double cpu = cpuNow();
    timer.start();
    fn();
    return {timer.nsecsElapsed() / 1e9, cpuNow() - cpu};
}

double seconds(const std::function<void()> &fn)
{
    return measure(fn).wall;
}

// The median of several runs (by wall time): one slow run does not decide.
Timing timed(int repeats, const std::function<void()> &fn)
{
    std::vector<Timing> runs;
    for (int i = 0; i < repeats; ++i)
        runs.push_back(measure(fn));
    std::sort(runs.begin(), runs.end(), [](const Timing &a, const Timing &b) { return a.wall < b.wall; });
    return runs[runs.size() / 2];
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read ") + path);
    return f.readAll();
}

// The first lines of the file, statement by statement in autocommit mode,
// the values pasted into the SQL text: how a load without a transaction and
// without prepared statements fares.
double naiveInsert(const QStringList &lines, QSqlDatabase db)
{
    for (const char *table : {"LcTemp", "BlTemp", "PjTemp", "MjTemp"})
        sqlExec(QStringLiteral("DELETE FROM ") + QLatin1String(table), {}, db);
    return seconds([&] {
        for (const QString &line : lines) {
            const QStringList f = line.split(QLatin1Char('|'));
            QString sql;
            switch (f[0].toInt()) {
            case 1:
                sql = QStringLiteral("INSERT INTO LcTemp (ID,代号,长度) VALUES(") + f[1] + QStringLiteral(",")
                    + SqlQuote(f[2]) + QStringLiteral(",") + f[3] + QStringLiteral(")");
                break;
            case 2:
                sql = QStringLiteral("INSERT INTO BlTemp (ID,名称,面积) VALUES(") + f[1] + QStringLiteral(",")
                    + SqlQuote(f[2]) + QStringLiteral(",") + f[3] + QStringLiteral(")");
                break;
            case 3:
                sql = QStringLiteral("INSERT INTO PjTemp (ID,名称,规格,技术要求,数量) VALUES(") + f[1]
                    + QStringLiteral(",") + SqlQuote(f[2]) + QStringLiteral(",") + SqlQuote(f[3]) + QStringLiteral(",")
                    + SqlQuote(f[4]) + QStringLiteral(",") + f[5] + QStringLiteral(")");
                break;
            case 4:
                sql = QStringLiteral("INSERT INTO MjTemp (ID,门窗系列,窗号,框面积,洞口面积) VALUES(") + f[1]
                    + QStringLiteral(",") + SqlQuote(f[2]) + QStringLiteral(",") + SqlQuote(f[3]) + QStringLiteral(",")
                    + f[4] + QStringLiteral(",") + f[5] + QStringLiteral(")");
                break;
            default:
                continue;
            }
            sqlExec(sql, {}, db);
        }
    });
}

// --- the bare sqlite3 yardstick -------------------------------------------

void check(sqlite3 *db, int rc, int expected = SQLITE_OK)
{
    if (rc != expected)
        throw Error(QStringLiteral("sqlite3: ") + QString::fromUtf8(sqlite3_errmsg(db)));
}

struct Statement {
    sqlite3 *db;
    sqlite3_stmt *stmt = nullptr;
    Statement(sqlite3 *d, const char *sql)
        : db(d)
    {
        check(db, sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr));
    }
    ~Statement() { sqlite3_finalize(stmt); }
    void text(int i, const std::string &s) { sqlite3_bind_text(stmt, i, s.data(), int(s.size()), SQLITE_STATIC); }
    void number(int i, double v) { sqlite3_bind_double(stmt, i, v); }
    void step()
    {
        check(db, sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_reset(stmt);
    }
};

// The records with their texts already in UTF-8, so that the timed part is
// nothing but binding and stepping.
struct Utf8Rows {
    struct Row {
        double a = 0, b = 0, c = 0;
        std::string s1, s2, s3;
    };
    std::vector<Row> lc, bl, pj, mj;

    explicit Utf8Rows(const RawData &d)
    {
        for (const auto &r : d.profiles)
            lc.push_back({r.id, r.length, 0, r.code.toStdString(), {}, {}});
        for (const auto &r : d.glass)
            bl.push_back({r.id, r.area, 0, r.name.toStdString(), {}, {}});
        for (const auto &r : d.accessories)
            pj.push_back(
                {r.id, r.quantity, 0, r.name.toStdString(), r.spec.toStdString(), r.requirement.toStdString()});
        for (const auto &r : d.windows)
            mj.push_back({r.id, r.frameArea, r.openingArea, r.series.toStdString(), r.window.toStdString(), {}});
    }
};

void bareInsert(sqlite3 *db, const Utf8Rows &rows)
{
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
    for (const char *sql : {"DELETE FROM LcTemp", "DELETE FROM BlTemp", "DELETE FROM PjTemp", "DELETE FROM MjTemp"})
        check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
    {
        Statement lc(db, "INSERT INTO LcTemp (ID,代号,长度) VALUES(?,?,?)");
        for (const auto &r : rows.lc) {
            lc.number(1, r.a);
            lc.text(2, r.s1);
            lc.number(3, r.b);
            lc.step();
        }
        Statement bl(db, "INSERT INTO BlTemp (ID,名称,面积) VALUES(?,?,?)");
        for (const auto &r : rows.bl) {
            bl.number(1, r.a);
            bl.text(2, r.s1);
            bl.number(3, r.b);
            bl.step();
        }
        Statement pj(db, "INSERT INTO PjTemp (ID,名称,规格,技术要求,数量) VALUES(?,?,?,?,?)");
        for (const auto &r : rows.pj) {
            pj.number(1, r.a);
            pj.text(2, r.s1);
            pj.text(3, r.s2);
            pj.text(4, r.s3);
            pj.number(5, r.b);
            pj.step();
        }
        Statement mj(db, "INSERT INTO MjTemp (ID,门窗系列,窗号,框面积,洞口面积) VALUES(?,?,?,?,?)");
        for (const auto &r : rows.mj) {
            mj.number(1, r.a);
            mj.text(2, r.s1);
            mj.text(3, r.s2);
            mj.number(4, r.b);
            mj.number(5, r.c);
            mj.step();
        }
    }
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
}

int run(const QString &path, int repeats, int naiveLines)
{
    QTemporaryDir dir;
    const QByteArray bytes = readAll(path);
    const QStringList lines = decodeUtf8OrGbk(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    out() << "file: " << path << ", " << lines.size() << " lines, " << bytes.size() << " bytes, " << repeats
          << " runs each (median)\n";

    QSqlDatabase db = Database::open(dir.filePath(QStringLiteral("newdb.sqlite")));

    const Timing parse = timed(repeats, [&] { parseRawDataBytes(bytes); });
    const Timing load = timed(repeats, [&] { loadRawDataFile(path, db); });
    const QString saved = dir.filePath(QStringLiteral("saved.xdt"));
    const Timing save = timed(repeats, [&] { writeRawDataFile(saved, db); });
    const bool same = readAll(saved) == bytes;

    const RawData data = parseRawDataBytes(bytes);
    const Utf8Rows rows(data);
    const QString barePath = dir.filePath(QStringLiteral("bare.sqlite"));
    Database::open(barePath, QStringLiteral("bare")); // the same tables and indexes
    Database::close(QStringLiteral("bare"));
    sqlite3 *bare = nullptr;
    check(bare, sqlite3_open(barePath.toUtf8().constData(), &bare));
    const Timing bareTime = timed(repeats, [&] { bareInsert(bare, rows); });
    sqlite3_close(bare);

    const int slice = std::min<int>(naiveLines, int(lines.size()));
    const double naiveSlice = slice > 0 ? naiveInsert(lines.mid(0, slice), db) : 0;
    const double naive = slice > 0 ? naiveSlice * double(lines.size()) / slice : 0;

    auto line = [](const char *what, const Timing &t, const QString &note) {
        out() << QString::asprintf("%-26s %7.3f s wall %7.3f s cpu   ", what, t.wall, t.cpu) << note << "\n";
    };
    line("parse + decode", parse, QString());
    line("load (ours, all of it)", load, QStringLiteral("target < 2 s"));
    line("save (ours)", save,
        QStringLiteral("target < 1 s; same bytes as the file: ") + QLatin1String(same ? "yes" : "NO"));
    line("bare sqlite3 insert", bareTime,
        QString::asprintf(
            "load / bare = %.2fx wall, %.2fx cpu; target <= 4x", load.wall / bareTime.wall, load.cpu / bareTime.cpu));
    if (slice > 0)
        out() << QString::asprintf("naive autocommit insert    %7.1f s wall (%d lines took %.2f s, scaled)   "
                                   "naive / load = %.0fx\n",
            naive, slice, naiveSlice, naive / load.wall);
    out().flush();
    db = QSqlDatabase();
    Database::closeShared();
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: bench_rawdata FILE.xdt [REPEATS] [NAIVE_LINES]\n";
        return 2;
    }
    try {
        return run(args[1], args.size() > 2 ? args[2].toInt() : 3, args.size() > 3 ? args[3].toInt() : 20000);
    } catch (const Error &e) {
        QTextStream(stderr) << e.message() << "\n";
        return 1;
    }
}
