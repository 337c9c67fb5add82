#include "core/common/db/sqlquote.h"

namespace tarvex {

QString SqlQuote(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

} // namespace tarvex
