#include "viewer/viewerwindows.h"

#include "viewer/dataform.h"

namespace tarvex {

QWidget *createDataForm()
{
    return new DataForm;
}

} // namespace tarvex
