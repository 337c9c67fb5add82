#include "core/common/columnkind.h"

#include <QSet>

namespace tarvex {

ColumnKind columnKind(const QString &column)
{
    static const QSet<QString> numbers = {
        QStringLiteral("ID"),
        QStringLiteral("编号"),
        QStringLiteral("框面积"),
        QStringLiteral("洞口面积"),
        QStringLiteral("长度"),
        QStringLiteral("数量"),
        QStringLiteral("面积"),
        QStringLiteral("线重"),
        QStringLiteral("单价"),
        QStringLiteral("折扣量"),
        QStringLiteral("费用量"),
        QStringLiteral("百分比"),
    };
    if (column == QStringLiteral("隔热"))
        return ColumnKind::YesNo;
    return numbers.contains(column) ? ColumnKind::Number : ColumnKind::Text;
}

} // namespace tarvex
