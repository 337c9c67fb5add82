#include "quote/quotewindows.h"

#include <QtGlobal>

namespace tarvex {

void runQuoteDialog(QWidget *parent)
{
    Q_UNUSED(parent);
}

} // namespace tarvex
