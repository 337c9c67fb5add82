#include "quote/quotewindows.h"

#include "quote/bjform.h"

namespace tarvex {

void runQuoteDialog(QWidget *parent)
{
    BjForm form(parent);
    form.exec();
}

} // namespace tarvex
