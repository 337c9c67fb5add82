#include "core/settings/pathsettings.h"

#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("sysPath");

} // namespace

PathSettings readPathSettings(const QString &iniFile)
{
    const IniFile ini(iniFile);
    return {ini.value(kSection, QStringLiteral("path1")), ini.value(kSection, QStringLiteral("path2"))};
}

QString cleanFolderText(const QString &text)
{
    QString clean = text;
    clean.remove(QRegularExpression(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]")));
    return clean.trimmed();
}

QString savePathSettings(const QString &iniFile, const PathSettings &settings)
{
    const QString path1 = cleanFolderText(settings.dataFolder);
    const QString path2 = cleanFolderText(settings.libraryFolder);
    // Both folders in one write; the reason already names the file.
    QString reason;
    if (!WriteIni(iniFile, kSection, {{QStringLiteral("path1"), path1}, {QStringLiteral("path2"), path2}}, &reason))
        throw Error(reason);
    QString message = QStringLiteral("设置成功!重新启动软件后生效!");
    for (const QString &folder : {path1, path2}) {
        if (!QFileInfo(resolveFolderSetting(folder)).isDir())
            message += QStringLiteral("\n文件夹不存在: ") + QDir::toNativeSeparators(folder);
    }
    return message;
}

} // namespace tarvex
