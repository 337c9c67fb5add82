#include "gui/library/librarywindows.h"

#include "gui/library/dwgform.h"
#include "gui/library/xlditem.h"

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
