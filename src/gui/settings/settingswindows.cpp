#include "gui/settings/settingswindows.h"

#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "gui/common/forms.h"
#include "gui/settings/frmabout.h"
#include "gui/settings/setform.h"

#include <QDir>
#include <QFileInfo>

namespace tarvex {

QWidget *createSetForm()
{
    return new SetForm;
}

void showAboutBox(QWidget *parent)
{
    if (auto *open = parent ? parent->findChild<FrmAbout *>(QString(), Qt::FindDirectChildrenOnly) : nullptr) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto *about = new FrmAbout(parent);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void openManual()
{
    const QString path = manualPath();
    if (!QFileInfo(path).isFile()) {
        reportError(QStringLiteral("找不到用户手册 ") + QDir::toNativeSeparators(path));
        return;
    }
    if (!openWithDesktop(path))
        messages().information(
            QStringLiteral("没有可以打开用户手册的浏览器，请用浏览器打开:\n") + QDir::toNativeSeparators(path));
}

} // namespace tarvex
