#include "gui/common/statustext.h"

namespace tarvex {

QString recordCountText(int count)
{
    return QStringLiteral("当前记录数:") + QString::number(count);
}

QString filterPanelText(const QString &filterText)
{
    return QStringLiteral("当前筛选:") + filterText;
}

} // namespace tarvex
