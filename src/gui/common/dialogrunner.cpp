#include "gui/common/dialogrunner.h"

#include <QDialog>

namespace tarvex {

namespace {

DialogRunner &runner()
{
    static DialogRunner run;
    return run;
}

} // namespace

int runDialog(QDialog *dialog)
{
    // A copy: the runner may replace itself while it runs.
    const DialogRunner run = runner();
    return run ? run(dialog) : dialog->exec();
}

void setDialogRunner(DialogRunner run)
{
    runner() = std::move(run);
}

} // namespace tarvex
