#include "gui/quote/quotewindows.h"

#include "gui/quote/bjform.h"

namespace tarvex {

void runQuoteDialog(QWidget *parent)
{
    BjForm form(parent);
    form.exec();
}

} // namespace tarvex
