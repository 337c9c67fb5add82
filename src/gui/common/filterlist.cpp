#include "common/filterlist.h"

#include "common/database.h"
#include "common/flexgrid.h"
#include "common/sqlgridmodel.h"

#include <QComboBox>
#include <QSqlQuery>

namespace tarvex {

void fillFilterList(QComboBox *combo, FlexGrid *grid, const QString &source, const QString &filterText)
{
    const QString col = grid->headerText(grid->col());
    const QRect cell = grid->cellRect(grid->row(), grid->col());
    const QPoint topLeft = grid->mapTo(combo->parentWidget(), cell.topLeft());
    combo->setGeometry(topLeft.x(), topLeft.y(), cell.width(), qMax(cell.height(), combo->sizeHint().height()));
    combo->clear();
    combo->setPlaceholderText(grid->textMatrix(grid->row(), grid->col()).trimmed());
    combo->raise();
    combo->show();

    QSqlQuery query = sqlExec(QStringLiteral("SELECT distinct ") + col + QStringLiteral(" FROM ") + source + filterText
            + QStringLiteral(" ORDER BY ") + col,
        {}, Database::shared());
    combo->addItem(QStringLiteral("全部"));
    while (query.next())
        if (!query.value(0).isNull())
            combo->addItem(SqlGridModel::displayText(query.value(0), col));
    combo->setCurrentIndex(-1);
}

} // namespace tarvex
