// Files at the edges of what the program takes: how long each takes and how
// much memory the process reaches (its peak resident size), one case a run
// so that the peaks do not mix.
//
//   bench_edges settings [MB]       a cs.ini of MB megabytes (default 50): the quotation's options
//   bench_edges wide [ROWS]         an xlsx price list whose every row has a cell in column XFD
//   bench_edges breaks [MB]         a csv price list of MB megabytes of line breaks
//   bench_edges windows [COPIES]    an xdt file of COPIES copies of one window with its material

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"
#include "core/quote/quotesettings.h"
#include "core/rawdata/workingtables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <sys/resource.h>
#include <xlsxwriter.h>

using namespace tarvex;

namespace {

void report(const char *what, const std::function<QString()> &work)
{
    QElapsedTimer timer;
    timer.start();
    const QString outcome = work();
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-40s %8.3f s  peak %7.1f MB  %s\n", what, seconds, usage.ru_maxrss / 1024.0, qPrintable(outcome));
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QString fileSize(const QString &path)
{
    return QStringLiteral("%1 KB").arg(QFile(path).size() / 1024);
}

void settings(const QTemporaryDir &dir, int megabytes)
{
    const QString path = dir.filePath(QStringLiteral("cs.ini"));
    QByteArray bytes = "[cs1]\r\ntx1=1.05\r\n";
    const QByteArray filler = "; a comment the program keeps but does not read\r\n";
    while (bytes.size() < qsizetype(megabytes) << 20)
        bytes += filler;
    bytes += "[cs1]\r\nch4=1\r\n";
    writeBytes(path, bytes);
    report("quotation options (one read)", [&] { return readQuoteSettings(path).text[0]; });
    report("the same, one read per key", [&] {
        QString last;
        for (const QString &key : quoteSettingKeys())
            last = ReadIni(path, QStringLiteral("cs1"), key);
        return last;
    });
}

void wide(const QTemporaryDir &dir, int rows)
{
    const QString path = dir.filePath(QStringLiteral("wide.xlsx"));
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    const char *headings[] = {"名称", "单价", "折扣量"};
    for (int c = 0; c < 3; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), headings[c], nullptr);
    for (int r = 1; r <= rows; ++r) {
        worksheet_write_string(sheet, lxw_row_t(r), 0, QStringLiteral("玻璃%1").arg(r).toUtf8().constData(), nullptr);
        worksheet_write_number(sheet, lxw_row_t(r), 1, 10, nullptr);
        worksheet_write_number(sheet, lxw_row_t(r), 2, 1, nullptr);
        worksheet_write_string(sheet, lxw_row_t(r), 16383, "x", nullptr);
    }
    workbook_close(book);
    const PriceTable &table = *findPriceTable(QStringLiteral("blName"));
    report(qPrintable(QStringLiteral("xlsx, cell in XFD, %1").arg(fileSize(path))),
        [&] { return previewPriceImport(table, readPriceListFile(path, table), ImportMode::Merge).counts(); });
}

void breaks(const QTemporaryDir &dir, int megabytes)
{
    const QString path = dir.filePath(QStringLiteral("breaks.csv"));
    writeBytes(path, "名称,单价,折扣量\n" + QByteArray(qsizetype(megabytes) << 20, '\n') + "新玻璃,10,1\n");
    const PriceTable &table = *findPriceTable(QStringLiteral("blName"));
    report(qPrintable(QStringLiteral("csv of line breaks, %1").arg(fileSize(path))),
        [&] { return previewPriceImport(table, readPriceListFile(path, table), ImportMode::Merge).counts(); });
}

void windows(const QTemporaryDir &dir, int copies)
{
    const QString path = dir.filePath(QStringLiteral("copies.xdt"));
    QByteArray bytes;
    for (int i = 0; i < copies; ++i)
        bytes += "4|1|S60|C1|1.8|2.1\r\n1|1|KF601|1250\r\n1|1|KF602|900\r\n";
    writeBytes(path, bytes);
    report(qPrintable(QStringLiteral("xdt, %1 copies of one window").arg(copies)), [&] {
        try {
            loadRawDataFile(path);
            return QStringLiteral("loaded");
        } catch (const Error &e) {
            return e.message();
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString which = args.value(1);
    const int amount = args.value(2).toInt();
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    Database::open(dir.filePath(Database::fileName()));
    if (which == QLatin1String("settings"))
        settings(dir, amount > 0 ? amount : 50);
    else if (which == QLatin1String("wide"))
        wide(dir, amount > 0 ? amount : 20000);
    else if (which == QLatin1String("breaks"))
        breaks(dir, amount > 0 ? amount : 50);
    else if (which == QLatin1String("windows"))
        windows(dir, amount > 0 ? amount : 2000);
    else
        std::fprintf(stderr, "usage: bench_edges settings|wide|breaks|windows [AMOUNT]\n");
    Database::closeShared();
    return 0;
}
