#include "core/common/keytext.h"

namespace tarvex {

QString foldedKey(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

bool sameKey(const QString &a, const QString &b)
{
    return a.size() == b.size() && foldedKey(a) == foldedKey(b);
}

} // namespace tarvex
