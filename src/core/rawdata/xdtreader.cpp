#include "core/rawdata/xdtreader.h"

#include "core/common/error.h"
#include "core/common/io/textcodec.h"
#include "core/common/numbers.h"
#include "core/common/shownvalue.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <charconv>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {

namespace {

// Fields a record of each type needs, the type included.
constexpr int kFieldsNeeded[] = {0, 4, 4, 6, 6};
constexpr int kMaxFields = 6;
// The file is read in pieces of this size; a line may not be longer.
constexpr qsizetype kPieceBytes = qsizetype(4) << 20;
constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;

[[noreturn]] void failAt(qint64 line, const QString &reason)
{
    throw Error(QStringLiteral("第%1行: ").arg(line) + reason);
}

// A whole field as a number: optional blanks, sign, digits, point and
// exponent, nothing else (the rule of parseNumber, without allocating: a
// large file has millions of number fields).
bool fieldNumber(QStringView field, double *value)
{
    field = field.trimmed();
    char buffer[64];
    if (field.isEmpty() || field.size() >= qsizetype(sizeof buffer))
        return parseNumber(field.toString(), value);
    qsizetype n = 0;
    for (QChar c : field) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= '0' && u <= '9') || u == '.' || u == '-' || u == '+' || u == 'e' || u == 'E';
        if (!allowed)
            return false;
        buffer[n++] = char(u);
    }
    const char *begin = buffer;
    if (*begin == '+' && n > 1 && begin[1] != '-')
        ++begin;
    const auto result = std::from_chars(begin, buffer + n, *value);
    return result.ec == std::errc() && result.ptr == buffer + n && std::isfinite(*value);
}

struct Line {
    qint64 number;
    std::array<QStringView, kMaxFields> fields;
    int count; // fields found, at most kMaxFields (the rest is ignored)

    double numberAt(int i, const char *name) const
    {
        double value = 0;
        if (!fieldNumber(fields[i], &value))
            failAt(number,
                QString::fromUtf8(name) + QLatin1Char(' ') + shownValue(fields[i]) + QStringLiteral(" 不是数字"));
        return value;
    }
};

Line splitLine(QStringView text, qint64 number)
{
    Line line {number, {}, 0};
    qsizetype start = 0;
    while (line.count < kMaxFields) {
        const qsizetype bar = text.indexOf(QLatin1Char('|'), start);
        if (bar < 0) {
            line.fields[line.count++] = text.mid(start);
            break;
        }
        line.fields[line.count++] = text.mid(start, bar - start);
        start = bar + 1;
    }
    return line;
}

// The record type, compared numerically with 1 to 4; 0 for any other number.
int recordType(const Line &line)
{
    double type = 0;
    if (!fieldNumber(line.fields[0], &type))
        failAt(line.number, QStringLiteral("类型 ") + shownValue(line.fields[0]) + QStringLiteral(" 不是数字"));
    for (int t = 1; t <= 4; ++t)
        if (type == t)
            return t;
    return 0;
}

XdtRecord record(const Line &line, int type)
{
    if (line.count < kFieldsNeeded[type])
        failAt(line.number,
            QStringLiteral("字段不足, 类型%1应有%2个字段, 只有%3个")
                .arg(type)
                .arg(kFieldsNeeded[type])
                .arg(line.count));
    XdtRecord r;
    r.type = type;
    r.line = line.number;
    r.id = line.numberAt(1, "ID");
    switch (type) {
    case 1:
        r.texts[0] = line.fields[2];
        r.numbers[0] = line.numberAt(3, "长度");
        break;
    case 2:
        r.texts[0] = line.fields[2];
        r.numbers[0] = line.numberAt(3, "面积");
        break;
    case 3:
        r.texts = {line.fields[2], line.fields[3], line.fields[4]};
        r.numbers[0] = line.numberAt(5, "数量");
        break;
    case 4:
        r.texts[0] = line.fields[2];
        r.texts[1] = line.fields[3];
        r.numbers = {line.numberAt(4, "框面积"), line.numberAt(5, "洞口面积")};
        break;
    }
    return r;
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// Cuts a stream of bytes into pieces that end at a line end, so that no
// character and no CR LF pair is split between two pieces.
class LinePieces {
public:
    using Read = std::function<qint64(char *, qint64)>;

    explicit LinePieces(Read read)
        : m_read(std::move(read))
        , m_buffer(kPieceBytes, Qt::Uninitialized)
    {
    }

    // The next piece; empty at the end of the stream. Throws when a line is
    // longer than kMaxLineBytes (firstLine: the number of its first line).
    QByteArrayView next(qint64 firstLine)
    {
        // Keep what followed the last piece.
        std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(m_end - m_begin));
        m_end -= m_begin;
        m_begin = 0;
        for (;;) {
            if (!m_atEnd && m_end < m_buffer.size()) {
                const qint64 n = m_read(m_buffer.data() + m_end, m_buffer.size() - m_end);
                if (n <= 0)
                    m_atEnd = true;
                else
                    m_end += n;
                continue;
            }
            qsizetype cut = m_end;
            if (!m_atEnd) {
                cut = lastLineEnd();
                if (cut <= 0)
                    failAt(
                        firstLine, QStringLiteral("行太长 (超过%1 KB), 这不是报价数据文件").arg(kMaxLineBytes >> 10));
            }
            m_begin = cut;
            return QByteArrayView(m_buffer.constData(), cut);
        }
    }

private:
    // The length of the lines that end within the buffer; a CR at its very
    // end waits for the next read, which may bring its LF.
    qsizetype lastLineEnd() const
    {
        qsizetype i = m_end - 1;
        if (i >= 0 && m_buffer[i] == '\r')
            --i;
        while (i >= 0 && !isLineEnd(m_buffer[i]))
            --i;
        if (m_end - (i + 1) > kMaxLineBytes)
            return 0;
        return i + 1;
    }

    Read m_read;
    QByteArray m_buffer;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    bool m_atEnd = false;
};

