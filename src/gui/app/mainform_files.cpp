// Raw data files: opening and saving the working tables.
#include "app/mainform.h"

namespace tarvex {

bool MainForm::OpenFile(const QString &path)
{
    Q_UNUSED(path);
    return false;
}

bool MainForm::SaveFile()
{
    return false;
}

bool MainForm::SaveasFile()
{
    return false;
}

bool MainForm::saveWorkingTables(const QString &dialogTitle, const QString &cancelMessage)
{
    Q_UNUSED(dialogTitle);
    Q_UNUSED(cancelMessage);
    return false;
}

} // namespace tarvex
