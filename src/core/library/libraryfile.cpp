#include "core/library/libraryfile.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
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

// A file made before versions were kept is a library when it holds the table
// data with the columns the windows read; an empty file becomes one.
void checkIsLibrary(QSqlDatabase &db, const QString &path)
{
    const int tables = sqlScalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%'"), {}, db)
                           .toInt();
    if (tables == 0)
        return;
    QStringList columns;
    QSqlQuery info = sqlExec(QStringLiteral("PRAGMA table_info(data)"), {}, db);
    while (info.next())
        columns.append(info.value(1).toString().toLower());
    if (columns.isEmpty())
        throw Error(QStringLiteral("文件 %1 不是图库文件: 其中没有图库记录表 data").arg(nativePath(path)));
    for (const char *name : {"id", "mc", "xl", "bmp", "xls", "bz"})
        if (!columns.contains(QLatin1String(name)))
            throw Error(
                QStringLiteral("文件 %1 不是图库文件: 表 data 缺少列 %2").arg(nativePath(path), QLatin1String(name)));
}

QStringList libraryStatements()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS data (ID INTEGER PRIMARY KEY, mc TEXT, xl TEXT, bmp BLOB, "
                       "xls BLOB, bz TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS xmName (xmName TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS xcys (xcys TEXT)"),
        // The tree reads (mc, xl) from the index alone; a series' pages are
        // read by mc in ID order.
        QStringLiteral("CREATE INDEX IF NOT EXISTS data_Series ON data (mc)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS data_SeriesName ON data (mc, xl)"),
    };
}

// The versions of xltDb.sqlite: new upgrade steps are appended here.
SchemaPlan librarySchemaPlan(const QString &path)
{
    SchemaPlan plan;
    plan.adopt = [path](QSqlDatabase &db) { checkIsLibrary(db, path); };
    plan.steps.append({1, libraryStatements()});
    return plan;
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

LibraryConnection::LibraryConnection(const QString &path, MissingLibrary missing)
    : m_path(path)
{
    static QAtomicInt counter;
    m_name = QStringLiteral("xltDb-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
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
    return QSqlDatabase::database(m_name, false);
}

} // namespace tarvex
