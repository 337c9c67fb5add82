#include "core/common/error.h"
#include "core/common/io/csv.h"
#include "core/common/io/textcodec.h"
#include "core/common/io/xlsxreader.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace tarvex {

namespace {

// A price list of a few hundred thousand rows stays far below this.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

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
bool isEncryptedWorkbook(const QByteArray &bytes)
{
    static const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    static const QByteArray package = [] {
        QByteArray name; // the stream's name in UTF-16LE
        for (const char c : QByteArrayView("EncryptedPackage"))
            name.append(c).append('\0');
        return name;
    }();
    return bytes.startsWith(compound) && bytes.contains(package);
}

QString decodeCsvText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return utf16.decode(bytes);
    }
    return decodeUtf8OrGbk(bytes);
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

// Keeps the rows as readPriceListFile promises: the header whole, of the
// other rows the cells the import reads, and blank rows not at all.
class RowKeeper {
public:
    explicit RowKeeper(const QList<PriceColumn> &columns)
        : m_columns(columns)
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
            m_rows.append(std::move(row));
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
        m_rows.append(std::move(row));
    }

    QList<ImportRow> rows() { return std::move(m_rows); }

private:
    const QList<PriceColumn> &m_columns;
    bool m_header = false;
    int m_width = 0;
    QSet<int> m_read;
    QList<ImportRow> m_rows;
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

// The line (from 1) of a byte offset.
int lineAt(const QByteArray &bytes, qsizetype offset)
{
    int line = 1;
    for (qsizetype i = 0; i < offset; ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

QList<ImportRow> readCsv(const QString &path, const QByteArray &bytes, const PriceTable &table)
{
    // Decoded as GBK, the UTF-8 lines of such a file would spoil its header.
    if (const qsizetype mixed = mixedEncodingAt(bytes); mixed >= 0)
        throw Error(QStringLiteral("文件%1第%2行的编码与前面的行不同: 前面是UTF-8, 这一行不是(可能是GBK); "
                                   "请把整个文件另存为UTF-8或GBK编码")
                        .arg(path)
                        .arg(lineAt(bytes, mixed)));
    const QString text = decodeCsvText(bytes);
    RowKeeper keeper(priceColumns(table.name));
    parseCsv(text, chooseDelimiter(text, priceColumns(table.name)), [&](CsvRecord &&record) {
        ImportRow row {record.line, {}, QString()};
        if (record.unclosedQuote) {
            row.unreadable = QStringLiteral("引号没有闭合,文件在引号内结束");
        } else {
            for (int i = 0; i < record.fields.size(); ++i) {
                const QString field = textOfCsvCell(record.fields.at(i));
                if (hasUndecodable(field))
                    row.unreadable = QStringLiteral("含有无法识别的字节(文件应为UTF-8或GBK编码)");
                if (!field.trimmed().isEmpty())
                    row.cells.append({i, field, false});
            }
        }
        keeper.add(std::move(row));
        return true;
    });
    return keeper.rows();
}

QList<ImportRow> readXlsx(const QString &path, const PriceTable &table)
{
    RowKeeper keeper(priceColumns(table.name));
    readFirstSheet(path, [&](SheetRow &&r) { keeper.add({r.line, std::move(r.cells), QString()}); });
    return keeper.rows();
}

} // namespace

PriceListFile readPriceListFile(const QString &path, const PriceTable &table)
{
    PriceListFile file {QDir::toNativeSeparators(path), {}};
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
    const QByteArray bytes = in.readAll();
    in.close();

    const QString suffix = info.suffix().toLower();
    // A workbook is a zip whatever its name says.
    if (bytes.startsWith("PK\x03\x04"))
        file.rows = readXlsx(path, table);
    else if (isEncryptedWorkbook(bytes))
        throw Error(QStringLiteral("工作簿%1设有打开密码(已加密), 无法读取; 请在表格程序中取消密码后另存为.xlsx")
                        .arg(file.path));
    else if (suffix == QLatin1String("xlsx"))
        throw Error(QStringLiteral("文件%1不是xlsx工作簿").arg(file.path));
    else if (suffix == QLatin1String("xls"))
        throw Error(QStringLiteral("不能读取旧的.xls工作簿%1,请在表格程序中另存为.xlsx或.csv").arg(file.path));
    else
        file.rows = readCsv(file.path, bytes, table);
    return file;
}

} // namespace tarvex
