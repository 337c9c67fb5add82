#include "core/common/db/sqlitefailure.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace tarvex {

namespace {

QString cannotOpen(const QString &file, const QString &shown)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isWritable())
        return QStringLiteral("数据库文件 %1 是只读的").arg(shown);
    if (!QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("数据库文件 %1 所在的文件夹是只读的或没有访问权限").arg(shown);
    return QStringLiteral("无法打开数据库文件 %1").arg(shown);
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (db.isOpen() && v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

} // namespace

bool isFileFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_PERM:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
        return true;
    default:
        return false;
    }
}

QString sqliteFailureText(const QString &file, int code, const QString &engineText)
{
    if (!isFileFailure(code))
        return engineText;
    const QString shown = QDir::toNativeSeparators(file);
    QString what;
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        what = QStringLiteral("数据库文件 %1 已损坏或不是数据库文件").arg(shown);
        break;
    case SQLITE_READONLY:
        what = QStringLiteral("数据库文件 %1 是只读的, 无法写入").arg(shown);
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        what = QStringLiteral("数据库文件 %1 被其他程序锁定, 请等它完成后重试").arg(shown);
        break;
    case SQLITE_FULL:
        what = QStringLiteral("磁盘空间不足, 无法写入数据库文件 %1").arg(shown);
        break;
    case SQLITE_CANTOPEN:
        what = cannotOpen(file, shown);
        break;
    case SQLITE_PERM:
        what = QStringLiteral("没有权限访问数据库文件 %1").arg(shown);
        break;
    default:
        what = QStringLiteral("读写数据库文件 %1 时出错").arg(shown);
        break;
    }
    return engineText.isEmpty() ? what : what + QStringLiteral(": ") + engineText;
}

QString sqliteFailureText(const QSqlError &error, const QSqlDatabase &db)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok) {
        sqlite3 *handle = handleOf(db);
        code = handle ? sqlite3_errcode(handle) : SQLITE_ERROR;
    }
    return sqliteFailureText(db.databaseName(), code, text);
}

QString sqliteFailureText(sqlite3 *handle)
{
    const char *file = sqlite3_db_filename(handle, "main");
    return sqliteFailureText(QString::fromUtf8(file ? file : ""), sqlite3_extended_errcode(handle),
        QString::fromUtf8(sqlite3_errmsg(handle)));
}

} // namespace tarvex
