#pragma once

#include "core/common/db/sqlgridmodel.h"
#include "core/common/materialkind.h"
#include "core/prices/missingprices.h"

#include <QString>
#include <QStringList>

namespace tarvex {

// The four pages of the priced data viewer, one per kind of record in the
// kinds' order.
struct ViewerPage {
    QString caption; // tab caption, also named by the clear question
    QString source; // view or table the page shows
};

constexpr int kViewerPageCount = 4;

// Throws Error for a value outside the four kinds.
const ViewerPage &viewerPage(MaterialKind kind);

// The kind a page shows by its index (0 to 3); throws Error for any other.
MaterialKind viewerPageKind(int page);

// What fills a page: its source with a filter's SQL tail (empty or
// " WHERE ..." with placeholders) and the values bound to them.
GridSource viewerPageSource(MaterialKind kind, const QString &filterSql = QString(), const QVariantList &values = {});

// The viewer's caption: "报价原始数据编辑", followed by "-" and the path of
// the file the working tables came from or were last saved to.
QString viewerCaption(const QString &filePath = QString());

// The question asked before the page's working table is emptied.
QString clearPageQuestion(MaterialKind kind);

// Whether "入单价库" offers itself: on the profile page only for a row
// without line weight (column 4), on the accessory and glass pages always,
// never on the windows page.
bool priceEntryEnabled(MaterialKind kind, const QString &lineWeightText);

// The keys of the material on a row of the profile, accessory or glass page,
// by column position:
// series and code of a profile, name, specification and requirement of an
// accessory, the name of a glass.
MaterialKeys viewerRowKeys(MaterialKind kind, const QStringList &row);

// What "删除数据" and "清空数据" remove: the record of the current row, or
// every record of the page's working table.
enum class FlexDelMode : short { CurrentRecord = 1, WholePage = 2 };

} // namespace tarvex
