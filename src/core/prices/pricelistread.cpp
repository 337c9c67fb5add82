#include "core/common/error.h"
#include "core/common/io/csv.h"
#include "core/common/io/textcodec.h"
#include "core/common/io/xlsxreader.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace tarvex {

namespace {

// A price list of a few hundred thousand rows stays far below this.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;
constexpr qint64 kPieceSize = 1024 * 1024;

const char kUtf8[] = "UTF-8";
const char kGbk[] = "GBK";
const char kUtf16[] = "UTF-16";

// A file read in pieces that end at a line end (LF, CR LF or CR, never
// between the two), so that no character of a UTF-8 or GBK text spans two
// pieces, and the digest of all its bytes.
class FilePieces {
public:
    FilePieces(const QString &path, const QString &shown)
        : m_file(path)
        , m_shown(shown)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("无法读取文件%1: %2").arg(shown, m_file.errorString()));
    }

    // The next piece; false at the end of the file.
    bool next(QByteArray &piece)
    {
        qsizetype end = -1;
        while (!m_atEnd && (end = lastLineEnd()) < 0) {
            const QByteArray bytes = m_file.read(kPieceSize);
            if (bytes.isEmpty() && m_file.error() != QFileDevice::NoError)
                throw Error(QStringLiteral("无法读取文件%1: %2").arg(m_shown, m_file.errorString()));
            m_atEnd = bytes.isEmpty();
            m_hash.addData(bytes);
            m_rest += bytes;
        }
        if (m_atEnd)
            end = m_rest.size() - 1;
        piece = m_rest.left(end + 1);
        m_rest.remove(0, end + 1);
        return !piece.isEmpty();
    }

    QByteArray digest() const { return m_hash.result(); }

private:
    // A CR last of all may be the first half of a CR LF still unread.
    qsizetype lastLineEnd() const
    {
        for (qsizetype i = m_rest.size() - 2; i >= 0; --i) {
            if (m_rest.at(i) == '\n' || m_rest.at(i) == '\r')
                return i;
        }
        return m_rest.endsWith('\n') ? m_rest.size() - 1 : -1;
    }

    QFile m_file;
    QString m_shown;
    QByteArray m_rest;
    bool m_atEnd = false;
    QCryptographicHash m_hash {QCryptographicHash::Sha1};
};

// Decodes the pieces of a text file in turn.
class PieceDecoder {
public:
    explicit PieceDecoder(const QByteArray &encoding)
        : m_encoding(encoding)
        , m_utf16(QStringDecoder::Utf16)
    {
    }

    QString decode(QByteArrayView piece)
    {
        if (m_encoding == kUtf16)
            return m_utf16.decode(piece);
        if (m_first && piece.startsWith("\xEF\xBB\xBF"))
            piece = piece.sliced(3);
        m_first = false;
        return decodeText(piece, m_encoding == kUtf8 ? TextEncoding::Utf8 : TextEncoding::Gbk);
    }

private:
    QByteArray m_encoding;
    QStringDecoder m_utf16;
    bool m_first = true;
};

// Characters the decoders put where bytes made no sense in the encoding.
bool hasUndecodable(const QString &text)
{
    for (const QChar c : text)
        if (c == QChar::ReplacementCharacter || (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF))
            return true;
    return false;
}

// A workbook saved with a password to open it is not a zip but a compound
// document holding the encrypted package.
bool isEncryptedWorkbook(const QString &path, const QByteArray &head)
{
    static const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (!head.startsWith(compound))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray name; // the stream's name in UTF-16LE
    for (const char c : QByteArrayView("EncryptedPackage"))
        name.append(c).append('\0');
    return file.readAll().contains(name);
}

// How many header cells name a column of the table: the delimiter that
// finds the most is the file's.
int knownNames(const QStringList &cells, const QList<PriceColumn> &columns)
{
    int known = 0;
    for (const QString &cell : cells)
        known += columnForHeader(columns, cell) >= 0;
    return known;
}

