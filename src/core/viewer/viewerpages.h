#pragma once

#include "core/common/db/sqlgridmodel.h"
#include "core/prices/missingprices.h"

#include <QString>
#include <QStringList>

namespace tarvex {

// The four pages of the priced data viewer, by index 0..3.
struct ViewerPage {
    QString caption; // tab caption, also named by the clear question
    QString source; // view or table the page shows
};

constexpr int kViewerPageCount = 4;

// Throws Error for an index outside 0..3.
const ViewerPage &viewerPage(int page);

// What fills a page: its source with a filter's SQL tail (empty or
// " WHERE ..." with placeholders) and the values bound to them.
GridSource viewerPageSource(int page, const QString &filterSql = QString(), const QVariantList &values = {});

// The viewer's caption: "报价原始数据编辑", followed by "-" and the path of
// the file the working tables came from or were last saved to.
QString viewerCaption(const QString &filePath = QString());

// The question asked before the page's working table is emptied.
QString clearPageQuestion(int page);

// Whether "入单价库" offers itself: on the profile page only for a row
// without line weight (column 4), on the accessory and glass pages always,
// never on the windows page.
bool priceEntryEnabled(int page, const QString &lineWeightText);

// The keys of the material on a row of pages 0 to 2, by column position:
// series and code of a profile, name, specification and requirement of an
// accessory, the name of a glass.
MaterialKeys viewerRowKeys(int page, const QStringList &row);

} // namespace tarvex
