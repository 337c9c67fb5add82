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
#include <QStringDecoder>

namespace tarvex {

namespace {

// A price list of a few hundred thousand rows stays far below this.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;
constexpr qint64 kPieceSize = 1024 * 1024;

// A file read in pieces that end at a line end (CR or LF), so that no
// character of a UTF-8 or GBK text spans two pieces, and the digest of all
// its bytes.
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
    qsizetype lastLineEnd() const
    {
        for (qsizetype i = m_rest.size() - 1; i >= 0; --i) {
            if (m_rest.at(i) == '\n' || m_rest.at(i) == '\r')
                return i;
        }
        return -1;
    }

    QFile m_file;
    QString m_shown;
    QByteArray m_rest;
    bool m_atEnd = false;
    QCryptographicHash m_hash {QCryptographicHash::Sha1};
};

const char kUtf8[] = "UTF-8";
const char kGbk[] = "GBK";
const char kUtf16[] = "UTF-16";

// Characters the decoders put where bytes made no sense in the encoding.
bool hasUndecodable(const QString &text)
{
    for (const QChar c : text)
        if (c == QChar::ReplacementCharacter || (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF))
            return true;
    return false;
}

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
        if (m_first && m_encoding == kUtf8 && piece.startsWith("\xEF\xBB\xBF"))
            piece = piece.sliced(3);
        m_first = false;
        return decodeText(piece, m_encoding == kUtf8 ? TextEncoding::Utf8 : TextEncoding::Gbk);
    }

private:
    QByteArray m_encoding;
    QStringDecoder m_utf16;
    bool m_first = true;
};

// How many header cells name a column of the table: the delimiter that
// finds the most is the file's.
int knownNames(const QStringList &cells, const QList<PriceColumn> &columns)
{
    int known = 0;
    for (const QString &cell : cells)
        for (const PriceColumn &c : columns)
            if (cell.trimmed() == c.name)
                ++known;
    return known;
}

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

// The encoding, the delimiter and the digest of a delimited file, in one
// pass over it.
void examineCsv(PriceListFile &file, const PriceTable &table)
{
    FilePieces pieces(file.source, file.path);
    QByteArray first;
    QByteArray piece;
    EncodingGuess guess;
    qint64 lineFeeds = 0;
    qint64 returns = 0;
    while (pieces.next(piece)) {
        lineFeeds += piece.count('\n');
        returns += piece.count('\r');
        if (first.isEmpty()) {
            first = piece;
            if (first.startsWith("\xFF\xFE") || first.startsWith("\xFE\xFF"))
                file.encoding = kUtf16;
            else if (first.startsWith("\xEF\xBB\xBF"))
                file.encoding = kUtf8;
        }
        if (file.encoding.isEmpty())
            guess.add(piece);
    }
    // Lines end in LF, CR LF or CR.
    file.lines = int(std::max(lineFeeds, returns) + 1);
    if (file.encoding.isEmpty())
        file.encoding = guess.encoding() == TextEncoding::Utf8 ? kUtf8 : kGbk;
    file.digest = pieces.digest();
    file.delimiter = chooseDelimiter(PieceDecoder(file.encoding).decode(first), priceColumns(table.name));
}

void readCsvRows(const PriceListFile &file, const std::function<void(const ImportRow &)> &take)
{
    FilePieces pieces(file.source, file.path);
    PieceDecoder decoder(file.encoding);
    CsvReader reader(file.delimiter);
    const auto record = [&](CsvRecord &&r) {
        ImportRow row {r.line, std::move(r.fields), QString()};
        if (r.unclosedQuote)
            row.unreadable = QStringLiteral("引号没有闭合,文件在引号内结束");
        else if (hasUndecodable(row.cells.join(QString())))
            row.unreadable = QStringLiteral("含有无法识别的字节(文件应为UTF-8或GBK编码)");
        take(row);
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

void forEachPriceListRow(const PriceListFile &file, const std::function<void(const ImportRow &)> &row)
{
    switch (file.format) {
    case PriceListFile::Format::Rows:
        for (const ImportRow &r : file.rows)
            row(r);
        return;
    case PriceListFile::Format::Csv:
        readCsvRows(file, row);
        return;
    }
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
    const QByteArray head = in.read(4);
    in.close();

    const QString suffix = info.suffix().toLower();
    // A workbook is a zip whatever its name says. Its rows are kept: the
    // workbook is read once, as a whole, and its errors are the reading's.
    if (head.startsWith("PK\x03\x04")) {
        readFirstSheet(path, [&](SheetRow &&r) {
            file.lines = r.line;
            file.rows.append({r.line, std::move(r.cells), QString()});
        });
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
