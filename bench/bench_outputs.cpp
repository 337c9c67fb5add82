// The per-window quotation and the cutting plan at several sizes, each a
// tarvex-cli process under /usr/bin/time -v (CPU seconds and peak resident
// memory), beside their floors measured in the same run:
//
//   floor       the three grouped passes any quotation reads (profiles,
//               accessories, glass by window through the priced views), read
//               by this program through the sqlite3 C API
//   quote       --scope window --json to a file and to standard output, and
//               the same with standard error a terminal (the progress line)
//   cut         the cutting plan's summary, then with --json to a file
//
//   bench_outputs [WINDOWS ...] [--repeats N] [--old OLD_CLI]      default 20000 50000 100000

#include "benchsupport.h"

using namespace bench;

namespace {

// The command run with standard error a terminal (script(1) gives it one).
QStringList onTerminal(const QStringList &command)
{
    QStringList quoted;
    for (const QString &word : command)
        quoted.append(QLatin1Char('\'') + word + QLatin1Char('\''));
    return {
        QStringLiteral("script"), QStringLiteral("-qec"), quoted.join(QLatin1Char(' ')), QStringLiteral("/dev/null")};
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--floor")
        return readGroupedPasses(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const Arguments args = arguments({20000, 50000, 100000});
    const QStringList quote
        = {QStringLiteral("quote"), QStringLiteral("--scope"), QStringLiteral("window"), QStringLiteral("--yes")};
    try {
        for (int windows : args.sizes) {
            const ProjectHome home(windows);
            const std::unique_ptr<ProjectHome> oldHome
                = args.oldCli.isEmpty() ? nullptr : std::make_unique<ProjectHome>(windows, args.oldCli);
            const QString json = home.file(QStringLiteral("out.json"));
            const Cost floor = measureBest(
                args.repeats, {QCoreApplication::applicationFilePath(), QStringLiteral("--floor"), home.database()});
            out << windows << " windows\n";
            out << "  three grouped passes (floor)  " << beside(floor, floor) << '\n';
            // The command, and the same run of the old build when one is given.
            const auto row = [&](const char *name, const QStringList &words, bool terminal = false) {
                Cost c;
                for (const QString &program : {cli(), args.oldCli}) {
                    if (program.isEmpty())
                        continue;
                    const QStringList command = (program == cli() ? home : *oldHome).command(words, program);
                    const Cost run = measureBest(args.repeats, terminal ? onTerminal(command) : command);
                    out << "  " << QString::fromLatin1(program == cli() ? name : "  old build").leftJustified(30)
                        << beside(run, floor) << '\n';
                    out.flush();
                    if (program == cli())
                        c = run;
                }
                return c;
            };
            row("quote --json FILE", quote + QStringList {QStringLiteral("--json"), json});
            row("quote --json - (to /dev/null)", quote + QStringList {QStringLiteral("--json"), QStringLiteral("-")});
            row("the same to a file, progress", quote + QStringList {QStringLiteral("--json"), json}, true);
            const Cost plan = row("cut (summary)", {QStringLiteral("cut")});
            const Cost planJson = row("cut --json FILE", {QStringLiteral("cut"), QStringLiteral("--json"), json});
            out << QStringLiteral("  cut --json memory: %1x the summary's\n")
                       .arg(planJson.rssMb / plan.rssMb, 0, 'f', 2);
            out.flush();
        }
    } catch (const tarvex::Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
