#include "core/common/shownvalue.h"

namespace tarvex {

namespace {

constexpr qsizetype kShownChars = 60;

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0);
}

void appendEscaped(QString &out, QChar c)
{
    switch (c.unicode()) {
    case '\r':
        out += QLatin1String("\\r");
        return;
    case '\n':
        out += QLatin1String("\\n");
        return;
    case '\t':
        out += QLatin1String("\\t");
        return;
    default:
        break;
    }
    if (isControl(c))
        out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else if (c.category() == QChar::Other_Format || c.category() == QChar::Separator_Line
        || c.category() == QChar::Separator_Paragraph)
        out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    else
        out += c;
}

} // namespace

QString shownValue(QStringView value)
{
    QString out = QStringLiteral("'");
    qsizetype i = 0;
    for (; i < value.size() && i < kShownChars; ++i) {
        // Never cut a surrogate pair in two.
        if (i == kShownChars - 1 && value[i].isHighSurrogate())
            break;
        appendEscaped(out, value[i]);
    }
    out += QLatin1Char('\'');
    if (i < value.size())
        out = out.chopped(1) + QStringLiteral("…' (共 %1 个字符)").arg(value.size());
    return out;
}

bool hasControlCharacter(QStringView text)
{
    for (const QChar c : text)
        if (isControl(c) && c != u'\t' && c != u'\n' && c != u'\r')
            return true;
    return false;
}

} // namespace tarvex
