#include "core/document/sheetspill.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

// The worksheet fields set here (its stream, its row of cell pointers, its
// column tables) are those of libxlsxwriter 1.1; another version must be
// checked against them before it is used.
static_assert(LXW_VERSION_ID >= 110 && LXW_VERSION_ID < 120, "SheetSpill knows libxlsxwriter 1.1's worksheets only");

namespace tarvex {

// The stream functions of one sheet's stretch of the file.
struct SpillIo {
    static ssize_t write(void *cookie, const char *data, size_t size)
    {
        auto *s = static_cast<SheetSpill::Stretch *>(cookie);
        SheetSpill &spill = *s->spill;
        // Only the sheet being written grows, at the end of the file.
        if (s->start + s->length != spill.m_end) {
            spill.fail(EINVAL);
            return -1;
        }
        if (std::fwrite(data, 1, size, spill.m_file) != size) {
            spill.fail(errno);
            return -1;
        }
        s->length += (long long)size;
        spill.m_end += (long long)size;
        return ssize_t(size);
    }

    static ssize_t read(void *cookie, char *data, size_t size)
    {
        auto *s = static_cast<SheetSpill::Stretch *>(cookie);
        SheetSpill &spill = *s->spill;
        if (std::fflush(spill.m_file) != 0) {
            spill.fail(errno);
            return -1;
        }
        const size_t wanted = size_t(std::min<long long>((long long)size, s->length - s->position));
        if (wanted == 0)
            return 0;
        const ssize_t got = pread(fileno(spill.m_file), data, wanted, off_t(s->start + s->position));
        if (got <= 0) {
            spill.fail(got < 0 ? errno : EIO);
            return -1;
        }
        s->position += got;
        return got;
    }

    static int seek(void *cookie, off64_t *offset, int whence)
    {
        auto *s = static_cast<SheetSpill::Stretch *>(cookie);
        const long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->position : s->length;
        const long long position = base + *offset;
        if (position < 0 || position > s->length)
            return -1;
        s->position = position;
        *offset = position;
        return 0;
    }

    static int close(void *cookie)
    {
        static_cast<SheetSpill::Stretch *>(cookie)->closed = true;
        return 0;
    }
};

SheetSpill::SheetSpill(const QString &path, const QString &target)
    : m_target(target)
    , m_file(std::fopen(QFile::encodeName(path).constData(), "w+b"))
{
    if (!m_file)
        throw Error(cannotWriteText(target, QString::fromLocal8Bit(std::strerror(errno))));
}

SheetSpill::~SheetSpill()
{
    for (Stretch &s : m_stretches) {
        if (!s.closed)
            std::fclose(s.stream);
    }
    std::fclose(m_file);
}

void SheetSpill::fail(int error)
{
    if (!m_error)
        m_error = error ? error : EIO;
}

FILE *SheetSpill::open(Stretch &s, bool reading)
{
    static const cookie_io_functions_t writer {nullptr, SpillIo::write, nullptr, SpillIo::close};
    static const cookie_io_functions_t reader {SpillIo::read, nullptr, SpillIo::seek, SpillIo::close};
    // Buffered: a stream's buffer is taken at its first use and given back
    // when it is closed, the writer's when its sheet is finished and the
    // reader's when the workbook has copied the rows.
    s.stream = fopencookie(&s, reading ? "r" : "w", reading ? reader : writer);
    if (!s.stream)
        throw Error(cannotWriteText(m_target, QString::fromLocal8Bit(std::strerror(errno))));
    s.closed = false;
    return s.stream;
}

namespace {

// Cuts a table the worksheet keeps per column to the first columns; the
// worksheet grows it again when a column beyond is set.
template <typename T, typename Size> void keepFirstColumns(T *&table, Size &size)
{
    const Size columns = 16;
    if (size <= columns)
        return;
    if (T *cut = static_cast<T *>(std::realloc(table, columns * sizeof(T)))) {
        table = cut;
        size = columns;
    }
}

} // namespace

void SheetSpill::adopt(lxw_worksheet *sheet)
{
    // A new worksheet has room for 128 columns' widths, sizes and formats
    // (3 KB); these sheets use a few.
    keepFirstColumns(sheet->col_options, sheet->col_options_max);
    keepFirstColumns(sheet->col_sizes, sheet->col_sizes_max);
    keepFirstColumns(sheet->col_formats, sheet->col_formats_max);
    Stretch &s = m_stretches.emplace_back(Stretch {this, nullptr, nullptr, m_end, 0, 0, true});
    FILE *rows = open(s, false);
    std::fclose(sheet->optimize_tmpfile);
    sheet->optimize_tmpfile = rows;
    sheet->file = rows;
}

void SheetSpill::finish(lxw_worksheet *sheet)
{
    Stretch &s = m_stretches.back();
    if (s.stream != sheet->optimize_tmpfile)
        throw Error(cannotWriteText(m_target, QStringLiteral("工作表不是最后加入的")));
    lxw_worksheet_write_single_row(sheet);
    // The row is empty now; the workbook frees a missing row as well.
    std::free(sheet->array);
    sheet->array = nullptr;
    if (std::fclose(s.stream) != 0)
        fail(errno);
    check();
    // Nothing reads or writes the sheet's stream until the workbook is closed.
    s.sheet = sheet;
    sheet->optimize_tmpfile = nullptr;
    sheet->file = nullptr;
}

void SheetSpill::openForReading()
{
    // The C library keeps its open streams in a list it searches from the
    // newest when one is closed: opened last to first, each sheet's stream
    // is the newest when the workbook closes it, first to last.
    for (auto s = m_stretches.rbegin(); s != m_stretches.rend(); ++s) {
        if (!s->sheet)
            continue;
        FILE *rows = open(*s, true);
        s->sheet->optimize_tmpfile = rows;
        s->sheet->file = rows;
    }
}

void SheetSpill::check() const
{
    if (m_error)
        throw Error(cannotWriteText(m_target, QString::fromLocal8Bit(std::strerror(m_error))));
}

} // namespace tarvex
