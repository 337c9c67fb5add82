#include "core/common/db/bulkrows.h"

#include "core/common/db/database.h"
#include "core/common/db/dberror.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/sqlitestatement.h"
#include "core/common/error.h"
#include "core/common/numbers.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <libpq-fe.h>

#include <charconv>

namespace tarvex {

namespace {

constexpr int kBatchRows = 2000;
constexpr qsizetype kCopySlice = 1 << 20;

// The statement with each ? replaced by its value as an SQL literal, for
// the statements a server cannot take parameters in (DECLARE).
QString withLiterals(const QString &sql, const QVariantList &values, const QSqlDatabase &db)
{
    QString out;
    int next = 0;
    bool quoted = false;
    for (QChar c : sql) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (c == QLatin1Char('?') && !quoted && next < values.size()) {
            const QVariant &value = values.at(next++);
            QSqlField field(QString(), value.metaType());
            field.setValue(value);
            out += db.driver()->formatValue(field);
            continue;
        }
        out += c;
    }
    return out;
}

[[noreturn]] void failCopy(PGconn *conn, PGresult *result, const QSqlDatabase &db)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    QString reason = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn)).trimmed();
    if (reason.startsWith(QLatin1String("ERROR:")))
        reason = reason.mid(6).trimmed();
    if (result)
        PQclear(result);
    while (PGresult *rest = PQgetResult(conn))
        PQclear(rest);
    if (serverConnectionLost(db))
        reason = connectionLostText(db, reason);
    throw DatabaseError(reason, state ? QString::fromLatin1(state) : QString());
}

// The result of the COPY sent last on the connection, whichever table it
// filled; nothing when none is on its way.
void awaitCopy(PGconn *conn, const QSqlDatabase &db)
{
    if (PQtransactionStatus(conn) != PQTRANS_ACTIVE)
        return;
    PGresult *result = PQgetResult(conn);
    if (PQresultStatus(result) != PGRES_COMMAND_OK)
        failCopy(conn, result, db);
    PQclear(result);
    while ((result = PQgetResult(conn)))
        PQclear(result);
}

} // namespace

QByteArray copyNumber(double value)
{
    char buffer[32];
    const auto done = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(done.ptr - buffer));
}

