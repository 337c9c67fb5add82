#include "core/app/commandline.h"

namespace tarvex {

QString commandLinePath(const QStringList &arguments)
{
    QString text = arguments.mid(1).join(QLatin1Char(' ')).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

} // namespace tarvex
