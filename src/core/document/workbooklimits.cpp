#include "core/document/workbooklimits.h"

#include <QDir>

#include <algorithm>
#include <utility>

#include <cstdio>
#include <cstdlib>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <xlsxwriter.h>

namespace tarvex {

namespace {

// Files the process needs besides the sheets': the workbook being packed,
// the part being written into it, the databases, the standard streams.
constexpr int kOtherFiles = 64;

// glibc's defaults.
constexpr int kTopPad = 128 * 1024;
constexpr int kMmapThreshold = 128 * 1024;

qsizetype openFiles()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size();
}

} // namespace

int maxStreamedSheets()
{
    rlimit files {};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0)
        return kMaxWorkbookSheets;
    if (files.rlim_cur < files.rlim_max) {
        const rlimit raised {files.rlim_max, files.rlim_max};
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            files = raised;
    }
    if (files.rlim_cur == RLIM_INFINITY)
        return kMaxWorkbookSheets;
    const long long room = (long long)files.rlim_cur - openFiles() - kOtherFiles;
    return int(std::clamp<long long>(room, 1, kMaxWorkbookSheets));
}

QString sheetLimitReason(int sheets)
{
    if (sheets >= kMaxWorkbookSheets)
        return QStringLiteral("电子表格程序最多打开%1个工作表的工作簿").arg(kMaxWorkbookSheets);
    return QStringLiteral("系统只允许本程序再同时打开%1个文件, 写工作簿时每个工作表占用一个").arg(sheets);
}

StreamedSheetMemory::StreamedSheetMemory()
{
    // A fixed threshold: glibc would otherwise raise it after freeing a
    // larger block and take the rows from the heap again.
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    mallopt(M_TOP_PAD, 0);
    malloc_trim(0);
}

StreamedSheetMemory::~StreamedSheetMemory()
{
    mallopt(M_TOP_PAD, kTopPad);
}

FreshSheetRows::FreshSheetRows()
{
    // Blocks just under the mapping threshold come from the heap: from its
    // free memory while any is left that could hold a row, then from newly
    // grown heap, where the holding stops.
    constexpr size_t kHeld = kMmapThreshold - 64;
    malloc_trim(0);
    const size_t free = mallinfo2().fordblks;
    for (size_t n = free / kHeld + 1; n > 0; --n) {
        const void *end = sbrk(0);
        void *block = std::malloc(kHeld);
        if (!block)
            break;
        if (sbrk(0) != end) {
            std::free(block);
            break;
        }
        m_held.push_back(block);
    }
}

FreshSheetRows::~FreshSheetRows()
{
    for (void *block : m_held)
        std::free(block);
}

void closeSheetFilesNewestFirst(const QVector<lxw_worksheet *> &sheets)
{
    // Only the library's own temporary file of each sheet, still empty.
    for (const lxw_worksheet *sheet : sheets) {
        if (!sheet->optimize || !sheet->file || sheet->file != sheet->optimize_tmpfile || std::ftell(sheet->file) != 0)
            return;
    }
    for (qsizetype i = 0, j = sheets.size() - 1; i < j; ++i, --j) {
        std::swap(sheets[i]->file, sheets[j]->file);
        std::swap(sheets[i]->optimize_tmpfile, sheets[j]->optimize_tmpfile);
    }
}

} // namespace tarvex
