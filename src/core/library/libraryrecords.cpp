#include "core/library/libraryrecords.h"

#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/library/libraryfile.h"
#include "core/library/librarypicture.h"
#include "core/library/librarytree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace tarvex {

namespace {

constexpr qint64 kMaxPictureBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxWorkbookBytes = 64 * 1024 * 1024;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A server's library kept as a library file: written under a temporary
// name and renamed when whole, so a failed copy leaves no file.
void copyServerLibrary(QSqlDatabase server, const QString &path)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    try {
        LibraryConnection file(part, MissingLibrary::Create);
        QSqlDatabase target = file.db();
        inTransaction(target, [&] {
            const struct {
                const char *table, *columns, *order;
            } tables[]
                = {{"data", "ID,mc,xl,bmp,xls,bz", "ID"}, {"xmName", "xmName", "rowid"}, {"xcys", "xcys", "rowid"}};
            for (const auto &t : tables) {
                const QString columnList = QString::fromLatin1(t.columns);
                QSqlQuery rows = sqlExec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                             .arg(columnList, QLatin1String(t.table), QLatin1String(t.order)),
                    {}, server);
                const int columns = int(columnList.count(QLatin1Char(','))) + 1;
                const QStringList marks(columns, QStringLiteral("?"));
                QSqlQuery insert(target);
                insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(QLatin1String(t.table), columnList, marks.join(QLatin1Char(','))));
                while (rows.next()) {
                    for (int c = 0; c < columns; ++c)
                        insert.bindValue(c, rows.value(c));
                    if (!insert.exec())
                        throw Error(databaseFailureText(insert.lastError(), target));
                }
            }
        });
    } catch (const Error &e) {
        QFile::remove(part);
        throw Error(cannotWriteText(path, e.message()));
    }
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw Error(cannotWriteText(path, QStringLiteral("文件已存在或不能改名")));
    }
}

[[noreturn]] void recordGone(qint32 id)
{
    throw Error(QStringLiteral("图库中已没有编号为 %1 的记录 (可能已被删除)").arg(id));
}

// A whole input file, refused when it is not a regular file or too large.
QByteArray readInputFile(const QString &path, qint64 limit)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("文件不存在: ") + native(path));
    if (!info.isFile())
        throw Error(QStringLiteral("不是普通文件: ") + native(path));
    if (info.size() > limit)
        throw Error(QStringLiteral("文件 %1 太大 (%2 MB), 最多 %3 MB")
                        .arg(native(path))
                        .arg(info.size() / (1024 * 1024))
                        .arg(limit / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取文件 %1: %2").arg(native(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("无法读取文件 %1: %2").arg(native(path), file.errorString()));
    return bytes;
}

QString nullableText(const QString &text)
{
    return text.isEmpty() ? QString() : text;
}

} // namespace

LibraryRecord readLibraryRecord(QSqlDatabase db, qint32 id)
{
    QSqlQuery query = sqlExec(QStringLiteral("SELECT mc, xl, bz FROM data WHERE ID = ?"), {id}, db);
    if (!query.next())
        recordGone(id);
    return {id, query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
}

void modifyLibraryRecord(QSqlDatabase db, const LibraryRecord &record)
{
    const QString description = record.description.trimmed();
    QSqlQuery query = sqlExec(QStringLiteral("UPDATE data SET mc = ?, xl = ?, bz = ? WHERE ID = ?"),
        {record.series.trimmed(), record.name.trimmed(),
            description.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(description), record.id},
        db);
    if (query.numRowsAffected() != 1)
        recordGone(record.id);
}

void deleteLibraryRecord(QSqlDatabase db, qint32 id)
{
    QSqlQuery query = sqlExec(QStringLiteral("DELETE FROM data WHERE ID = ?"), {id}, db);
    if (query.numRowsAffected() != 1)
        recordGone(id);
}

QString clearLibraryRecords(QSqlDatabase db)
{
    QString copy;
    if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM data"), {}, db).toInt() > 0) {
        if (onServer(db)) {
            copy = datedBackupPath(
                dataFolder(), QFileInfo(libraryFileName()).completeBaseName(), QFileInfo(libraryFileName()).suffix());
            copyServerLibrary(db, copy);
        } else {
            const QFileInfo file(db.databaseName());
            copy = datedBackupPath(file.absolutePath(), file.completeBaseName(), file.suffix());
            copyDatabase(db, copy);
        }
    }
    sqlExec(QStringLiteral("DELETE FROM data"), {}, db);
    return copy;
}

