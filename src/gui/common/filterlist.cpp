#include "gui/common/filterlist.h"

#include "gui/common/flexgrid.h"

#include <QComboBox>

namespace tarvex {

void fillFilterList(QComboBox *combo, FlexGrid *grid, const QString &source, const GridFilter &filter)
{
    const QString col = grid->headerText(grid->col());
    const QRect cell = grid->cellRect(grid->row(), grid->col());
    const QPoint topLeft = grid->mapTo(combo->parentWidget(), cell.topLeft());
    combo->setGeometry(topLeft.x(), topLeft.y(), cell.width(), qMax(cell.height(), combo->sizeHint().height()));
    combo->clear();
    combo->setPlaceholderText(grid->textMatrix(grid->row(), grid->col()).trimmed());
    combo->raise();
    combo->show();

    const QStringList values = filterListValues(source, col, filter);
    combo->addItem(QStringLiteral("全部"));
    combo->addItems(values);
    combo->setCurrentIndex(-1);
}

} // namespace tarvex
