#include "core/rawedit/rawrecords.h"

#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/rawedit/rawlayout.h"

namespace tarvex {

namespace {

Error unknownKind(MaterialKind kind)
{
    return Error(QStringLiteral("未知的数据类别: %1").arg(int(kind)));
}

QString at(const QStringList &list, int index)
{
    return index >= 0 && index < list.size() ? list.at(index) : QString();
}

// The trimmed text of a 1-based editor row.
QString boxText(const QStringList &boxes, int row)
{
    return at(boxes, row - 1).trimmed();
}

QString plainCaption(MaterialKind kind, int row)
{
    QString caption = rawEditorLayout(kind).rows.at(row - 1).caption;
    return caption.remove(QLatin1Char(' '));
}

// The value to store in a number column: refused when it is not a number, so
// a mistyped length never reaches the quotation as text.
QVariant numberToStore(MaterialKind kind, const QStringList &boxes, int row)
{
    const QString text = boxText(boxes, row);
    double value = 0;
    if (!parseNumber(text, &value))
        throw Error(plainCaption(kind, row) + QStringLiteral("不是有效的数字: ") + text);
    return value;
}

QVariant optionalText(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

// Conditions that find a stored row again from every value it was shown
// with. Texts compare as the columns do (without regard to letter case); of
// several rows that match, one whose texts are exactly the shown ones comes
// first, then the first stored.
class RowMatch {
public:
    RowMatch() = default;

    // An empty text stands for Null as well as '': the grid shows both alike.
    void text(const QString &column, const QString &value)
    {
        if (value.isEmpty()) {
            add(QStringLiteral("(") + column + QStringLiteral(" IS NULL OR ") + column + QStringLiteral("='')"));
            return;
        }
        add(column + QStringLiteral("=?"), value);
        m_exact.append(column);
        m_exactValues.append(value);
    }

    // A number is compared as the number it was shown as (the grid shows the
    // shortest text that reads back as the stored value). A text that is no
    // number is compared as text, so a bad stored value can still be found.
    void number(const QString &column, const QString &shown)
    {
        double value = 0;
        if (shown.trimmed().isEmpty())
            add(column + QStringLiteral(" IS NULL"));
        else if (parseNumber(shown, &value))
            add(column + QStringLiteral("=?"), value);
        else
            add(column + QStringLiteral("=?"), shown);
    }

    void id(qint64 value) { add(QStringLiteral("ID=?"), value); }

    // rowid of the first matching row, or -1.
    qint64 firstRow(const QString &table, QSqlDatabase db) const
    {
        QString order;
        if (!m_exact.isEmpty()) {
            QStringList exact;
            for (const QString &column : m_exact)
                exact.append(exactTextEquals(column, db));
            order = QStringLiteral("(") + exact.join(QStringLiteral(" AND ")) + QStringLiteral(") DESC NULLS LAST,");
        }
        const QVariant rowid = sqlScalar(QStringLiteral("SELECT rowid FROM ") + table + QStringLiteral(" WHERE ")
                + m_where.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY ") + order
                + QStringLiteral("rowid LIMIT 1"),
            m_values + m_exactValues, db);
        return rowid.isValid() ? rowid.toLongLong() : -1;
    }

private:
    void add(const QString &condition, const QVariant &value = QVariant())
    {
        m_where.append(condition);
        if (value.isValid())
            m_values.append(value);
    }

    QStringList m_where;
    QVariantList m_values;
    QStringList m_exact;
    QVariantList m_exactValues;
};

// The match for a material row of window id: values are the texts of its
// fields in the order 代号,长度 / 名称,规格,技术要求,数量 / 名称,面积.
RowMatch materialMatch(MaterialKind kind, qint64 id, const QStringList &values)
{
    RowMatch match;
    match.id(id);
    switch (kind) {
    case MaterialKind::Profile:
        match.text(QStringLiteral("代号"), at(values, 0));
        match.number(QStringLiteral("长度"), at(values, 1));
        break;
    case MaterialKind::Accessory:
        match.text(QStringLiteral("名称"), at(values, 0));
        match.text(QStringLiteral("规格"), at(values, 1));
        match.text(QStringLiteral("技术要求"), at(values, 2));
        match.number(QStringLiteral("数量"), at(values, 3));
        break;
    case MaterialKind::Glass:
        match.text(QStringLiteral("名称"), at(values, 0));
        match.number(QStringLiteral("面积"), at(values, 1));
        break;
    default:
        throw unknownKind(kind);
    }
    return match;
}

// The match for a window row: ID, 门窗系列, 窗号, 框面积, 洞口面积 as shown.
RowMatch windowMatch(const QStringList &values)
{
    bool ok = false;
    const qint64 id = at(values, 0).trimmed().toLongLong(&ok);
    if (!ok)
        throw Error(QStringLiteral("数据ID不是整数: ") + at(values, 0));
    RowMatch match;
    match.id(id);
    match.text(QStringLiteral("门窗系列"), at(values, 1));
    match.text(QStringLiteral("窗号"), at(values, 2));
    match.number(QStringLiteral("框面积"), at(values, 3));
    match.number(QStringLiteral("洞口面积"), at(values, 4));
    return match;
}

// rowid of the first row the match finds; throws with what was looked for.
qint64 requireRow(const RowMatch &match, MaterialKind kind, QSqlDatabase db, const QString &what)
{
    const qint64 rowid = match.firstRow(rawTableName(kind), db);
    if (rowid < 0)
        throw Error(QStringLiteral("在") + rawTableName(kind) + QStringLiteral("中没有找到") + what);
    return rowid;
}

void deleteRow(MaterialKind kind, qint64 rowid, QSqlDatabase db)
{
    sqlExec(QStringLiteral("DELETE FROM ") + rawTableName(kind) + QStringLiteral(" WHERE rowid=?"), {rowid}, db);
}

} // namespace

QString rawTableName(MaterialKind kind)
{
    switch (kind) {
    case MaterialKind::Profile:
        return QStringLiteral("LcTemp");
    case MaterialKind::Accessory:
        return QStringLiteral("PjTemp");
    case MaterialKind::Glass:
        return QStringLiteral("BlTemp");
    case MaterialKind::Window:
        return QStringLiteral("MjTemp");
    }
    throw unknownKind(kind);
}

int findWindowId(const QString &series, const QString &windowCode, QSqlDatabase db)
{
    // The texts compare as the columns do; a window spelt exactly so wins.
    const QVariant id = sqlScalar(QStringLiteral("SELECT ID FROM MjTemp WHERE 门窗系列=? AND 窗号=? ORDER BY (")
            + exactTextEquals(QStringLiteral("门窗系列"), db) + QStringLiteral(" AND ")
            + exactTextEquals(QStringLiteral("窗号"), db) + QStringLiteral(") DESC NULLS LAST,rowid LIMIT 1"),
        {series, windowCode, series, windowCode}, db);
    if (!id.isValid() || id.isNull())
        throw Error(QStringLiteral("没有找到门窗: 门窗系列 ") + series + QStringLiteral(", 窗号 ") + windowCode);
    return id.toInt();
}

int nextWindowId(QSqlDatabase db)
{
    const QVariant highest = sqlScalar(QStringLiteral("SELECT MAX(ID) FROM MjTemp"), {}, db);
    return highest.isNull() ? 1 : highest.toInt() + 1;
}

void addRawEntry(MaterialKind kind, const QStringList &boxes, QSqlDatabase db)
{
    // The window comes first: a missing window is reported before any check
    // of the typed values, and nothing is written.
    const int id = kind == MaterialKind::Window ? nextWindowId(db) : findWindowId(at(boxes, 0), at(boxes, 1), db);
    switch (kind) {
    case MaterialKind::Profile:
        sqlExec(QStringLiteral("INSERT INTO LcTemp (ID,代号,长度) VALUES(?,?,?)"),
            {id, boxText(boxes, 3), numberToStore(kind, boxes, 4)}, db);
        break;
    case MaterialKind::Accessory:
        sqlExec(QStringLiteral("INSERT INTO PjTemp (ID,名称,规格,技术要求,数量) VALUES(?,?,?,?,?)"),
            {id, boxText(boxes, 3), optionalText(boxText(boxes, 4)), optionalText(boxText(boxes, 5)),
                numberToStore(kind, boxes, 6)},
            db);
        break;
    case MaterialKind::Glass:
        sqlExec(QStringLiteral("INSERT INTO BlTemp (ID,名称,面积) VALUES(?,?,?)"),
            {id, boxText(boxes, 3), numberToStore(kind, boxes, 4)}, db);
        break;
    case MaterialKind::Window:
        sqlExec(QStringLiteral("INSERT INTO MjTemp (ID,门窗系列,窗号,框面积,洞口面积) VALUES(?,?,?,?,?)"),
            {id, boxText(boxes, 2), boxText(boxes, 3), numberToStore(kind, boxes, 4), numberToStore(kind, boxes, 5)},
            db);
        break;
    default:
        throw unknownKind(kind);
    }
}

void modifyRawEntry(MaterialKind kind, const QStringList &boxes, const QStringList &oldValues, QSqlDatabase db)
{
    const QString notFound = QStringLiteral("要修改的记录");
    if (kind == MaterialKind::Window) {
        const QVariantList values
            = {boxText(boxes, 2), boxText(boxes, 3), numberToStore(kind, boxes, 4), numberToStore(kind, boxes, 5)};
        const qint64 rowid = requireRow(windowMatch(oldValues), kind, db, notFound);
        sqlExec(QStringLiteral("UPDATE MjTemp SET 门窗系列=?,窗号=?,框面积=?,洞口面积=? WHERE rowid=?"),
            values + QVariantList {rowid}, db);
        return;
    }
    // Series and window code are shown as stored: "S70 " is looked up so.
    const int id = findWindowId(at(boxes, 0), at(boxes, 1), db);
    const qint64 rowid = requireRow(materialMatch(kind, id, oldValues), kind, db, notFound);
    switch (kind) {
    case MaterialKind::Profile:
        sqlExec(QStringLiteral("UPDATE LcTemp SET 代号=?,长度=? WHERE rowid=?"),
            {boxText(boxes, 3), numberToStore(kind, boxes, 4), rowid}, db);
        break;
    case MaterialKind::Accessory:
        sqlExec(QStringLiteral("UPDATE PjTemp SET 名称=?,规格=?,技术要求=?,数量=? WHERE rowid=?"),
            {boxText(boxes, 3), optionalText(boxText(boxes, 4)), optionalText(boxText(boxes, 5)),
                numberToStore(kind, boxes, 6), rowid},
            db);
        break;
    case MaterialKind::Glass:
        sqlExec(QStringLiteral("UPDATE BlTemp SET 名称=?,面积=? WHERE rowid=?"),
            {boxText(boxes, 3), numberToStore(kind, boxes, 4), rowid}, db);
        break;
    default:
        throw unknownKind(kind);
    }
}

void deleteViewerRow(MaterialKind kind, const QStringList &columns, QSqlDatabase db)
{
    const QString notFound = QStringLiteral("要删除的记录");
    if (kind == MaterialKind::Window) {
        deleteRow(kind, requireRow(windowMatch(columns), kind, db, notFound), db);
        return;
    }
    const int id = findWindowId(at(columns, 0), at(columns, 1), db);
    deleteRow(kind, requireRow(materialMatch(kind, id, columns.mid(2)), kind, db, notFound), db);
}

void clearWorkingTable(MaterialKind kind, QSqlDatabase db)
{
    sqlExec(QStringLiteral("DELETE FROM ") + rawTableName(kind), {}, db);
}

} // namespace tarvex