QStringList librarySeriesNames(QSqlDatabase db)
{
    QStringList names;
    for (const LibrarySeries &series : readLibraryTree(db))
        names.append(series.name);
    return names;
}

bool LibraryImport::isComplete() const
{
    return !series.trimmed().isEmpty() && !name.trimmed().isEmpty() && !picturePath.trimmed().isEmpty();
}

qint32 importLibraryRecord(QSqlDatabase db, const LibraryImport &request)
{
    const QString series = request.series.trimmed();
    const QString name = request.name.trimmed();
    const QString picturePath = request.picturePath.trimmed();
    const QString workbookPath = request.workbookPath.trimmed();
    if (!request.isComplete())
        throw Error(QStringLiteral("项目填写不完整!请填定完整后重试!"));

    const QByteArray picture = readInputFile(picturePath, kMaxPictureBytes);
    if (const QString refusal = libraryPictureRefusal(picture); !refusal.isEmpty())
        throw Error(QStringLiteral("文件 %1 ").arg(native(picturePath)) + refusal);
    QByteArray workbook;
    if (!workbookPath.isEmpty()) {
        workbook = readInputFile(workbookPath, kMaxWorkbookBytes);
        if (libraryWorkbookFormat(workbook).isEmpty())
            throw Error(QStringLiteral("文件 %1 不是 Excel 工作簿 (.xlsx 或 .xls)").arg(native(workbookPath)));
    }

    QSqlQuery query = sqlExec(QStringLiteral("INSERT INTO data (mc, xl, bmp, xls, bz) VALUES (?, ?, ?, ?, ?)"),
        {series, name, picture, workbook.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(workbook),
            nullableText(request.description.trimmed())},
        db);
    return query.lastInsertId().toInt();
}

QByteArray libraryWorkbook(QSqlDatabase db, qint32 id)
{
    QSqlQuery query = sqlExec(QStringLiteral("SELECT xls FROM data WHERE ID = ?"), {id}, db);
    if (!query.next())
        recordGone(id);
    return query.value(0).toByteArray();
}

QString writeLibraryWorkbookToTemp(QSqlDatabase db, qint32 id)
{
    const QByteArray workbook = libraryWorkbook(db, id);
    if (workbook.isEmpty())
        return QString();
    const LibraryRecord record = readLibraryRecord(db, id);
    QString format = libraryWorkbookFormat(workbook);
    if (format.isEmpty())
        format = QStringLiteral("xlsx");
    const QString folder = programFile(QStringLiteral("temp1"));
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("无法创建文件夹 ") + native(folder));
    const QString path = QDir(folder).filePath(libraryFileBaseName(record.name, id) + QLatin1Char('.') + format);
    saveFileAtomically(path, workbook);
    return path;
}

QStringList exportLibraryRecord(QSqlDatabase db, qint32 id, const QString &folder)
{
    QSqlQuery query = sqlExec(QStringLiteral("SELECT xl, bmp, xls FROM data WHERE ID = ?"), {id}, db);
    if (!query.next())
        throw Error(QStringLiteral("图库中没有编号为 %1 的记录").arg(id));
    const QString base = libraryFileBaseName(query.value(0).toString(), id);
    const QByteArray picture = query.value(1).toByteArray();
    const QByteArray workbook = query.value(2).toByteArray();
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("无法创建文件夹 ") + native(folder));

    QStringList written;
    if (!picture.isEmpty()) {
        QString format = libraryPictureFormat(picture);
        if (format.isEmpty())
            format = QStringLiteral("bin"); // kept as stored, though no reader knows it
        const QString picturePath = QDir(folder).filePath(base + QLatin1Char('.') + format);
        saveFileAtomically(picturePath, picture, Symlinks::Refuse);
        written.append(picturePath);
    }
    if (!workbook.isEmpty()) {
        QString format = libraryWorkbookFormat(workbook);
        if (format.isEmpty())
            format = QStringLiteral("xlsx");
        const QString workbookPath = QDir(folder).filePath(base + QLatin1Char('.') + format);
        saveFileAtomically(workbookPath, workbook, Symlinks::Refuse);
        written.append(workbookPath);
    }
    return written;
}

QVector<LibraryListEntry> listLibraryRecords(QSqlDatabase db)
{
    QVector<LibraryListEntry> entries;
    QSqlQuery query
        = sqlExec(QStringLiteral("SELECT ID, mc, xl, LENGTH(bmp), LENGTH(xls) > 0, bz FROM data ORDER BY ID"), {}, db);
    while (query.next())
        entries.append({query.value(0).toInt(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toLongLong(), query.value(4).toBool(), query.value(5).toString()});
    return entries;
}

} // namespace tarvex
