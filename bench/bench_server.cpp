// A seat of a PostgreSQL server against a file, in the same run: the load of
// a generated project (20 lines a window) and its per-window quotation as
// JSON, each a tarvex-cli process under /usr/bin/time -v. The server is a
// throwaway cluster of its own (tests/support/pgcluster.sh, with fsync and
// synchronous commit on, as a firm's server runs), removed at the end; its
// CPU is what the cluster's processes spent meanwhile, reaped backends
// included (/proc of the postmaster), its peak the backend's resident set
// (shared buffers it touched included).
//
//   bench_server [WINDOWS] [--repeats N]      default 20000 (400,000 lines), 3 runs

#include "benchsupport.h"

#include <QThread>

#include <unistd.h>

using namespace bench;

namespace {

const QString kDatabase = QStringLiteral("bench");

QString clusterScript()
{
    return QStringLiteral(TARVEX_SOURCE_DIR "/tests/support/pgcluster.sh");
}

QStringList statFields(const QString &pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(file.readAll());
    // After the command's closing parenthesis: state, ppid, … (field 3 on).
    return text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
}

// The cluster started in a folder of its own and removed, whatever happens.
class Cluster {
public:
    Cluster()
        : m_dir(QStringLiteral("/tmp/tarvex-bench-pg-%1").arg(QCoreApplication::applicationPid()))
    {
        qputenv("PGCLUSTER_OPTIONS", "-c fsync=on -c synchronous_commit=on -c full_page_writes=on");
        run({QStringLiteral("bash"), clusterScript(), QStringLiteral("start"), m_dir});
        run({QStringLiteral("psql"), QStringLiteral("-qX"), QStringLiteral("-h"), m_dir, QStringLiteral("-U"),
            QStringLiteral("tarvex"), QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"),
            QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'").arg(kDatabase)});
        QFile pidFile(m_dir + QStringLiteral("/data/postmaster.pid"));
        pidFile.open(QIODevice::ReadOnly);
        m_postmaster = QString::fromLatin1(pidFile.readLine()).trimmed();
    }
    ~Cluster() { QProcess::execute(QStringLiteral("bash"), {clusterScript(), QStringLiteral("stop"), m_dir}); }

    QString conninfo() const { return QStringLiteral("host=%1 port=5432 dbname=%2 user=tarvex").arg(m_dir, kDatabase); }

    // The processes serving the benchmark's database (a backend's title
    // names its database).
    QStringList backends() const
    {
        QStringList pids;
        for (const QString &pid : children()) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
            if (cmdline.open(QIODevice::ReadOnly)
                && cmdline.readAll().contains(QByteArray(" " + kDatabase.toLatin1() + " ")))
                pids.append(pid);
        }
        return pids;
    }

    // CPU seconds of the whole cluster so far: the postmaster, its living
    // children and the children it has reaped.
    double cpuSeconds() const
    {
        double ticks = 0;
        QStringList pids = children();
        pids.append(m_postmaster);
        for (const QString &pid : pids) {
            const QStringList f = statFields(pid);
            for (int i = 11; i <= 14 && i < f.size(); ++i) // utime stime cutime cstime
                ticks += f.at(i).toDouble();
        }
        return ticks / double(sysconf(_SC_CLK_TCK));
    }

private:
    QStringList children() const
    {
        QStringList pids;
        for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            const QStringList f = statFields(pid);
            if (f.size() > 1 && f.at(1) == m_postmaster)
                pids.append(pid);
        }
        return pids;
    }

