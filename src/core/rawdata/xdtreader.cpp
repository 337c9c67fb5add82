#include "rawdata/xdtreader.h"

#include "common/error.h"
#include "common/numbers.h"
#include "common/textcodec.h"

#include <QDir>
#include <QFile>

#include <array>
#include <charconv>
#include <cmath>

namespace tarvex {

namespace {

// Fields a record of each type needs, the type included.
constexpr int kFieldsNeeded[] = {0, 4, 4, 6, 6};
constexpr int kMaxFields = 6;

// A whole field as a number: optional blanks, sign, digits, point and
// exponent, nothing else (the rule of parseNumber, without allocating: a
// large file has a million number fields).
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
    int number;
    std::array<QStringView, kMaxFields> fields;
    int count; // fields found, at most kMaxFields (the rest is ignored)

    [[noreturn]] void fail(const QString &reason) const
    {
        throw Error(QStringLiteral("第%1行: ").arg(number) + reason);
    }

    QString text(int i) const { return fields[i].toString(); }

    double numberAt(int i, const char *name) const
    {
        double value = 0;
        if (!fieldNumber(fields[i], &value))
            fail(QString::fromUtf8(name) + QStringLiteral(" '") + fields[i].toString() + QStringLiteral("' 不是数字"));
        return value;
    }
};

Line splitLine(QStringView text, int number)
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
        line.fail(QStringLiteral("类型 '") + line.text(0) + QStringLiteral("' 不是数字"));
    for (int t = 1; t <= 4; ++t)
        if (type == t)
            return t;
    return 0;
}

void addRecord(RawData &data, const Line &line, int type)
{
    if (line.count < kFieldsNeeded[type])
        line.fail(QStringLiteral("字段不足, 类型%1应有%2个字段, 只有%3个")
                      .arg(type)
                      .arg(kFieldsNeeded[type])
                      .arg(line.count));
    switch (type) {
    case 1:
        data.profiles.append({line.numberAt(1, "ID"), line.text(2), line.numberAt(3, "长度")});
        break;
    case 2:
        data.glass.append({line.numberAt(1, "ID"), line.text(2), line.numberAt(3, "面积")});
        break;
    case 3:
        data.accessories.append(
            {line.numberAt(1, "ID"), line.text(2), line.text(3), line.text(4), line.numberAt(5, "数量")});
        break;
    case 4:
        data.windows.append({line.numberAt(1, "ID"), line.text(2), line.text(3), line.numberAt(4, "框面积"),
            line.numberAt(5, "洞口面积")});
        break;
    }
}

} // namespace

RawData parseRawData(const QString &text)
{
    RawData data;
    const QStringView all(text);
    int number = 0;
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = all.size();
        QStringView lineText = all.mid(start, end - start);
        start = end + 1;
        ++number;
        if (lineText.endsWith(QLatin1Char('\r')))
            lineText.chop(1);
        if (lineText.trimmed().isEmpty())
            continue;
        const Line line = splitLine(lineText, number);
        if (const int type = recordType(line))
            addRecord(data, line, type);
    }
    return data;
}

RawData parseRawDataBytes(const QByteArray &bytes)
{
    return parseRawData(decodeUtf8OrGbk(bytes));
}

RawData readRawDataFile(const QString &path)
{
    QFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!file.exists())
        throw Error(QStringLiteral("文件不存在: ") + shown);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取文件 ") + shown + QStringLiteral(": ") + file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("无法读取文件 ") + shown + QStringLiteral(": ") + file.errorString());
    return parseRawDataBytes(bytes);
}

} // namespace tarvex
