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

QList<ImportRow> readCsv(const QByteArray &bytes, const PriceTable &table)
{
    const QString text = decodeCsvText(bytes);
    QList<ImportRow> rows;
    for (const CsvRecord &record : parseCsv(text, chooseDelimiter(text, priceColumns(table.name)))) {
        ImportRow row {record.line, record.fields, QString()};
        if (record.unclosedQuote)
            row.unreadable = QStringLiteral("引号没有闭合,文件在引号内结束");
        else if (hasUndecodable(record.fields.join(QString())))
            row.unreadable = QStringLiteral("含有无法识别的字节(文件应为UTF-8或GBK编码)");
        rows.append(row);
    }
    return rows;
}

QList<ImportRow> readXlsx(const QString &path)
{
    QList<ImportRow> rows;
    for (const SheetRow &r : readFirstSheet(path))
        rows.append({r.line, r.cells, QString()});
    return rows;
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
        file.rows = readXlsx(path);
    else if (suffix == QLatin1String("xlsx"))
        throw Error(QStringLiteral("文件%1不是xlsx工作簿").arg(file.path));
    else if (suffix == QLatin1String("xls"))
        throw Error(QStringLiteral("不能读取旧的.xls工作簿%1,请在表格程序中另存为.xlsx或.csv").arg(file.path));
    else
        file.rows = readCsv(bytes, table);
    return file;
}

} // namespace tarvex
