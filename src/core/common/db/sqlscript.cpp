#include "core/common/db/sqlscript.h"

#include "core/common/db/database.h"
#include "core/common/db/engine.h"
#include "core/common/db/sqlitefailure.h"
#include "core/common/error.h"
#include "core/common/io/textcodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sqlite3.h>

namespace tarvex {

namespace {

// The statement's text after blanks and comments.
QByteArrayView firstWords(QByteArrayView sql)
{
    for (;;) {
        sql = sql.trimmed();
        if (sql.startsWith("--")) {
            const qsizetype end = sql.indexOf('\n');
            sql = end < 0 ? QByteArrayView() : sql.sliced(end + 1);
        } else if (sql.startsWith("/*")) {
            const qsizetype end = sql.indexOf("*/");
            sql = end < 0 ? QByteArrayView() : sql.sliced(end + 2);
        } else {
            return sql;
        }
    }
}

// Transaction statements of the script itself: the whole script already runs
// in one transaction.
bool isTransactionControl(const char *sql)
{
    const QByteArray word = firstWords(sql).toByteArray().left(8).toUpper();
    return word.startsWith("BEGIN") || word.startsWith("COMMIT") || word.startsWith("END");
}

class Statement {
public:
    ~Statement() { sqlite3_finalize(m_statement); }
    sqlite3_stmt **slot() { return &m_statement; }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

// A server takes one statement at a time: the script is cut at each ';'
// outside comments, quotes and dollar quotes. Each statement comes with the
// line of its first word.
struct ScriptStatement {
    QString sql;
    int line = 0;
};

QList<ScriptStatement> splitScript(const QString &script)
{
    QList<ScriptStatement> statements;
    QString current;
    int line = 1;
    int startLine = 0;
    const qsizetype n = script.size();
    const auto add = [&](QStringView text) {
        if (startLine == 0 && !text.trimmed().isEmpty())
            startLine = line;
        current += text;
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = script.at(i);
        const QChar next = i + 1 < n ? script.at(i + 1) : QChar();
        qsizetype end = i + 1;
        if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            end = script.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? n : end;
            i = end; // a comment is left out
            continue;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            int depth = 0;
            for (end = i; end < n; ++end) {
                if (script.mid(end, 2) == QLatin1String("/*")) {
                    ++depth;
                    ++end;
                } else if (script.mid(end, 2) == QLatin1String("*/") && --depth == 0) {
                    end += 2;
                    break;
                } else if (script.at(end) == QLatin1Char('\n')) {
                    ++line;
                }
            }
            current += QLatin1Char(' ');
            i = qMin(end, n);
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const bool escapes = c == QLatin1Char('\'') && i > 0 && script.at(i - 1).toUpper() == QLatin1Char('E');
            for (end = i + 1; end < n; ++end) {
                if (escapes && script.at(end) == QLatin1Char('\\')) {
                    ++end;
                    continue;
                }
                if (script.at(end) == c) {
                    if (end + 1 < n && script.at(end + 1) == c) {
                        ++end;
                        continue;
                    }
                    ++end;
                    break;
                }
            }
        } else if (c == QLatin1Char('$')) {
            const qsizetype close = script.indexOf(QLatin1Char('$'), i + 1);
            const QString tag = close > i ? script.mid(i, close - i + 1) : QString();
            static const QRegularExpression plainTag(QStringLiteral("^\\$[A-Za-z_]*\\$$"));
            if (!tag.isEmpty() && plainTag.match(tag).hasMatch()) {
                const qsizetype closing = script.indexOf(tag, close + 1);
                end = closing < 0 ? n : closing + tag.size();
            }
        } else if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements.append({current.trimmed(), startLine});
            current.clear();
            startLine = 0;
            i = end;
            continue;
        }
        const QStringView piece = QStringView(script).mid(i, end - i);
        add(piece);
        line += int(piece.count(QLatin1Char('\n')));
        i = end;
    }
    if (!current.trimmed().isEmpty())
        statements.append({current.trimmed(), startLine});
    return statements;
}

void runServerScript(const QString &script, QSqlDatabase db)
{
    const QList<ScriptStatement> statements = splitScript(script);
    inTransaction(db, [&] {
        for (const ScriptStatement &statement : statements) {
            if (isTransactionControl(statement.sql.toUtf8().constData()))
                continue;
            try {
                sqlExec(statement.sql, {}, db);
            } catch (const Error &e) {
                throw Error(QStringLiteral("第%1行: ").arg(statement.line) + e.message());
            }
        }
    });
}

} // namespace

void runSqlScript(const QString &script, QSqlDatabase db)
{
    if (onServer(db)) {
        runServerScript(script, db);
        return;
    }
    sqlite3 *handle = sqliteHandle(db);
    const QByteArray utf8 = script.toUtf8();
    inTransaction(db, [&] {
        const char *next = utf8.constData();
        while (*next) {
            const char *start = next;
            Statement statement;
            int rc = sqlite3_prepare_v2(handle, start, -1, statement.slot(), &next);
            if (rc == SQLITE_OK && statement.get() && !isTransactionControl(sqlite3_sql(statement.get()))) {
                while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) { }
                if (rc == SQLITE_DONE)
                    rc = SQLITE_OK;
            }
            if (rc != SQLITE_OK) {
                // The line of the statement's first word.
                while (*start == ' ' || *start == '\t' || *start == '\r' || *start == '\n')
                    ++start;
                const int line = int(QByteArrayView(utf8.constData(), start - utf8.constData()).count('\n')) + 1;
                throw Error(QStringLiteral("第%1行: ").arg(line) + sqliteFailureText(handle));
            }
        }
    });
}

void runSqlScriptFile(const QString &path, QSqlDatabase db)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("无法读取 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString());
    try {
        runSqlScript(decodeUtf8OrGbk(file.readAll()), db);
    } catch (const Error &e) {
        throw Error(QDir::toNativeSeparators(path) + QLatin1Char(' ') + e.message());
    }
}

} // namespace tarvex
