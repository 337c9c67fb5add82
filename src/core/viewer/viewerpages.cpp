#include "core/viewer/viewerpages.h"

#include "core/common/error.h"

#include <QVector>

namespace tarvex {

const ViewerPage &viewerPage(MaterialKind kind)
{
    static const QVector<ViewerPage> pages = {
        {QStringLiteral("主材数据"), QStringLiteral("PriceLc")},
        {QStringLiteral("附件数据"), QStringLiteral("PricePj")},
        {QStringLiteral("玻璃数据"), QStringLiteral("PriceBl")},
        {QStringLiteral("门窗面积数据"), QStringLiteral("MjTemp")},
    };
    const int page = int(kind);
    if (page < 0 || page >= pages.size())
        throw Error(QStringLiteral("未知的数据页: %1").arg(page));
    return pages.at(page);
}

MaterialKind viewerPageKind(int page)
{
    if (page < 0 || page >= kViewerPageCount)
        throw Error(QStringLiteral("未知的数据页: %1").arg(page));
    return kMaterialKinds[page];
}

GridSource viewerPageSource(MaterialKind kind, const QString &filterSql, const QVariantList &values)
{
    return {viewerPage(kind).source, filterSql, values, QString()};
}

QString viewerCaption(const QString &filePath)
{
    const QString caption = QStringLiteral("报价原始数据编辑");
    return filePath.isEmpty() ? caption : caption + QLatin1Char('-') + filePath;
}

QString clearPageQuestion(MaterialKind kind)
{
    return QStringLiteral("是否确定清除") + viewerPage(kind).caption + QStringLiteral("中所有记录?");
}

bool priceEntryEnabled(MaterialKind kind, const QString &lineWeightText)
{
    if (kind == MaterialKind::Profile)
        return lineWeightText.isEmpty();
    return kind == MaterialKind::Accessory || kind == MaterialKind::Glass;
}

MaterialKeys viewerRowKeys(MaterialKind kind, const QStringList &row)
{
    const auto at = [&](int col) { return row.value(col); };
    MaterialKeys keys;
    if (kind == MaterialKind::Profile) {
        keys.series = at(0);
        keys.code = at(2);
    } else {
        keys.name = at(2);
        if (kind == MaterialKind::Accessory) {
            keys.spec = at(3);
            keys.requirement = at(4);
        }
    }
    return keys;
}

} // namespace tarvex
