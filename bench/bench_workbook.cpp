// The per-window quotation workbook at several sizes against its floor, the
// same run listed as text (the calculation and an output that grows with
// the windows), each as a tarvex-cli process under /usr/bin/time -v. A run of
// more windows than one workbook holds is written split (--split). With
// --old, another build of tarvex-cli writes the same workbooks beside.
//
//   bench_workbook [WINDOWS ...] [--old OLD_CLI]      default 10000 20000 40000

#include "benchsupport.h"

using namespace bench;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const Arguments args = arguments({10000, 20000, 40000});
    const QStringList quote
        = {QStringLiteral("quote"), QStringLiteral("--scope"), QStringLiteral("window"), QStringLiteral("--yes")};
    try {
        double firstCpu = 0;
        double firstSystem = 0;
        for (int windows : args.sizes) {
            const ProjectHome home(windows);
            const QString book = home.file(QStringLiteral("q.xlsx"));
            const Cost floor = measure(home.command(quote));
            const Cost written = measure(
                home.command(quote + QStringList {QStringLiteral("--split"), QStringLiteral("--xlsx"), book}));
            if (firstCpu == 0) {
                firstCpu = written.cpu;
                firstSystem = written.system;
            }
            out << windows << " windows\n";
            out << "  text listing (floor)  " << beside(floor, floor) << '\n';
            out << "  workbook              " << beside(written, floor)
                << QStringLiteral("  %1x the first size; system %2 s, user %3x the first size's; wall %4 s\n")
                       .arg(written.cpu / firstCpu, 0, 'f', 2)
                       .arg(written.system, 0, 'f', 2)
                       .arg((written.cpu - written.system) / (firstCpu - firstSystem), 0, 'f', 2)
                       .arg(written.wall, 0, 'f', 1);
            if (!args.oldCli.isEmpty()) {
                const Cost old
                    = measure(home.command(quote + QStringList {QStringLiteral("--xlsx"), book}, args.oldCli));
                out << "  workbook, old build   " << beside(old, floor) << '\n';
            }
            out.flush();
        }
    } catch (const tarvex::Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
