#include "viewer/viewerwindows.h"

#include <QtGlobal>

namespace tarvex {

QWidget *createDataForm()
{
    return nullptr;
}

} // namespace tarvex
