#include "library/librarywindows.h"

#include "library/dwgform.h"
#include "library/xlditem.h"

namespace tarvex {

namespace {

template <typename Form> QWidget *loaded()
{
    auto *form = new Form;
    if (form->load())
        return form;
    delete form;
    return nullptr;
}

} // namespace

QWidget *createDwgForm()
{
    return loaded<DwgForm>();
}

QWidget *createXldItem()
{
    return loaded<XldItem>();
}

} // namespace tarvex
