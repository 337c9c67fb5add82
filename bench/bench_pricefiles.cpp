// A price table of ROWS accessory records exported and imported back at
// several sizes, each a tarvex-cli process under /usr/bin/time -v (CPU seconds
// and peak resident memory), beside the floors of the same run:
//
//   read floor  every record of the table read by this program through the
//               sqlite3 C API (the least any export does)
//   base        tarvex-cli check on the same folder: the process's start-up
//               and its database, which an import's memory is counted above
//   export      to .csv and to .xlsx
//   import      the .csv merged back (every record unchanged), then its
//               preview alone (--dry-run), then replacing the table
//
//   bench_pricefiles [ROWS ...] [--repeats N] [--old OLD_CLI]      default 125000 250000 500000

#include "benchsupport.h"

#include <QFileInfo>

#include <sqlite3.h>

using namespace bench;

namespace {

int readTable(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM pjName ORDER BY 类别,名称,编号", -1, &stmt, nullptr) != SQLITE_OK)
        return 1;
    long long bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            bytes += sqlite3_column_bytes(stmt, i);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return bytes > 0 ? 0 : 1;
}

// A program folder whose accessory table holds `rows` records.
class PriceHome {
public:
    explicit PriceHome(int rows, const QString &program = cli())
    {
        const QString seed = m_dir.filePath(QStringLiteral("seed.sql"));
        QFile file(seed);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("INSERT INTO pjName SELECT n, '五金' || (n % 9), '配件' || n, 'L' || (n % 7), "
                                  "CASE WHEN n % 3 = 0 THEN '黑色' END, '个', 1 + (n % 500) / 10.0, 1, "
                                  "'供应商' || (n % 40) FROM (WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL "
                                  "SELECT n + 1 FROM c WHERE n < %1) SELECT n FROM c);\n")
                       .arg(rows)
                       .toUtf8());
        file.close();
        run({program, QStringLiteral("--home"), path(), QStringLiteral("init"), QStringLiteral("--seed"), seed});
    }

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QStringList command(const QStringList &args, const QString &program = cli()) const
    {
        return QStringList {program, QStringLiteral("--home"), path()} + args;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--floor")
        return readTable(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const Arguments args = arguments({125000, 250000, 500000});
    const QString prices = QStringLiteral("prices");
    try {
        for (int rows : args.sizes) {
            const PriceHome home(rows);
            const std::unique_ptr<PriceHome> oldHome
                = args.oldCli.isEmpty() ? nullptr : std::make_unique<PriceHome>(rows, args.oldCli);
            // Each build exports to and imports from its own folder.
            const QString csv = QStringLiteral("{folder}/pj.csv");
            const QString xlsx = QStringLiteral("{folder}/pj.xlsx");
            const Cost floor = measureBest(args.repeats,
                {QCoreApplication::applicationFilePath(), QStringLiteral("--floor"),
                    home.file(QStringLiteral("newdb.sqlite"))});
            const Cost base = measureBest(args.repeats, home.command({QStringLiteral("check")}));
            out << rows << " records\n";
            out << "  read floor                   " << beside(floor, floor) << '\n';
            out << "  base (tarvex-cli check)      " << beside(base, floor) << '\n';
            const auto row = [&](const char *name, const QStringList &words, const QString &program = cli()) {
                const PriceHome &in = program == cli() ? home : *oldHome;
                QStringList placed = words;
                placed.replaceInStrings(QStringLiteral("{folder}"), in.path());
                const Cost c = measureBest(args.repeats, in.command(placed, program));
                out << "  " << QString::fromLatin1(program == cli() ? name : "  old build").leftJustified(29)
                    << beside(c, floor) << '\n';
                out.flush();
                return c;
            };
            const QStringList exportCsv {prices, QStringLiteral("export"), QStringLiteral("pjName"), csv};
            row("export .csv", exportCsv);
            if (!args.oldCli.isEmpty())
                row("", exportCsv, args.oldCli);
            row("export .xlsx", {prices, QStringLiteral("export"), QStringLiteral("pjName"), xlsx});
            const double fileMb = QFileInfo(home.file(QStringLiteral("pj.csv"))).size() / (1024.0 * 1024.0);
            out << QStringLiteral("  the .csv file                %1 MB\n").arg(fileMb, 7, 'f', 1);
            const auto import = [&](const char *name, const QStringList &extra) {
                const QStringList words = QStringList {prices, QStringLiteral("import")} + extra
                    + QStringList {QStringLiteral("pjName"), csv};
                for (const QString &program : {cli(), args.oldCli}) {
                    if (program.isEmpty())
                        continue;
                    const Cost c = row(name, words, program);
                    out << QStringLiteral("      above the base: %1 MB, %2x the file\n")
                               .arg(c.rssMb - base.rssMb, 0, 'f', 0)
                               .arg((c.rssMb - base.rssMb) / fileMb, 0, 'f', 2);
                }
            };
            import("import .csv (merge)", {});
            import("import .csv --dry-run", {QStringLiteral("--dry-run")});
            import("import .csv --replace", {QStringLiteral("--replace")});
            out.flush();
        }
    } catch (const tarvex::Error &e) {
        out << "failed: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
