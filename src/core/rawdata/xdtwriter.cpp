#include "core/rawdata/xdtwriter.h"

#include "core/common/db/bulkrows.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/common/io/textcodec.h"
#include "core/common/numbers.h"

namespace tarvex {

namespace {

struct TableLayout {
    const char *table;
    const char *prefix;
    int columns; // written by position from the first
};

constexpr TableLayout kTables[] = {
    {"LcTemp", "1|", 3},
    {"BlTemp", "2|", 3},
    {"PjTemp", "3|", 5},
    {"MjTemp", "4|", 5},
};

void appendValue(QString &out, const RowCursor &row, int column, const char *table)
{
    if (row.isNull(column))
        return;
    if (row.isReal(column)) {
        out += plainNumber(row.real(column));
        return;
    }
    if (row.isInteger(column)) {
        out += QString::number(row.integer(column));
        return;
    }
    const QStringView text = row.text(column);
    for (QChar c : text) {
        if (c == QLatin1Char('|') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            throw Error(QString::fromLatin1(table) + QStringLiteral(" 中的文字 '") + text
                + QStringLiteral("' 含有分隔符或换行, 无法写入xdt文件"));
    }
    out += text;
}

// Names the first line GBK cannot hold; only looked for once encoding failed.
QString unencodableLine(const QString &text)
{
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        bool ok = false;
        encodeGbk(line, &ok);
        if (!ok)
            return QStringLiteral("'") + line + QStringLiteral("' 含有GBK编码无法表示的字符, 无法写入xdt文件");
    }
    return QStringLiteral("数据含有GBK编码无法表示的字符, 无法写入xdt文件");
}

} // namespace

QString workingTablesText(QSqlDatabase db)
{
    // The four tables of one project, even when another program loads one meanwhile.
    const ReadTransaction snapshot(db);
    QString out;
    for (const TableLayout &layout : kTables) {
        RowCursor row(
            db, QStringLiteral("SELECT * FROM ") + QLatin1String(layout.table) + QStringLiteral(" ORDER BY rowid"));
        while (row.next()) {
            out += QLatin1String(layout.prefix);
            for (int i = 0; i < layout.columns; ++i) {
                if (i > 0)
                    out += QLatin1Char('|');
                appendValue(out, row, i, layout.table);
            }
            out += QLatin1String("\r\n");
        }
    }
    return out;
}

QByteArray workingTablesBytes(QSqlDatabase db)
{
    const QString text = workingTablesText(db);
    bool ok = false;
    const QByteArray bytes = encodeGbk(text, &ok);
    if (!ok)
        throw Error(unencodableLine(text));
    return bytes;
}

void writeRawDataFile(const QString &path, QSqlDatabase db)
{
    saveFileAtomically(path, workingTablesBytes(db));
}

} // namespace tarvex
