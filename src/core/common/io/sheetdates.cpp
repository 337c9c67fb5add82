#include "core/common/io/sheetdates.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>

#include <cmath>

namespace tarvex {

namespace {

// The pieces of a format code: a run of one date letter, or literal text.
struct Token {
    QChar letter; // y m d h s, 'a' for AM/PM; null for literal text
    int count = 0;
    QString literal;
};

bool isDateLetter(QChar c)
{
    const QChar l = c.toLower();
    return l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u's';
}

// The first section of a format code as tokens; colours, conditions and
// locales in brackets dropped, elapsed hours [h] kept as h.
QList<Token> tokens(const QString &code)
{
    QList<Token> list;
    auto literal = [&](const QString &text) {
        if (!list.isEmpty() && list.last().letter.isNull())
            list.last().literal += text;
        else
            list.append({QChar(), 0, text});
    };
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u';')
            break;
        if (c == u'"') {
            const qsizetype end = code.indexOf(u'"', i + 1);
            literal(code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1));
            i = end < 0 ? code.size() : end;
        } else if (c == u'\\' && i + 1 < code.size()) {
            literal(code.at(++i));
        } else if ((c == u'_' || c == u'*') && i + 1 < code.size()) {
            literal(c == u'_' ? QStringLiteral(" ") : QString());
            ++i;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1).toLower();
            if (!inside.isEmpty() && isDateLetter(inside.front()) && inside.count(inside.front()) == inside.size())
                list.append({inside.front(), int(inside.size()), QString()});
            i = end < 0 ? code.size() : end;
        } else if (code.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            list.append({u'a', 1, QString()});
            i += 4;
        } else if (code.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            list.append({u'a', 1, QString()});
            i += 2;
        } else if (code.mid(i, 5) == QStringLiteral("上午/下午")) {
            list.append({u'a', 1, QString()});
            i += 4;
        } else if (isDateLetter(c)) {
            const QChar l = c.toLower();
            int n = 1;
            while (i + n < code.size() && code.at(i + n).toLower() == l)
                ++n;
            list.append({l, n, QString()});
            i += n - 1;
        } else {
            literal(c);
        }
    }
    return list;
}

// Whether the m at index is minutes: after hours, or before seconds.
bool isMinutes(const QList<Token> &list, qsizetype index)
{
    for (qsizetype i = index - 1; i >= 0; --i) {
        if (list.at(i).letter.isNull())
            continue;
        if (list.at(i).letter == u'h')
            return true;
        break;
    }
    for (qsizetype i = index + 1; i < list.size(); ++i) {
        if (list.at(i).letter.isNull())
            continue;
        return list.at(i).letter == u's';
    }
    return false;
}

QString quoted(const QString &text)
{
    if (text.isEmpty())
        return QString();
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

// The format code as a QDateTime format.
QString qtFormat(const QList<Token> &list)
{
    bool twelveHours = false;
    for (const Token &t : list)
        twelveHours |= t.letter == u'a';
    QString format;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Token &t = list.at(i);
        const int n = t.count;
        switch (t.letter.unicode()) {
        case 'y':
            format += n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
            break;
        case 'm':
            if (isMinutes(list, i))
                format += n == 1 ? QStringLiteral("m") : QStringLiteral("mm");
            else
                format += QString(qMin(n, 4), QLatin1Char('M'));
            break;
        case 'd':
            format += QString(qMin(n, 4), QLatin1Char('d'));
            break;
        case 'h':
            format += QString(qMin(n, 2), twelveHours ? QLatin1Char('h') : QLatin1Char('H'));
            break;
        case 's':
            format += n == 1 ? QStringLiteral("s") : QStringLiteral("ss");
            break;
        case 'a':
            format += QStringLiteral("AP");
            break;
        default:
            format += quoted(t.literal);
            break;
        }
    }
    return format;
}

} // namespace

QString builtinNumberFormat(int id)
{
    static const QHash<int, QString> formats {
        {14, QStringLiteral("yyyy/m/d")},
        {15, QStringLiteral("d-mmm-yy")},
        {16, QStringLiteral("d-mmm")},
        {17, QStringLiteral("mmm-yy")},
        {18, QStringLiteral("h:mm AM/PM")},
        {19, QStringLiteral("h:mm:ss AM/PM")},
        {20, QStringLiteral("h:mm")},
        {21, QStringLiteral("h:mm:ss")},
        {22, QStringLiteral("yyyy/m/d h:mm")},
        {27, QStringLiteral("yyyy\"年\"m\"月\"")},
        {28, QStringLiteral("m\"月\"d\"日\"")},
        {29, QStringLiteral("m\"月\"d\"日\"")},
        {30, QStringLiteral("m-d-yy")},
        {31, QStringLiteral("yyyy\"年\"m\"月\"d\"日\"")},
        {32, QStringLiteral("h\"时\"mm\"分\"")},
        {33, QStringLiteral("h\"时\"mm\"分\"ss\"秒\"")},
        {34, QStringLiteral("上午/下午h\"时\"mm\"分\"")},
        {35, QStringLiteral("上午/下午h\"时\"mm\"分\"ss\"秒\"")},
        {36, QStringLiteral("yyyy\"年\"m\"月\"")},
        {45, QStringLiteral("mm:ss")},
        {46, QStringLiteral("[h]:mm:ss")},
        {47, QStringLiteral("mm:ss.0")},
        {50, QStringLiteral("yyyy\"年\"m\"月\"")},
        {51, QStringLiteral("m\"月\"d\"日\"")},
        {52, QStringLiteral("yyyy\"年\"m\"月\"")},
        {53, QStringLiteral("m\"月\"d\"日\"")},
        {54, QStringLiteral("m\"月\"d\"日\"")},
        {55, QStringLiteral("上午/下午h\"时\"mm\"分\"")},
        {56, QStringLiteral("上午/下午h\"时\"mm\"分\"ss\"秒\"")},
        {57, QStringLiteral("yyyy\"年\"m\"月\"")},
        {58, QStringLiteral("m\"月\"d\"日\"")},
    };
    return formats.value(id);
}

bool isDateFormat(const QString &code)
{
    if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return false;
    for (const Token &t : tokens(code))
        if (!t.letter.isNull())
            return true;
    return false;
}

QString shownSheetDate(double serial, const QString &code, bool date1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465) // 9999-12-31
        return QString::number(serial);
    qint64 days = qint64(std::floor(serial));
    qint64 msecs = std::llround((serial - double(days)) * 86400.0) * 1000; // to the second
    if (msecs >= 86400000) {
        ++days;
        msecs -= 86400000;
    }
    QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    // The sheets count a 29 February 1900 that never was.
    if (!date1904 && days < 60)
        base = base.addDays(1);
    const QDateTime when(base.addDays(days), QTime::fromMSecsSinceStartOfDay(int(msecs)));
    return QLocale(QLocale::Chinese, QLocale::China).toString(when, qtFormat(tokens(code)));
}

} // namespace tarvex
