#include "core/viewer/viewerpages.h"

#include "core/common/error.h"

#include <QVector>

namespace tarvex {

const ViewerPage &viewerPage(int page)
{
    static const QVector<ViewerPage> pages = {
        {QStringLiteral("主材数据"), QStringLiteral("PriceLc")},
        {QStringLiteral("附件数据"), QStringLiteral("PricePj")},
        {QStringLiteral("玻璃数据"), QStringLiteral("PriceBl")},
        {QStringLiteral("门窗面积数据"), QStringLiteral("MjTemp")},
    };
    if (page < 0 || page >= pages.size())
        throw Error(QStringLiteral("未知的数据页: %1").arg(page));
    return pages.at(page);
}

GridSource viewerPageSource(int page, const QString &filterSql, const QVariantList &values)
{
    return {viewerPage(page).source, filterSql, values, QString()};
}

QString viewerCaption(const QString &filePath)
{
    const QString caption = QStringLiteral("报价原始数据编辑");
    return filePath.isEmpty() ? caption : caption + QLatin1Char('-') + filePath;
}

QString clearPageQuestion(int page)
{
    return QStringLiteral("是否确定清除") + viewerPage(page).caption + QStringLiteral("中所有记录?");
}

bool priceEntryEnabled(int page, const QString &lineWeightText)
{
    if (page == 0)
        return lineWeightText.isEmpty();
    return page == 1 || page == 2;
}

MaterialKeys viewerRowKeys(int page, const QStringList &row)
{
    const auto at = [&](int col) { return row.value(col); };
    MaterialKeys keys;
    if (page == 0) {
        keys.series = at(0);
        keys.code = at(2);
    } else {
        keys.name = at(2);
        if (page == 1) {
            keys.spec = at(3);
            keys.requirement = at(4);
        }
    }
    return keys;
}

} // namespace tarvex