QByteArray copyText(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

RowCursor::RowCursor(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
    : m_db(db)
{
    if (!onServer(db)) {
        m_file = std::make_unique<SqliteStatement>(db, sql);
        for (int i = 0; i < values.size(); ++i)
            m_file->bind(i + 1, values.at(i));
        return;
    }
    if (!serverInTransaction(db))
        m_transaction = std::make_unique<ReadTransaction>(db);
    static QAtomicInt counter;
    m_cursor = QStringLiteral("tarvex_rows_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
    sqlExec(QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR ").arg(m_cursor) + withLiterals(sql, values, db), {}, db);
    fetch();
}

RowCursor::~RowCursor()
{
    if (!m_cursor.isEmpty() && serverInTransaction(m_db)) {
        QSqlQuery close(m_db);
        close.exec(QStringLiteral("CLOSE ") + m_cursor);
    }
}

void RowCursor::fetch()
{
    QSqlQuery query = sqlExec(QStringLiteral("FETCH FORWARD %1 FROM %2").arg(kBatchRows).arg(m_cursor), {}, m_db);
    const QSqlRecord record = query.record();
    if (m_names.isEmpty())
        for (int i = 0; i < record.count(); ++i)
            m_names.append(record.fieldName(i));
    m_batch.clear();
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(query.value(i));
        m_batch.append(row);
    }
    m_exhausted = m_batch.size() < kBatchRows;
    m_at = -1;
}

bool RowCursor::next()
{
    if (m_file)
        return m_file->next();
    if (m_at + 1 >= m_batch.size()) {
        if (m_exhausted)
            return false;
        fetch();
        if (m_batch.isEmpty())
            return false;
    }
    ++m_at;
    return true;
}

int RowCursor::columnCount() const
{
    return m_file ? m_file->columnCount() : int(m_names.size());
}

QString RowCursor::columnName(int column) const
{
    return m_file ? m_file->columnName(column) : m_names.value(column);
}

bool RowCursor::isNull(int column) const
{
    return m_file ? m_file->isNull(column) : m_batch.at(m_at).at(column).isNull();
}

bool RowCursor::isInteger(int column) const
{
    if (m_file)
        return m_file->isInteger(column);
    return numberKind(m_batch.at(m_at).at(column)) == NumberKind::Whole;
}

bool RowCursor::isReal(int column) const
{
    if (m_file)
        return m_file->isReal(column);
    return numberKind(m_batch.at(m_at).at(column)) == NumberKind::Real;
}

qint64 RowCursor::integer(int column) const
{
    return m_file ? m_file->integer(column) : m_batch.at(m_at).at(column).toLongLong();
}

double RowCursor::real(int column) const
{
    return m_file ? m_file->real(column) : m_batch.at(m_at).at(column).toDouble();
}

QVariant RowCursor::value(int column) const
{
    return m_file ? m_file->value(column) : m_batch.at(m_at).at(column);
}

QStringView RowCursor::text(int column) const
{
    if (m_file)
        return m_file->text(column);
    m_text = m_batch.at(m_at).at(column).toString();
    return m_text;
}

QByteArrayView RowCursor::utf8(int column) const
{
    if (m_file)
        return m_file->utf8(column);
    m_utf8 = m_batch.at(m_at).at(column).toString().toUtf8();
    return m_utf8;
}

RepeatedQuery::RepeatedQuery(const QSqlDatabase &db, const QString &sql)
    : m_db(db)
{
    if (!onServer(db)) {
        m_file = std::make_unique<SqliteStatement>(db, sql);
        return;
    }
    m_server = std::make_unique<QSqlQuery>(db);
    if (!m_server->prepare(sql))
        throw DatabaseError(serverErrorText(m_server->lastError(), db), serverSqlState(m_server->lastError()));
}

RepeatedQuery::~RepeatedQuery() = default;

void RepeatedQuery::bind(int position, const QVariant &value)
{
    if (m_file) {
        m_file->bind(position, value);
        return;
    }
    if (m_values.size() < position)
        m_values.resize(position);
    m_values[position - 1] = value;
}

bool RepeatedQuery::next()
{
    if (m_file)
        return m_file->next();
    if (!m_ran) {
        for (int i = 0; i < m_values.size(); ++i)
            m_server->bindValue(i, m_values.at(i));
        if (!m_server->exec())
            throw DatabaseError(serverErrorText(m_server->lastError(), m_db), serverSqlState(m_server->lastError()));
        m_ran = true;
    }
    return m_server->next();
}

void RepeatedQuery::reset()
{
    if (m_file) {
        m_file->reset();
        return;
    }
    m_server->finish();
    m_ran = false;
}

QVariant RepeatedQuery::value(int column) const
{
    return m_server ? m_server->value(column) : m_file->value(column);
}

BulkInsert::BulkInsert(const QSqlDatabase &db, const QString &table, const QStringList &columns)
    : m_db(db)
{
    if (!onServer(db)) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks.append(QStringLiteral("?"));
        m_file = std::make_unique<SqliteStatement>(db,
            QStringLiteral("INSERT INTO %1 (%2) VALUES(%3)")
                .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        return;
    }
    if (!serverHandle(db))
        throw Error(QStringLiteral("数据库未打开"));
    m_copy = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QLatin1Char(','))).toUtf8();
    m_fields.resize(columns.size());
}

BulkInsert::~BulkInsert() = default;

void BulkInsert::bind(int position, double value)
{
    if (m_file)
        m_file->bind(position, value);
    else
        m_fields[position - 1] = copyNumber(value);
}

void BulkInsert::bind(int position, QStringView text)
{
    if (m_file)
        m_file->bind(position, text);
    else
        m_fields[position - 1] = copyText(text);
}

void BulkInsert::bind(int position, const QVariant &value)
{
    if (m_file) {
        m_file->bind(position, value);
        return;
    }
    QByteArray &field = m_fields[position - 1];
    switch (numberKind(value)) {
    case NumberKind::Real:
        field = copyNumber(value.toDouble());
        return;
    case NumberKind::Whole:
        field = QByteArray::number(value.toLongLong());
        return;
    case NumberKind::None:
        break;
    }
    if (value.isNull())
        field = QByteArray("\\N");
    else if (value.typeId() == QMetaType::QByteArray)
        field = "\\\\x" + value.toByteArray().toHex(); // bytea in hex, its backslash escaped for COPY
    else
        field = copyText(value.toString());
}

void BulkInsert::execute()
{
    if (m_file) {
        m_file->execute();
        return;
    }
    for (int i = 0; i < m_fields.size(); ++i) {
        if (i > 0)
            m_pending += '\t';
        m_pending += m_fields.at(i);
    }
    m_pending += '\n';
    if (m_pending.size() >= kCopySlice)
        flush();
}

void BulkInsert::finish()
{
    if (m_file)
        return;
    flush();
    if (PGconn *conn = serverHandle(m_db))
        awaitCopy(conn, m_db);
}

// A slice goes out without waiting for the server to store it: the rows
// that follow are read meanwhile, and the result is taken before the
// connection's next COPY or at finish().
void BulkInsert::flush()
{
    if (m_pending.isEmpty())
        return;
    PGconn *conn = serverHandle(m_db);
    if (!conn)
        throw Error(QStringLiteral("数据库未打开"));
    awaitCopy(conn, m_db);
    PGresult *result = PQexec(conn, m_copy.constData());
    if (PQresultStatus(result) != PGRES_COPY_IN)
        failCopy(conn, result, m_db);
    PQclear(result);
    const bool sent = PQputCopyData(conn, m_pending.constData(), int(m_pending.size())) == 1;
    m_pending.clear();
    if (PQputCopyEnd(conn, sent ? nullptr : "tarvex: sending failed") != 1)
        failCopy(conn, nullptr, m_db);
}

IndexesSetAside::IndexesSetAside(const QSqlDatabase &db, const QStringList &tables)
    : m_db(db)
{
    if (!onServer(db) || tables.isEmpty())
        return;
    QStringList names;
    for (const QString &table : tables)
        names.append(QStringLiteral("'%1'").arg(table.toLower()));
    const QString ours = QStringLiteral("c.relnamespace = current_schema()::text::regnamespace AND c.relname IN (%1) "
                                        "AND pg_has_role(c.relowner, 'USAGE') "
                                        "AND NOT EXISTS (SELECT 1 FROM pg_constraint f WHERE f.confrelid = c.oid)")
                             .arg(names.join(QLatin1Char(',')));
    QStringList drop;
    QSqlQuery keys = sqlExec(QStringLiteral("SELECT k.conrelid::regclass::text, quote_ident(k.conname), "
                                            "pg_get_constraintdef(k.oid) FROM pg_constraint k "
                                            "JOIN pg_class c ON c.oid = k.conrelid WHERE k.contype IN ('p','u') AND ")
            + ours,
        {}, db);
    while (keys.next()) {
        const QString table = keys.value(0).toString();
        const QString name = keys.value(1).toString();
        drop.append(QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(table, name));
        m_restore.append(
            QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3").arg(table, name, keys.value(2).toString()));
    }
    QSqlQuery indexes = sqlExec(QStringLiteral("SELECT i.indexrelid::regclass::text, pg_get_indexdef(i.indexrelid) "
                                               "FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid WHERE NOT EXISTS "
                                               "(SELECT 1 FROM pg_constraint k WHERE k.conindid = i.indexrelid) AND ")
            + ours,
        {}, db);
    while (indexes.next()) {
        drop.append(QStringLiteral("DROP INDEX ") + indexes.value(0).toString());
        m_restore.append(indexes.value(1).toString());
    }
    for (const QString &sql : drop)
        sqlExec(sql, {}, db);
}

void IndexesSetAside::rebuild()
{
    for (const QString &sql : std::as_const(m_restore))
        sqlExec(sql, {}, m_db);
    m_restore.clear();
}

} // namespace tarvex
