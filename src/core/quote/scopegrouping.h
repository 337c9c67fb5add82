#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

namespace tarvex {

// How a grouped query makes one of its fields from a group's rows.
enum class GroupField {
    Key, // a grouping term, its values compared as stored
    TextKey, // a grouping term of a column whose texts compare letter case aside
    Sum, // SUM(expression)
    First, // FIRST(expression): the value of the group's first row
    NullCount, // COUNT(*)-COUNT(expression): the rows where it is Null
};

struct GroupColumn {
    GroupField field;
    QString expression;
};

// One field of a group, as SQLite gives the grouped query's field.
struct GroupValue {
    enum Type : quint8 { Null, Integer, Real, Text };
    Type type = Null;
    union {
        qint64 integer = 0;
        double real;
        quint32 text; // the pass's text number
    };
};

// The texts of a pass's groups, each kept once, as stored and decoded.
struct GroupTexts {
    QVector<QByteArray> utf8;
    QVector<QString> decoded;
    QHash<QByteArray, quint32> numbers;

    quint32 numberOf(QByteArrayView text);
};

// A group's fields, read as a RowCursor's row of the grouped query is read.
class GroupRow {
public:
    GroupRow(const GroupValue *values, const GroupTexts *texts)
        : m_values(values)
        , m_texts(texts)
    {
    }

    bool isNull(int column) const { return m_values[column].type == GroupValue::Null; }
    bool isInteger(int column) const { return m_values[column].type == GroupValue::Integer; }
    bool isReal(int column) const { return m_values[column].type == GroupValue::Real; }
    qint64 integer(int column) const;
    double real(int column) const;
    QVariant value(int column) const;
    QByteArrayView utf8(int column) const;
    // A text field decoded once for the pass, shared by every group that holds it.
    QString text(int column) const;

private:
    const GroupValue *m_values;
    const GroupTexts *m_texts;
};

// A text as a NOCASE column compares it: ASCII letters in lower case.
QByteArray noCaseKey(QByteArrayView utf8);

// How the rows of one scope item lie in the view's stored order: one after
// the other (as a project's rows are loaded, window by window), or anywhere.
enum class ItemRuns { Expected, Any };

enum class GroupingResult {
    Grouped,
    ItemsInterleaved, // with ItemRuns::Expected: an item's rows came back after another's
    ForSqlite, // a value SQLite's own conversions decide: bytes, a text to add up, a whole-number sum beyond 2^53
};

// Groups a file's view by its scope column and the columns' keys in one pass
// over the view's rows in their stored order, as SQLite's GROUP BY over the
// same rows groups them (each group's rows in that order), without sorting
// every row: a scope item has only a few groups. A row's scope value is
// looked up in items (its noCaseKey to the item's number). onGroup gets each
// item's groups together, in the order of their keys (NULLS FIRST), and the
// groups whose scope value is Null as item -1; the items come in no set
// order. With ItemRuns::Expected an item's groups are passed on as soon as
// its rows end, so that only one item's groups are held.
// Unless the result is Grouped, some groups may have been passed on: the
// caller discards them. Throws Error, also when a row's scope value is no
// item's.
GroupingResult groupScopeRows(const QSqlDatabase &db, const QString &view, const QString &scopeColumn,
    const QVector<GroupColumn> &columns, const QHash<QByteArray, int> &items, ItemRuns runs,
    const std::function<void(const GroupRow &, int item)> &onGroup);

} // namespace tarvex