bool isBlank(const QList<SheetCell> &cells)
{
    for (const SheetCell &cell : cells)
        if (!cell.text.trimmed().isEmpty())
            return false;
    return true;
}

// Hands on the rows as readPriceListFile promises: the header whole, of the
// other rows the cells the import reads, and blank rows not at all.
class RowFilter {
public:
    RowFilter(const QList<PriceColumn> &columns, std::function<void(const ImportRow &)> take)
        : m_columns(columns)
        , m_take(std::move(take))
    {
    }

    void add(ImportRow &&row)
    {
        if (row.unreadable.isEmpty() && isBlank(row.cells))
            return;
        if (!m_header) {
            m_header = true;
            for (const SheetCell &cell : row.cells) {
                m_width = cell.column + 1;
                if (columnForHeader(m_columns, cell.text) >= 0)
                    m_read.insert(cell.column);
            }
            m_take(row);
            return;
        }
        QList<SheetCell> kept;
        for (SheetCell &cell : row.cells) {
            const bool beyond = cell.column >= m_width;
            if (m_read.contains(cell.column) || beyond)
                kept.append(std::move(cell));
            if (beyond)
                break; // the first is named; the rest is as wrong
        }
        row.cells = std::move(kept);
        m_take(row);
    }

private:
    const QList<PriceColumn> &m_columns;
    std::function<void(const ImportRow &)> m_take;
    bool m_header = false;
    int m_width = 0;
    QSet<int> m_read;
};

QChar chooseDelimiter(const QString &text, const QList<PriceColumn> &columns)
{
    QChar best = u',';
    int bestKnown = -1;
    int bestFields = 0;
    for (const QChar delimiter : {u',', u';', u'\t'}) {
        QStringList header;
        for (const CsvRecord &r : parseCsv(text, delimiter, 20)) {
            if (r.fields.join(QString()).trimmed().isEmpty())
                continue;
            header = r.fields;
            break;
        }
        const int known = knownNames(header, columns);
        if (known > bestKnown || (known == bestKnown && header.size() > bestFields)) {
            best = delimiter;
            bestKnown = known;
            bestFields = int(header.size());
        }
    }
    return best;
}

// The line ends of a piece up to offset, CR LF counted once.
int lineEnds(QByteArrayView piece, qsizetype offset)
{
    int ends = 0;
    for (qsizetype i = 0; i < offset; ++i)
        if (piece[i] == '\n' || (piece[i] == '\r' && (i + 1 == piece.size() || piece[i + 1] != '\n')))
            ++ends;
    return ends;
}

// The encoding, the delimiter, the lines and the digest of a delimited file,
// in one pass over it.
void examineCsv(PriceListFile &file, const PriceTable &table)
{
    FilePieces pieces(file.source, file.path);
    QByteArray first;
    QByteArray piece;
    EncodingGuess guess;
    MixedEncodingCheck mixed;
    qint64 offset = 0;
    int lines = 0;
    int mixedLine = 0;
    while (pieces.next(piece)) {
        QByteArrayView text(piece);
        if (first.isEmpty()) {
            first = piece;
            if (first.startsWith("\xFF\xFE") || first.startsWith("\xFE\xFF")) {
                file.encoding = kUtf16;
            } else if (first.startsWith("\xEF\xBB\xBF")) {
                file.encoding = kUtf8;
                text = text.sliced(3);
            }
        }
        if (file.encoding != kUtf16) {
            guess.add(text);
            const qsizetype before = mixed.at();
            mixed.add(text);
            if (before < 0 && mixed.at() >= 0)
                mixedLine = lines + 1 + lineEnds(text, mixed.at() - offset);
            offset += text.size();
        }
        lines += lineEnds(piece, piece.size());
    }
    file.lines = lines + 1;
    // Decoded as GBK, the UTF-8 lines of such a file would spoil its header.
    if (file.encoding != kUtf16 && mixed.at() >= 0)
        throw Error(QStringLiteral("文件%1第%2行的编码与前面的行不同: 前面是UTF-8, 这一行不是(可能是GBK); "
                                   "请把整个文件另存为UTF-8或GBK编码")
                        .arg(file.path)
                        .arg(mixedLine));
    if (file.encoding.isEmpty())
        file.encoding = guess.encoding() == TextEncoding::Utf8 ? kUtf8 : kGbk;
    file.digest = pieces.digest();
    file.delimiter = chooseDelimiter(PieceDecoder(file.encoding).decode(first), priceColumns(table.name));
}

