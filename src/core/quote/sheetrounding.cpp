#include "core/quote/sheetrounding.h"

namespace tarvex {

// With s = 10^decimals and w = the value × s rounded to its 15 significant
// digits (a sheet's ROUND to 14 − INT(LOG10(|value × s|)) places), the value
// lies on a half exactly when w − TRUNC(w) is 0.5: such a w is a binary
// number, so the comparison is exact. There TRUNC(w) is the even neighbour
// when it is even; anywhere else ROUND(w,0) is the nearest one.
QString halfEvenFormula(const QString &expression, int decimals)
{
    const QString x = QStringLiteral("(") + expression + QStringLiteral(")");
    const QString scale = QStringLiteral("1") + QString(decimals, QLatin1Char('0'));
    const QString scaled = x + QLatin1Char('*') + scale;
    const QString w = QStringLiteral("ROUND(%1,14-INT(LOG10(ABS(%1))))").arg(scaled);
    return QStringLiteral("IF(%1=0,0,IF(AND(ABS(%2-TRUNC(%2))=0.5,MOD(TRUNC(%2),2)=0),TRUNC(%2),ROUND(%2,0))/%3)")
        .arg(x, w, scale);
}

} // namespace tarvex
