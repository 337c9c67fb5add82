#include "prices/priceswindows.h"

#include "prices/disform.h"

namespace tarvex {

QWidget *createDisForm()
{
    return new DisForm;
}

} // namespace tarvex
