#include "gui/common/forms.h"

#include "core/common/db/sqlgridmodel.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/document/xlsxtable.h"
#include "gui/common/flexgrid.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QUrl>

namespace tarvex {

namespace {

QWidget *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("MainForm"))
            return w;
    return nullptr;
}

QList<QWidget *> openForms()
{
    QList<QWidget *> forms;
    if (QWidget *main = mainWindow()) {
        forms.append(main);
        if (auto *area = main->findChild<QMdiArea *>())
            for (QMdiSubWindow *sub : area->subWindowList())
                if (sub->widget())
                    forms.append(sub->widget());
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isWindow() && w->isVisible() && !forms.contains(w) && !w->objectName().isEmpty())
            forms.append(w);
    return forms;
}

} // namespace

void CloseChildWindows()
{
    QWidget *main = mainWindow();
    for (QWidget *form : openForms())
        if (form != main)
            closeForm(form);
}

void closeForm(QWidget *form)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        sub->close();
    else
        form->close();
}

void setSmallDialogFrame(QWidget *dialog)
{
    dialog->setWindowFlags((dialog->windowFlags() & Qt::WindowStaysOnTopHint) | Qt::Dialog | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

bool IsFormLoaded(const QString &name)
{
    for (QWidget *form : openForms())
        if (form->objectName() == name)
            return true;
    return false;
}

bool openWithDesktop(const QString &path)
{
    if (qEnvironmentVariableIsSet("TARVEX_NO_OPEN"))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString FlexToExcel(const FlexGrid *grid)
{
    const QString folder = programFile(QStringLiteral("temp1"));
    const QString path = QDir(folder).filePath(QStringLiteral("导出数据-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral(".xlsx"));
    const SqlGridModel *model = grid->gridModel();
    int cutCells = 0;
    try {
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(folder));
        if (model->query().isEmpty()) {
            cutCells = writeXlsxTable(path, grid->allTexts());
        } else {
            // A large page takes seconds: show how far it is and let the user stop it.
            QProgressDialog progress(QStringLiteral("正在导出数据..."), QStringLiteral("取消"), 0,
                qMax(model->recordCount(), 1), grid->window());
            progress.setWindowTitle(QStringLiteral("系统提示"));
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(400);
            const QueryExport done = exportQueryToXlsx(path, model->query(), model->queryValues(), model->database(),
                model->recordCount(), [&](qint64 rows, qint64 total) {
                    progress.setMaximum(int(qMin<qint64>(total, INT_MAX)));
                    progress.setValue(int(qMin<qint64>(rows, INT_MAX)));
                    return !progress.wasCanceled();
                });
            if (done.cancelled)
                return QString();
            cutCells = done.cutCells;
        }
    } catch (const Error &e) {
        reportError(e.message());
        return QString();
    }
    QString text = exportDoneText(cutCells);
    if (!openWithDesktop(path))
        text += QStringLiteral("\n") + QDir::toNativeSeparators(path);
    messages().information(text);
    return path;
}

} // namespace tarvex