void readCsvRows(const PriceListFile &file, const PriceTable &table, const std::function<void(const ImportRow &)> &take)
{
    FilePieces pieces(file.source, file.path);
    PieceDecoder decoder(file.encoding);
    CsvReader reader(file.delimiter);
    RowFilter filter(priceColumns(table.name), take);
    const auto record = [&](CsvRecord &&r) {
        ImportRow row {r.line, {}, QString()};
        if (r.unclosedQuote) {
            row.unreadable = QStringLiteral("引号没有闭合,文件在引号内结束");
        } else {
            for (int i = 0; i < r.fields.size(); ++i) {
                const QString field = textOfCsvCell(r.fields.at(i));
                if (hasUndecodable(field))
                    row.unreadable = QStringLiteral("含有无法识别的字节(文件应为UTF-8或GBK编码)");
                if (!field.trimmed().isEmpty())
                    row.cells.append({i, field, false});
            }
        }
        filter.add(std::move(row));
        return true;
    };
    QByteArray piece;
    while (pieces.next(piece))
        reader.add(decoder.decode(piece), record);
    reader.finish(record);
    if (pieces.digest() != file.digest)
        throw Error(QStringLiteral("文件%1在读取之后被修改过,请重新选择文件").arg(file.path));
}

} // namespace

void forEachPriceListRow(
    const PriceListFile &file, const PriceTable &table, const std::function<void(const ImportRow &)> &row)
{
    if (file.format == PriceListFile::Format::Csv) {
        readCsvRows(file, table, row);
        return;
    }
    for (const ImportRow &r : file.rows)
        row(r);
}

PriceListFile readPriceListFile(const QString &path, const PriceTable &table)
{
    PriceListFile file;
    file.path = QDir::toNativeSeparators(path);
    file.source = path;
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("找不到文件%1").arg(file.path));
    if (!info.isFile())
        throw Error(QStringLiteral("%1不是普通文件").arg(file.path));
    if (info.size() > kMaxFileSize)
        throw Error(QStringLiteral("文件%1过大(%2 MB),价格表文件不能超过%3 MB")
                        .arg(file.path)
                        .arg(info.size() / (1024 * 1024))
                        .arg(kMaxFileSize / (1024 * 1024)));
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取文件%1: %2").arg(file.path, in.errorString()));
    const QByteArray head = in.read(8);
    in.close();

    const QString suffix = info.suffix().toLower();
    // A workbook is a zip whatever its name says. Its rows are kept: the
    // workbook is read once, as a whole, and its errors are the reading's.
    if (head.startsWith("PK\x03\x04")) {
        RowFilter filter(priceColumns(table.name), [&file](const ImportRow &row) { file.rows.append(row); });
        readFirstSheet(path, [&](SheetRow &&r) {
            file.lines = r.line;
            filter.add({r.line, std::move(r.cells), QString()});
        });
    } else if (isEncryptedWorkbook(path, head)) {
        throw Error(QStringLiteral("工作簿%1设有打开密码(已加密), 无法读取; 请在表格程序中取消密码后另存为.xlsx")
                        .arg(file.path));
    } else if (suffix == QLatin1String("xlsx")) {
        throw Error(QStringLiteral("文件%1不是xlsx工作簿").arg(file.path));
    } else if (suffix == QLatin1String("xls")) {
        throw Error(QStringLiteral("不能读取旧的.xls工作簿%1,请在表格程序中另存为.xlsx或.csv").arg(file.path));
    } else {
        file.format = PriceListFile::Format::Csv;
        examineCsv(file, table);
    }
    return file;
}

} // namespace tarvex
