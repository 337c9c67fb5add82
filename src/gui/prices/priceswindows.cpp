#include "prices/priceswindows.h"

namespace tarvex {

QWidget *createDisForm()
{
    return nullptr;
}

} // namespace tarvex