// Number of line ends in bytes (CR LF counted once).
qint64 lineEndsIn(QByteArrayView bytes)
{
    qint64 count = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            ++count;
        else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            ++count;
    }
    return count;
}

// The line of bytes around offset, for a message.
QByteArrayView lineAround(QByteArrayView bytes, qsizetype offset)
{
    qsizetype begin = offset;
    while (begin > 0 && !isLineEnd(bytes[begin - 1]))
        --begin;
    qsizetype end = offset;
    while (end < bytes.size() && !isLineEnd(bytes[end]))
        ++end;
    return bytes.sliced(begin, end - begin);
}

[[noreturn]] void refuseBytes(
    QByteArrayView piece, qsizetype at, qsizetype length, qint64 firstLine, TextEncoding encoding)
{
    const qint64 line = firstLine + lineEndsIn(piece.first(at));
    if (piece[at] == '\0')
        failAt(line,
            QStringLiteral("含有NUL字节 (0x00): 文件可能是UTF-16编码或二进制文件; 报价数据文件应为GBK或UTF-8文本"));
    QStringList hex;
    for (qsizetype i = at; i < at + length && i < piece.size(); ++i)
        hex.append(QStringLiteral("0x") + QStringLiteral("%1").arg(uchar(piece[i]), 2, 16, QLatin1Char('0')).toUpper());
    const QByteArrayView text = lineAround(piece, at);
    const qsizetype column = at - (text.data() - piece.data()) + 1;
    failAt(line,
        QStringLiteral("第%1个字节 %2 不是有效的%3编码: ")
                .arg(column)
                .arg(hex.join(QLatin1Char(' ')), encodingName(encoding))
            + shownValue(decodeText(text, encoding)));
}

// Decodes pieces and hands the records of their lines to the sink.
class XdtParser {
public:
    XdtParser(TextEncoding encoding, const XdtRecordSink &sink)
        : m_encoding(encoding)
        , m_sink(sink)
    {
    }

    qint64 linesDone() const { return m_line; }

    void parse(QByteArrayView piece)
    {
        qsizetype badLength = 1;
        const qsizetype bad = invalidByteAt(piece, m_encoding, &badLength);
        if (bad >= 0)
            refuseBytes(piece, bad, badLength, m_line + 1, m_encoding);
        m_text = decodeText(piece, m_encoding);
        const QStringView all(m_text);
        qsizetype start = 0;
        while (start < all.size()) {
            qsizetype end = start;
            while (end < all.size() && all[end] != QLatin1Char('\n') && all[end] != QLatin1Char('\r'))
                ++end;
            const QStringView lineText = all.mid(start, end - start);
            if (end + 1 < all.size() && all[end] == QLatin1Char('\r') && all[end + 1] == QLatin1Char('\n'))
                ++end;
            start = end + 1;
            ++m_line;
            if (lineText.trimmed().isEmpty())
                continue;
            const Line line = splitLine(lineText, m_line);
            if (const int type = recordType(line)) {
                const XdtRecord r = record(line, type);
                if (type == 4)
                    checkWindowId(r);
                m_sink(r);
            }
        }
    }

private:
    // Every material of a window joins it by ID: a second window with the
    // same ID would double them all.
    void checkWindowId(const XdtRecord &r)
    {
        const auto first = m_windowLines.constFind(r.id);
        if (first != m_windowLines.constEnd())
            failAt(r.line, QStringLiteral("门窗 ID %1 已在第%2行出现").arg(plainNumber(r.id)).arg(first.value()));
        m_windowLines.insert(r.id, r.line);
    }

    TextEncoding m_encoding;
    const XdtRecordSink &m_sink;
    QString m_text;
    qint64 m_line = 0;
    QHash<double, qint64> m_windowLines; // window ID -> its line
};

