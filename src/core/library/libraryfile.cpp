#include "core/library/libraryfile.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/libraryschema.h"
#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace tarvex {

namespace {

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString libraryFileName()
{
    return QStringLiteral("xltDb.sqlite");
}

QString libraryFilePath(const QString &folderSetting)
{
    return QDir(resolveFolderSetting(folderSetting)).filePath(libraryFileName());
}

QString currentLibraryFile()
{
    QString folder = appState().libraryFolder;
    if (folder.isEmpty())
        folder = ReadIni(iniPath(), QStringLiteral("sysPath"), QStringLiteral("path2"));
    return libraryFilePath(folder);
}

LibraryConnection::LibraryConnection(const QString &path)
    : m_path(path)
{
    static QAtomicInt counter;
    m_name = QStringLiteral("xltDb-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw Error(QStringLiteral("图库文件夹不存在: ") + QDir::toNativeSeparators(info.absolutePath()));
    if (info.exists() && !info.isFile())
        throw Error(QStringLiteral("图库文件 %1 不是普通文件").arg(nativePath(path)));
    try {
        Database::openFile(path, m_name, librarySchemaPlan(path), Database::Journal::Rollback);
    } catch (const Error &e) {
        if (e.message().contains(nativePath(path)))
            throw;
        throw Error(QStringLiteral("无法打开图库文件 %1: %2").arg(nativePath(path), e.message()));
    }
}

LibraryConnection::~LibraryConnection()
{
    Database::close(m_name);
}

QSqlDatabase LibraryConnection::db() const
{
    return QSqlDatabase::database(m_name, false);
}

} // namespace tarvex
