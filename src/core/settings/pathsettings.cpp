#include "settings/pathsettings.h"

#include "app/paths.h"
#include "common/error.h"
#include "common/ini.h"
#include "common/savefile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("sysPath");

void writeKey(const QString &iniFile, const QString &key, const QString &value)
{
    QString reason;
    if (!WriteIni(iniFile, kSection, key, value, &reason))
        throw Error(cannotWriteText(iniFile, reason));
}

} // namespace

PathSettings readPathSettings(const QString &iniFile)
{
    return {ReadIni(iniFile, kSection, QStringLiteral("path1")), ReadIni(iniFile, kSection, QStringLiteral("path2"))};
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
    writeKey(iniFile, QStringLiteral("path1"), path1);
    writeKey(iniFile, QStringLiteral("path2"), path2);
    QString message = QStringLiteral("设置成功!重新启动软件后生效!");
    for (const QString &folder : {path1, path2}) {
        if (!QFileInfo(resolveFolderSetting(folder)).isDir())
            message += QStringLiteral("\n文件夹不存在: ") + QDir::toNativeSeparators(folder);
    }
    return message;
}

} // namespace tarvex
