#include "core/common/db/sqlitestatement.h"

#include "core/common/db/sqlitefailure.h"
#include "core/common/error.h"
#include "core/common/numbers.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace tarvex {

namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (db.isOpen() && v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        if (sqlite3 *handle = *static_cast<sqlite3 *const *>(v.constData()))
            return handle;
    throw Error(QStringLiteral("数据库未打开"));
}

} // namespace

SqliteStatement::SqliteStatement(const QSqlDatabase &db, const QString &sql)
    : m_db(handleOf(db))
{
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &m_statement, nullptr) != SQLITE_OK)
        fail();
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bind(int position, double value)
{
    sqlite3_bind_double(m_statement, position, value);
}

void SqliteStatement::bind(int position, QStringView text)
{
    // A null view is an empty text, never Null: the file has no Null.
    static const char16_t empty = 0;
    const void *data = text.isNull() ? &empty : text.utf16();
    sqlite3_bind_text16(m_statement, position, data, int(text.size() * sizeof(char16_t)), SQLITE_STATIC);
}

void SqliteStatement::bind(int position, const QVariant &value)
{
    // A Null of a number type (as a server gives it) is Null, not 0.
    switch (numberKind(value)) {
    case NumberKind::Real:
        sqlite3_bind_double(m_statement, position, value.toDouble());
        return;
    case NumberKind::Whole:
        sqlite3_bind_int64(m_statement, position, value.toLongLong());
        return;
    case NumberKind::None:
        break;
    }
    if (value.isNull()) {
        sqlite3_bind_null(m_statement, position);
        return;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(m_statement, position, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    const QString text = value.toString();
    sqlite3_bind_text16(m_statement, position, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
}

void SqliteStatement::execute()
{
    const int rc = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    if (rc != SQLITE_DONE)
        fail();
}

bool SqliteStatement::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail();
    return false;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

bool SqliteStatement::isInteger(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER;
}

bool SqliteStatement::isReal(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_FLOAT;
}

SqliteStatement::Holds SqliteStatement::holds(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return Holds::Integer;
    case SQLITE_FLOAT:
        return Holds::Real;
    case SQLITE_TEXT:
        return Holds::Text;
    case SQLITE_BLOB:
        return Holds::Bytes;
    default:
        return Holds::Null;
    }
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QStringView SqliteStatement::text(int column) const
{
    const auto *data = static_cast<const char16_t *>(sqlite3_column_text16(m_statement, column));
    const int bytes = sqlite3_column_bytes16(m_statement, column);
    return QStringView(data, bytes / qsizetype(sizeof(char16_t)));
}

QVariant SqliteStatement::value(int column) const
{
    switch (holds(column)) {
    case Holds::Null:
        return QVariant();
    case Holds::Integer:
        return integer(column);
    case Holds::Real:
        return real(column);
    case Holds::Bytes: {
        // Bytes stay bytes: a picture or a PDF read as text would lose some.
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }
    case Holds::Text:
        break;
    }
    return text(column).toString();
}

QByteArrayView SqliteStatement::utf8(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

void SqliteStatement::fail() const
{
    throw Error(sqliteFailureText(m_db));
}

} // namespace tarvex