bool startsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// A reader of the stream from its start; parsing: for the pass that parses.
using OpenStream = std::function<LinePieces::Read(bool parsing)>;

// Reads the stream twice when needed: once to decide the encoding (stopping
// at the first byte that is not UTF-8), once to parse.
void readStream(const OpenStream &open, const XdtRecordSink &sink)
{
    char head[3] = {};
    const qint64 headSize = open(false)(head, sizeof head);
    const QByteArrayView start(head, qMax<qint64>(headSize, 0));
    if (startsWithUtf16Bom(start))
        throw Error(QStringLiteral("文件是UTF-16编码, 不支持UTF-16; 请另存为GBK或UTF-8编码的文本"));
    const bool bom = start.startsWith("\xEF\xBB\xBF");

    TextEncoding encoding = TextEncoding::Utf8;
    if (!bom) {
        EncodingGuess guess;
        LinePieces pieces(open(false));
        qint64 line = 1;
        for (QByteArrayView piece = pieces.next(line); !piece.isEmpty() && guess.open(); piece = pieces.next(line)) {
            guess.add(piece);
            line += lineEndsIn(piece);
        }
        encoding = guess.encoding();
    }

    LinePieces::Read read = open(true);
    if (bom)
        read(head, 3);
    LinePieces pieces(read);
    XdtParser parser(encoding, sink);
    for (QByteArrayView piece = pieces.next(1); !piece.isEmpty(); piece = pieces.next(parser.linesDone() + 1))
        parser.parse(piece);
}

class FileHandle {
public:
    explicit FileHandle(int fd)
        : m_fd(fd)
    {
    }
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

void readXdtFile(const QString &path, const XdtRecordSink &sink, const XdtProgress &progress)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Opened without waiting, so that a FIFO is refused instead of blocking.
    const FileHandle file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd() < 0) {
        if (errno == ENOENT)
            throw Error(QStringLiteral("文件不存在: ") + shown);
        throw Error(QStringLiteral("无法读取文件 ") + shown + QStringLiteral(": ") + systemReason());
    }
    struct stat info { };
    if (::fstat(file.fd(), &info) != 0)
        throw Error(QStringLiteral("无法读取文件 ") + shown + QStringLiteral(": ") + systemReason());
    if (!S_ISREG(info.st_mode))
        throw Error(shown + QStringLiteral(" 不是普通文件 (文件夹、设备或管道), 不能作为报价数据读取"));
    if (info.st_size > kMaxXdtFileSize)
        throw Error(QStringLiteral("文件 %1 有 %2 MB, 超过报价数据文件的上限 %3 MB")
                        .arg(shown)
                        .arg(info.st_size >> 20)
                        .arg(kMaxXdtFileSize >> 20));
    ::fcntl(file.fd(), F_SETFL, ::fcntl(file.fd(), F_GETFL) & ~O_NONBLOCK);

    const qint64 total = info.st_size;
    readStream(
        [&](bool parsing) -> LinePieces::Read {
            ::lseek(file.fd(), 0, SEEK_SET);
            return [&, parsing, done = qint64(0)](char *data, qint64 size) mutable -> qint64 {
                qint64 n;
                do {
                    n = ::read(file.fd(), data, size_t(size));
                } while (n < 0 && errno == EINTR);
                if (n < 0)
                    throw Error(QStringLiteral("无法读取文件 ") + shown + QStringLiteral(": ") + systemReason());
                done += n;
                if (parsing && progress)
                    progress(done, total);
                return n;
            };
        },
        sink);
}

void readXdtBytes(QByteArrayView bytes, const XdtRecordSink &sink)
{
    readStream(
        [&](bool) -> LinePieces::Read {
            return [bytes, at = qsizetype(0)](char *data, qint64 size) mutable -> qint64 {
                const qsizetype n = qMin<qsizetype>(size, bytes.size() - at);
                std::memcpy(data, bytes.data() + at, size_t(n));
                at += n;
                return n;
            };
        },
        sink);
}

RawData parseRawDataBytes(QByteArrayView bytes)
{
    RawData data;
    readXdtBytes(bytes, [&](const XdtRecord &r) {
        switch (r.type) {
        case 1:
            data.profiles.append({r.id, r.texts[0].toString(), r.numbers[0]});
            break;
        case 2:
            data.glass.append({r.id, r.texts[0].toString(), r.numbers[0]});
            break;
        case 3:
            data.accessories.append(
                {r.id, r.texts[0].toString(), r.texts[1].toString(), r.texts[2].toString(), r.numbers[0]});
            break;
        case 4:
            data.windows.append({r.id, r.texts[0].toString(), r.texts[1].toString(), r.numbers[0], r.numbers[1]});
            break;
        }
    });
    return data;
}

} // namespace tarvex
