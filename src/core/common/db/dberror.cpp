#include "core/common/db/dberror.h"

#include <sqlite3.h>

namespace tarvex {

namespace {

// What each primary result code means to the user.
QString plainWords(int code)
{
    switch (code & 0xff) {
    case SQLITE_ERROR:
        return QStringLiteral("数据库语句出错");
    case SQLITE_PERM:
        return QStringLiteral("没有访问数据库文件的权限");
    case SQLITE_ABORT:
        return QStringLiteral("数据库操作被中止");
    case SQLITE_BUSY:
        return QStringLiteral("数据库正被其他程序使用, 请稍后重试");
    case SQLITE_LOCKED:
        return QStringLiteral("数据表正被锁定");
    case SQLITE_NOMEM:
        return QStringLiteral("内存不足");
    case SQLITE_READONLY:
        return QStringLiteral("数据库文件只读, 不能写入");
    case SQLITE_IOERR:
        return QStringLiteral("读写数据库文件时出错");
    case SQLITE_CORRUPT:
        return QStringLiteral("数据库文件已损坏");
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满, 数据没有写入");
    case SQLITE_CANTOPEN:
        return QStringLiteral("文件或其文件夹不能读写");
    case SQLITE_PROTOCOL:
        return QStringLiteral("数据库文件的锁定出错");
    case SQLITE_SCHEMA:
        return QStringLiteral("数据库结构在操作中被改变");
    case SQLITE_TOOBIG:
        return QStringLiteral("数据过大");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("数据不符合数据库的约束");
    case SQLITE_MISMATCH:
        return QStringLiteral("数据类型不符");
    case SQLITE_AUTH:
        return QStringLiteral("没有执行该操作的权限");
    case SQLITE_NOTADB:
        return QStringLiteral("文件不是数据库");
    default:
        return QString();
    }
}

} // namespace

QString sqliteErrorText(int resultCode, const QString &engineText)
{
    const QString words = plainWords(resultCode);
    if (words.isEmpty())
        return engineText;
    if (engineText.isEmpty())
        return words;
    return words + QStringLiteral(" (") + engineText + QLatin1Char(')');
}

QString databaseErrorText(const QSqlError &error, const QSqlDatabase &db)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    bool numbered = false;
    const int code = error.nativeErrorCode().toInt(&numbered);
    if (!numbered || db.driverName() != QLatin1String("QSQLITE"))
        return text;
    return sqliteErrorText(code, text);
}

} // namespace tarvex
