#include "core/library/librarytree.h"

#include "core/common/db/database.h"

#include <QHash>
#include <QSet>

namespace tarvex {

LibraryTree buildLibraryTree(const QVector<LibraryTreeRow> &rows)
{
    LibraryTree tree;
    QHash<QString, int> seriesIndex;
    QSet<QPair<QString, QString>> pairs;
    for (const LibraryTreeRow &row : rows) {
        auto found = seriesIndex.constFind(row.series);
        if (found == seriesIndex.cend()) {
            found = seriesIndex.insert(row.series, tree.size());
            tree.append({row.series, {}});
        }
        if (!pairs.contains({row.series, row.name})) {
            pairs.insert({row.series, row.name});
            tree[*found].templates.append(row.name);
        }
    }
    return tree;
}

LibraryTree readLibraryTree(QSqlDatabase db)
{
    // One row per pair with its first record, read from the (mc, xl) index
    // alone; sorting by that record gives the order of first occurrence.
    QSqlQuery query
        = sqlExec(QStringLiteral("SELECT mc, xl, MIN(ID) AS first FROM data GROUP BY mc, xl ORDER BY first"), {}, db);
    QVector<LibraryTreeRow> rows;
    while (query.next())
        rows.append({query.value(0).toString(), query.value(1).toString()});
    return buildLibraryTree(rows);
}

} // namespace tarvex
