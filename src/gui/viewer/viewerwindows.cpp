#include "gui/viewer/viewerwindows.h"

#include "gui/viewer/dataform.h"

namespace tarvex {

QWidget *createDataForm()
{
    return new DataForm;
}

} // namespace tarvex
