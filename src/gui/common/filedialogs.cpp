#include "gui/common/filedialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QList>
#include <QLocale>

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

// Qt's own dialog (used where the desktop offers none) names the type of
// an entry and writes its date from the system's locale, which on many
// machines is English whatever the translation loaded: both in Chinese here.
class ChineseFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != kType && index.column() != kDate))
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        if (index.column() == kDate)
            return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        if (info.isDir())
            return QStringLiteral("文件夹");
        return info.suffix().isEmpty() ? QStringLiteral("文件") : info.suffix() + QStringLiteral(" 文件");
    }

private:
    static constexpr int kType = 2;
    static constexpr int kDate = 3;
};

// Shows a file dialog; empty text when cancelled.
QString runFileDialog(QFileDialog &dialog)
{
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
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
    QFileDialog dialog(QApplication::activeWindow(), title, effectiveFolder(initialFolder), effectiveFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog);
}

QString ShowSaveDialog(const QString &title, const QString &filter, const QString &initialFolder)
{
    if (auto answer = scripted(title, filter))
        return *answer;
    QFileDialog dialog(QApplication::activeWindow(), title, effectiveFolder(initialFolder), effectiveFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The caller asks before overwriting, so the dialog does not.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return runFileDialog(dialog);
}

QString BrowseFolder()
{
    const QString title = QStringLiteral("请选择所需要的路径:");
    if (auto answer = scripted(title, QString()))
        return *answer;
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return runFileDialog(dialog);
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
