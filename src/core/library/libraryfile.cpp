#include "core/library/libraryfile.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/libraryschema.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
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

bool isProgramFolderLibrary(const QString &path)
{
    const auto clean = [](const QString &file) { return QDir::cleanPath(QFileInfo(file).absoluteFilePath()); };
    return clean(path) == clean(libraryFilePath(QString()));
}

QString currentLibraryFile()
{
    QString folder = appState().libraryFolder;
    if (folder.isEmpty())
        folder = ReadIni(iniPath(), QStringLiteral("sysPath"), QStringLiteral("path2"));
    return libraryFilePath(folder);
}

bool libraryOnServer()
{
    return !Database::settingsInUse().libraryInFile();
}

namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("xltDb-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

} // namespace

LibraryConnection::LibraryConnection()
    : m_name(nextConnectionName())
{
    const DatabaseSettings settings = Database::settingsInUse();
    if (settings.libraryInFile()) {
        openFile(currentLibraryFile(), MissingLibrary::CreateInProgramFolder);
        return;
    }
    QSqlDatabase db = openServerConnection(settings.conninfo, {sharedSchemaName(), QStringLiteral("public")}, m_name);
    try {
        checkSharedSchema(db, librarySchemaPlan(QString()));
    } catch (const Error &) {
        db = QSqlDatabase();
        Database::close(m_name);
        throw;
    }
}

LibraryConnection::LibraryConnection(const QString &path, MissingLibrary missing)
    : m_name(nextConnectionName())
{
    openFile(path, missing);
}

void LibraryConnection::openFile(const QString &path, MissingLibrary missing)
{
    m_path = path;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw Error(QStringLiteral("图库文件夹不存在: ") + QDir::toNativeSeparators(info.absolutePath()));
    if (info.exists() && !info.isFile())
        throw Error(QStringLiteral("图库文件 %1 不是普通文件").arg(nativePath(path)));
    if (!info.exists() && missing == MissingLibrary::CreateInProgramFolder && !isProgramFolderLibrary(path))
        throw Error(QStringLiteral("图库文件夹 %1 中没有图库文件 %2")
                        .arg(QDir::toNativeSeparators(info.absolutePath()), libraryFileName()));
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
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (serverConnectionLost(db)) {
        try {
            reconnectServer(db);
        } catch (const Error &) {
            // Stays closed: the next statement names the server.
        }
    }
    return db;
}

QString LibraryConnection::where() const
{
    if (!m_path.isEmpty())
        return QDir::toNativeSeparators(m_path);
    return serverLabel(QSqlDatabase::database(m_name, false));
}

} // namespace tarvex
