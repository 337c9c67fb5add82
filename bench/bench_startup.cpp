// Start-up of tarvex-cli's commands that draw nothing, each a process under
// /usr/bin/time -v (the mean CPU and wall time of --repeats runs,
// default 20, and the peak resident memory under /usr/bin/time -v), beside two floors of the same run: this
// program starting a plain QCoreApplication and exiting, and starting the
// offscreen drawing platform (QGuiApplication) as every command did before.
//
//   bench_startup [--repeats N] [--old OLD_CLI]

#include "benchsupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>

#include <sys/resource.h>

using namespace bench;

namespace {

// A picture of about 6 KB, as a library drawing is.
void writePicture(const QString &path)
{
    QImage image(48, 48, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, x * 5 + (random.bounded(24) << 16));
    image.save(path, "PNG");
}

double childrenCpu()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Mean CPU and wall time of `repeats` runs (microseconds of the kernel's
// account, finer than /usr/bin/time's hundredths), the peak memory of one
// run under /usr/bin/time.
Cost startup(int repeats, const QStringList &command)
{
    Cost c = measure(command);
    const double cpu = childrenCpu();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < repeats; ++i) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(command.first(), command.mid(1));
        p.waitForFinished(-1);
    }
    c.wall = wall.nsecsElapsed() / 1e9 / repeats;
    c.cpu = (childrenCpu() - cpu) / repeats;
    return c;
}

QString shown(const Cost &c, const Cost &floor)
{
    return QStringLiteral("%1 ms cpu %2 ms wall %3 MB  (%4x cpu, %5x memory of the floor)")
        .arg(c.cpu * 1000, 5, 'f', 1)
        .arg(c.wall * 1000, 5, 'f', 1)
        .arg(c.rssMb, 4, 'f', 0)
        .arg(c.cpu / std::max(floor.cpu, 1e-6), 0, 'f', 2)
        .arg(c.rssMb / std::max(floor.rssMb, 0.001), 0, 'f', 2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && QByteArray(argv[1]) == "--floor-core") {
        QCoreApplication app(argc, argv);
        return 0;
    }
    if (argc == 2 && QByteArray(argv[1]) == "--floor-gui") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return 0;
    }
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const Arguments args = arguments({});
    const int repeats = args.repeats > 1 ? args.repeats : 20;
    try {
        QTemporaryDir home;
        QTemporaryDir oldHome;
        const QString picture = home.filePath(QStringLiteral("door.png"));
        writePicture(picture);
        auto cli = [&](const QStringList &words, const QString &program = bench::cli()) {
            // Each build in a program folder of its own.
            const QString folder = program == bench::cli() ? home.path() : oldHome.path();
            return QStringList {program, QStringLiteral("--home"), folder} + words;
        };
        run(cli({QStringLiteral("init")}));
        if (!args.oldCli.isEmpty())
            run(cli({QStringLiteral("init")}, args.oldCli));
        const Cost floor = startup(repeats, {QCoreApplication::applicationFilePath(), QStringLiteral("--floor-core")});
        const Cost gui = startup(repeats, {QCoreApplication::applicationFilePath(), QStringLiteral("--floor-gui")});
        out << "QCoreApplication alone (floor)   " << shown(floor, floor) << '\n';
        out << "offscreen QGuiApplication alone  " << shown(gui, floor) << '\n';
        const QList<std::pair<const char *, QStringList>> commands = {
            {"tarvex-cli --version", {QStringLiteral("--version")}},
            {"tarvex-cli check", {QStringLiteral("check")}},
            {"tarvex-cli library list", {QStringLiteral("library"), QStringLiteral("list")}},
            {"tarvex-cli library import",
                {QStringLiteral("library"), QStringLiteral("import"), QStringLiteral("--series"), QStringLiteral("S"),
                    QStringLiteral("--name"), QStringLiteral("N"), picture}},
        };
        for (const auto &[name, words] : commands) {
            const Cost c = startup(repeats, cli(words));
            out << QString::fromLatin1(name).leftJustified(33) << shown(c, floor) << '\n';
            if (!args.oldCli.isEmpty())
                out << QStringLiteral("  old build").leftJustified(33)
                    << shown(startup(repeats, cli(words, args.oldCli)), floor) << '\n';
            out.flush();
        }
        out << QStringLiteral("(picture %1 bytes)\n").arg(QFileInfo(picture).size());
    } catch (const tarvex::Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
