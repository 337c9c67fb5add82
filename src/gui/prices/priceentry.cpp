#include "prices/priceentry.h"

#include <QtGlobal>

namespace tarvex {

void showPriceEntryDialog(QWidget *parent, FlexGrid *grid, const char *caption, bool showSteps)
{
    Q_UNUSED(parent);
    Q_UNUSED(grid);
    Q_UNUSED(caption);
    Q_UNUSED(showSteps);
}

} // namespace tarvex
