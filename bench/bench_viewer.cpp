// Paging through the priced data viewer's profile page (PriceLc) at several
// sizes: opening the page, then every block of 256 rows read in turn as a
// scroll from top to bottom reads them. The floor is the first block; the
// same page read with OFFSET, as the grid read it before, is timed beside
// (its first and last block only: a scroll through it grows with the square
// of the rows).
//
//   bench_viewer [ROWS ...]      default 250000 500000 1000000

#include "benchsupport.h"
#include "core/common/db/database.h"
#include "core/common/db/sqlgridmodel.h"
#include "core/viewer/viewerpages.h"

#include <ctime>

using namespace bench;
using namespace tarvex;

namespace {

double cpuNow()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// CPU milliseconds of reading the block holding row (its first cell).
double blockMs(const SqlGridModel &model, int row)
{
    const double start = cpuNow();
    model.value(row, 0);
    return (cpuNow() - start) * 1000;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const Arguments args = arguments({250000, 500000, 1000000});
    try {
        for (int rows : args.sizes) {
            // Twelve profile pieces per window.
            const ProjectHome home((rows + 11) / 12);
            QSqlDatabase db = Database::open(home.database(), QStringLiteral("bench"));
            {
                SqlGridModel model;
                double start = cpuNow();
                model.setSource(viewerPageSource(MaterialKind::Profile), db);
                const double openMs = (cpuNow() - start) * 1000;
                const int count = model.recordCount();
                QVector<double> blocks;
                start = cpuNow();
                for (int row = 0; row < count; row += 256)
                    blocks.append(blockMs(model, row));
                const double scrollS = cpuNow() - start;
                SqlGridModel offset;
                offset.setQuery(viewerPageSource(MaterialKind::Profile).sql(), db);
                const double offsetFirst = blockMs(offset, 0);
                const double offsetLast = blockMs(offset, count - 1);
                out << count << " rows, " << blocks.size() << " blocks\n";
                out << QStringLiteral("  open (every key read)      %1 ms\n").arg(openMs, 8, 'f', 1);
                out << QStringLiteral("  first block (floor)        %1 ms\n").arg(blocks.first(), 8, 'f', 2);
                out << QStringLiteral("  middle block               %1 ms  (%2x)\n")
                           .arg(blocks.at(blocks.size() / 2), 8, 'f', 2)
                           .arg(blocks.at(blocks.size() / 2) / blocks.first(), 0, 'f', 2);
                // The last block of 256 rows (a shorter one after it is cheaper).
                const double last = blocks.at(count / 256 - 1);
                out << QStringLiteral("  last full block            %1 ms  (%2x)\n")
                           .arg(last, 8, 'f', 2)
                           .arg(last / blocks.first(), 0, 'f', 2);
                out << QStringLiteral("  whole scroll               %1 s\n").arg(scrollS, 8, 'f', 2);
                out << QStringLiteral("  with OFFSET: first block   %1 ms, last block %2 ms (%3x)\n")
                           .arg(offsetFirst, 0, 'f', 2)
                           .arg(offsetLast, 0, 'f', 2)
                           .arg(offsetLast / offsetFirst, 0, 'f', 1);
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
