#include "gui/common/filedialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>

#include <optional>

namespace tarvex {

namespace {

struct DialogScript {
    QList<QString> nextNames;
    QString lastFilter;
    QString lastTitle;
};

DialogScript &script()
{
    static DialogScript s;
    return s;
}

QString effectiveFilter(const QString &filter)
{
    if (!filter.isEmpty())
        return filter;
    return QStringLiteral("Text Files (*.txt);;All Files (*.*)");
}

QString effectiveFolder(const QString &folder)
{
    if (!folder.isEmpty() && QFileInfo(folder).exists())
        return folder;
    return QDir::currentPath();
}

std::optional<QString> scripted(const QString &title, const QString &filter)
{
    script().lastTitle = title;
    script().lastFilter = effectiveFilter(filter);
    if (script().nextNames.isEmpty())
        return std::nullopt;
    return script().nextNames.takeFirst();
}

} // namespace

QString ShowOpenDialog(const QString &title, const QString &filter, const QString &initialFolder)
{
    if (auto answer = scripted(title, filter))
        return *answer;
    return QFileDialog::getOpenFileName(
        QApplication::activeWindow(), title, effectiveFolder(initialFolder), effectiveFilter(filter));
}

QString ShowSaveDialog(const QString &title, const QString &filter, const QString &initialFolder)
{
    if (auto answer = scripted(title, filter))
        return *answer;
    // The caller asks before overwriting, so the dialog does not.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, effectiveFolder(initialFolder),
        effectiveFilter(filter), nullptr, QFileDialog::DontConfirmOverwrite);
}

QString BrowseFolder()
{
    if (auto answer = scripted(QStringLiteral("请选择所需要的路径:"), QString()))
        return *answer;
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), QStringLiteral("请选择所需要的路径:"));
}

void setNextFileName(const QString &path)
{
    script().nextNames.append(path);
}

QString lastDialogFilter()
{
    return script().lastFilter;
}

QString lastDialogTitle()
{
    return script().lastTitle;
}

} // namespace tarvex
