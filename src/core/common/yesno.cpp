#include "core/common/yesno.h"

namespace tarvex {

QString yesNoText(bool yes)
{
    return yes ? QStringLiteral("是") : QStringLiteral("否");
}

bool readYesNo(const QString &text, bool *yes)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("1") || t == QLatin1String("true") || t == QStringLiteral("是"))
        *yes = true;
    else if (t == QLatin1String("0") || t == QLatin1String("false") || t == QStringLiteral("否"))
        *yes = false;
    else
        return false;
    return true;
}

} // namespace tarvex
