// Raw data files: opening and saving the working tables.
#include "gui/app/mainform.h"

#include "core/common/appstate.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/rawdata/workingtables.h"
#include "core/rawdata/xdtwriter.h"
#include "core/viewer/viewerpages.h"
#include "gui/common/filedialogs.h"
#include "gui/viewer/dataform.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

namespace tarvex {

namespace {

const QString kFilter = QStringLiteral("报价数据 (*.xdt)");

// A large project takes a second or so to load or save.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QString withExtension(const QString &name)
{
    if (name.right(3).toLower() != QStringLiteral("xdt"))
        return name + QStringLiteral(".xdt");
    return name;
}

} // namespace

bool MainForm::OpenFile(const QString &path)
{
    try {
        const WaitCursor wait;
        loadRawDataFile(path);
    } catch (const Error &e) {
        messages().warning(QStringLiteral("打开文件出错:") + e.message());
        return false;
    }
    showViewerWindow(viewerCaption(path));
    return true;
}

bool MainForm::SaveFile()
{
    return saveWorkingTables(QStringLiteral("保存"), QStringLiteral("请输入要保存的文件名后重试!"), false);
}

bool MainForm::SaveasFile()
{
    // Save as always asks: writing over the current file would lose the very
    // file the user wants to keep.
    return saveWorkingTables(QStringLiteral("另存为"), QStringLiteral("请输入要另存的文件名后重试!"), true);
}

bool MainForm::saveWorkingTables(const QString &dialogTitle, const QString &cancelMessage, bool askForName)
{
    QString path = appState().currentFilePath;
    if (path.isEmpty() || askForName) {
        const QString name = ShowSaveDialog(dialogTitle, kFilter, programFolder());
        if (name.isEmpty()) {
            messages().warning(cancelMessage);
            return false;
        }
        path = withExtension(name);
        if (QFileInfo::exists(path)
            && !messages().question(QStringLiteral("文件:") + path + QStringLiteral("已存在,是否将其覆盖?")))
            return false;
    }
    try {
        const WaitCursor wait;
        writeRawDataFile(path);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    appState().currentFilePath = path;
    // The viewer shows the data of the file just written, under its name.
    if (auto *viewer = openChild<DataForm>())
        viewer->setWindowTitle(viewerCaption(path));
    messages().information(QStringLiteral("保存文件成功!"));
    return true;
}

} // namespace tarvex
