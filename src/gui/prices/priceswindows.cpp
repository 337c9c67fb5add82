#include "gui/prices/priceswindows.h"

#include "gui/prices/disform.h"

namespace tarvex {

QWidget *createDisForm()
{
    return new DisForm;
}

} // namespace tarvex