    QString m_dir;
    QString m_postmaster;
};

struct ServerCost {
    Cost client;
    double serverCpu = 0;
    double serverRssMb = 0;
};

double peakRssMb(const QString &pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression hwm(QStringLiteral("VmHWM:\\s+(\\d+) kB"));
    return hwm.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024;
}

// One run of the command, the server's share beside the client's. The
// backend's peak is sampled while the command runs; its CPU is counted
// once the postmaster has reaped it.
ServerCost measureWithServer(const Cluster &cluster, const QStringList &command, const QString &outFile)
{
    ServerCost cost;
    const double before = cluster.cpuSeconds();
    QThread *sampler = QThread::create([&] {
        while (!QThread::currentThread()->isInterruptionRequested()) {
            for (const QString &pid : cluster.backends())
                cost.serverRssMb = std::max(cost.serverRssMb, peakRssMb(pid));
            QThread::msleep(20);
        }
    });
    sampler->start();
    try {
        cost.client = measure(command, outFile);
    } catch (...) {
        sampler->requestInterruption();
        sampler->wait();
        delete sampler;
        throw;
    }
    sampler->requestInterruption();
    sampler->wait();
    delete sampler;
    for (int i = 0; i < 250 && !cluster.backends().isEmpty(); ++i)
        QThread::msleep(20);
    cost.serverCpu = cluster.cpuSeconds() - before;
    return cost;
}

// The median of each figure over the runs.
ServerCost median(QList<ServerCost> runs)
{
    const auto middle = [&](auto field) {
        QList<double> values;
        for (const ServerCost &r : runs)
            values.append(field(r));
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    };
    ServerCost m;
    m.client.wall = middle([](const ServerCost &r) { return r.client.wall; });
    m.client.cpu = middle([](const ServerCost &r) { return r.client.cpu; });
    m.client.rssMb = middle([](const ServerCost &r) { return r.client.rssMb; });
    m.serverCpu = middle([](const ServerCost &r) { return r.serverCpu; });
    m.serverRssMb = middle([](const ServerCost &r) { return r.serverRssMb; });
    return m;
}

QString figures(const ServerCost &c)
{
    return QStringLiteral("wall %1 s  cpu %2 s (client %3 + server %4)  peak %5 MB client, %6 MB backend")
        .arg(c.client.wall, 6, 'f', 2)
        .arg(c.client.cpu + c.serverCpu, 6, 'f', 2)
        .arg(c.client.cpu, 0, 'f', 2)
        .arg(c.serverCpu, 0, 'f', 2)
        .arg(c.client.rssMb, 0, 'f', 0)
        .arg(c.serverRssMb, 0, 'f', 0);
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const Arguments args = arguments({20000});
    const int windows = args.sizes.first();
    const int repeats = QCoreApplication::arguments().contains(QStringLiteral("--repeats")) ? args.repeats : 3;
    try {
        const Cluster cluster;
        QTemporaryDir scratch;
        const QString xdt = scratch.filePath(QStringLiteral("project.xdt"));
        const QString prices = scratch.filePath(QStringLiteral("prices.sql"));
        run({QStringLiteral("python3"), QStringLiteral(TARVEX_SOURCE_DIR "/bench/make_large_project.py"), xdt,
            QString::number(windows), prices});
        // Two program folders: the default file, and a seat of the server.
        QTemporaryDir fileHome;
        QTemporaryDir seatHome;
        QFile ini(seatHome.filePath(QStringLiteral("cs.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral(
            "[sysPath]\r\npath1=\r\npath2=\r\n[db]\r\nengine=postgresql\r\nconninfo=%1\r\nseat=bench\r\n")
                      .arg(cluster.conninfo())
                      .toUtf8());
        ini.close();
        const auto command = [](const QTemporaryDir &home, const QStringList &words) {
            return QStringList {cli(), QStringLiteral("--home"), home.path()} + words;
        };
        run(command(seatHome, {QStringLiteral("server"), QStringLiteral("init")}));
        for (const QTemporaryDir *home : {&fileHome, &seatHome})
            run(command(*home, {QStringLiteral("init"), QStringLiteral("--seed"), prices}));

        out << windows << " windows (" << windows * 20 << " lines), median of " << repeats
            << " runs, load average before: " << loadAverage() << '\n';
        const QStringList load = {QStringLiteral("load"), xdt};
        const QStringList quote = {QStringLiteral("quote"), QStringLiteral("--scope"), QStringLiteral("window"),
            QStringLiteral("--yes"), QStringLiteral("--json"), QStringLiteral("-")};
        const QString fileJson = scratch.filePath(QStringLiteral("file.json"));
        const QString seatJson = scratch.filePath(QStringLiteral("seat.json"));
        // The file and the seat in turn, so that both see the same load of the machine.
        const auto compare
            = [&](const char *name, const QStringList &words, const QString &fileOut, const QString &seatOut) {
                  QList<ServerCost> onFile;
                  QList<ServerCost> onSeat;
                  for (int i = 0; i < repeats; ++i) {
                      onFile.append(ServerCost {measure(command(fileHome, words), fileOut)});
                      onSeat.append(measureWithServer(cluster, command(seatHome, words), seatOut));
                  }
                  const ServerCost f = median(onFile);
                  const ServerCost s = median(onSeat);
                  out << name << '\n'
                      << "  file    " << figures(f) << '\n'
                      << "  server  " << figures(s) << '\n'
                      << QStringLiteral("  server / file: wall %1x, cpu %2x\n")
                             .arg(s.client.wall / std::max(f.client.wall, 0.001), 0, 'f', 2)
                             .arg((s.client.cpu + s.serverCpu) / std::max(f.client.cpu, 0.001), 0, 'f', 2);
                  out.flush();
              };
        compare("load", load, QStringLiteral("/dev/null"), QStringLiteral("/dev/null"));
        compare("quote --scope window --json -", quote, fileJson, seatJson);
        const QByteArray fileBytes = [&] {
            QFile f(fileJson);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QFile s(seatJson);
        s.open(QIODevice::ReadOnly);
        out << "  the same JSON on both: " << (fileBytes == s.readAll() && !fileBytes.isEmpty() ? "yes" : "NO") << " ("
            << fileBytes.size() << " bytes)\n"
            << "load average after: " << loadAverage() << '\n';
    } catch (const tarvex::Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
