#include "core/quote/scopegrouping.h"

#include "core/common/db/sqlitestatement.h"
#include "core/common/error.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace tarvex {

namespace {

using Type = GroupValue::Type;

// Whole numbers up to this add up exactly as doubles too.
constexpr qint64 kExactWhole = qint64(1) << 53;

// A value to compare and add: a row's column or a group's field.
struct Value {
    Type type = Type::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArrayView text;
};

unsigned char lowered(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

int compareTexts(QByteArrayView a, QByteArrayView b, bool noCase)
{
    const qsizetype common = std::min(a.size(), b.size());
    if (noCase) {
        for (qsizetype i = 0; i < common; ++i) {
            if (const int d = int(lowered(uchar(a[i]))) - int(lowered(uchar(b[i]))))
                return d;
        }
    } else if (common > 0) {
        if (const int d = std::memcmp(a.data(), b.data(), size_t(common)))
            return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// A whole number against a double, exactly.
int compareWholeReal(qint64 i, double r)
{
    if (r < -9223372036854775808.0)
        return 1;
    if (r >= 9223372036854775808.0)
        return -1;
    const auto truncated = qint64(r);
    if (i != truncated)
        return i < truncated ? -1 : 1;
    const auto whole = double(i);
    return whole < r ? -1 : whole > r ? 1 : 0;
}

// As SQLite orders values: Null first, then numbers by value, then texts.
int compareValues(const Value &a, const Value &b, bool noCase)
{
    auto rank = [](Type t) { return t == Type::Null ? 0 : t == Type::Text ? 2 : 1; };
    if (rank(a.type) != rank(b.type))
        return rank(a.type) < rank(b.type) ? -1 : 1;
    if (a.type == Type::Null)
        return 0;
    if (a.type == Type::Text)
        return compareTexts(a.text, b.text, noCase);
    if (a.type == Type::Integer && b.type == Type::Integer)
        return a.integer < b.integer ? -1 : a.integer > b.integer ? 1 : 0;
    if (a.type == Type::Real && b.type == Type::Real)
        return a.real < b.real ? -1 : a.real > b.real ? 1 : 0;
    return a.type == Type::Integer ? compareWholeReal(a.integer, b.real) : -compareWholeReal(b.integer, a.real);
}

quint64 mixed(quint64 hash, quint64 value)
{
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    return hash;
}

// Values that compare equal hash equal: a whole number as the double it
// equals, a text by the letters it compares by.
quint64 hashOf(const Value &v, bool noCase)
{
    if (v.type == Type::Null)
        return 1;
    if (v.type == Type::Text) {
        quint64 h = 14695981039346656037ULL;
        for (const char c : v.text)
            h = (h ^ (noCase ? lowered(uchar(c)) : uchar(c))) * 1099511628211ULL;
        return h;
    }
    double d = v.type == Type::Integer ? double(v.integer) : v.real;
    if (d == 0)
        d = 0; // -0.0 equals 0.0
    quint64 bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

bool isKey(GroupField field)
{
    return field == GroupField::Key || field == GroupField::TextKey;
}

// Groups with a few groups are searched through; more are found through an
// open-addressing table of their hashes.
constexpr size_t kSearchedGroups = 8;

// Groups being made: their fields side by side.
class Groups {
public:
    Groups(const QVector<GroupColumn> &columns, GroupTexts &texts)
        : m_columns(columns)
        , m_width(columns.size())
        , m_texts(texts)
        , m_row(size_t(columns.size()))
    {
    }

    bool isEmpty() const { return m_items.empty(); }

    void clear()
    {
        m_values.clear();
        m_items.clear();
        m_hashes.clear();
        m_slots.clear();
    }

    // Adds a row whose fields start at column 1. False for a value SQLite
    // would convert.
    bool add(const SqliteStatement &row, int item)
    {
        quint64 hash = mixed(0, quint64(item));
        for (int f = 0; f < m_width; ++f) {
            std::optional<Value> v = read(row, f + 1);
            if (!v)
                return false;
            m_row[size_t(f)] = *v;
            if (isKey(m_columns[f].field))
                hash = mixed(hash, hashOf(*v, m_columns[f].field == GroupField::TextKey));
        }
        auto matches = [&](quint32 g) { return m_hashes[g] == hash && m_items[g] == item && sameKeys(g); };
        size_t slot = 0;
        if (m_slots.empty()) {
            for (quint32 g = 0; g < m_items.size(); ++g) {
                if (matches(g))
                    return addTo(g);
            }
        } else {
            for (slot = size_t(hash) & (m_slots.size() - 1); m_slots[slot] != 0;
                 slot = (slot + 1) & (m_slots.size() - 1)) {
                if (matches(m_slots[slot] - 1))
                    return addTo(m_slots[slot] - 1);
            }
        }
        const auto g = quint32(m_items.size());
        if (!m_slots.empty())
            m_slots[slot] = g + 1;
        m_items.push_back(item);
        m_hashes.push_back(hash);
        for (int f = 0; f < m_width; ++f) {
            GroupValue start;
            if (isKey(m_columns[f].field) || m_columns[f].field == GroupField::First)
                start = stored(m_row[size_t(f)]);
            else if (m_columns[f].field == GroupField::NullCount)
                start.type = Type::Integer;
            m_values.push_back(start);
        }
        if (m_slots.empty() ? m_items.size() > kSearchedGroups : m_items.size() * 2 > m_slots.size())
            grow();
        return addTo(g);
    }

    void emitGroups(const std::function<void(const GroupRow &, int)> &onGroup) const
    {
        std::vector<quint32> order(m_items.size());
        for (quint32 g = 0; g < order.size(); ++g)
            order[g] = g;
        std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
            if (m_items[a] != m_items[b])
                return m_items[a] < m_items[b];
            for (int f = 0; f < m_width; ++f) {
                if (!isKey(m_columns[f].field))
                    continue;
                const bool noCase = m_columns[f].field == GroupField::TextKey;
                if (const int d = compareValues(field(a, f), field(b, f), noCase))
                    return d < 0;
            }
            return false;
        });
        for (const quint32 g : order)
            onGroup(GroupRow(&m_values[size_t(g) * size_t(m_width)], &m_texts), m_items[g]);
    }

private:
    static std::optional<Value> read(const SqliteStatement &row, int column)
    {
        Value v;
        switch (row.holds(column)) {
        case SqliteStatement::Holds::Null:
            break;
        case SqliteStatement::Holds::Integer:
            v.type = Type::Integer;
            v.integer = row.integer(column);
            break;
        case SqliteStatement::Holds::Real:
            v.type = Type::Real;
            v.real = row.real(column);
            break;
        case SqliteStatement::Holds::Text:
            v.type = Type::Text;
            v.text = row.utf8(column);
            break;
        case SqliteStatement::Holds::Bytes:
            return std::nullopt;
        }
        return v;
    }

    Value field(quint32 group, int f) const
    {
        const GroupValue &g = m_values[size_t(group) * size_t(m_width) + size_t(f)];
        Value v;
        v.type = g.type;
        if (g.type == Type::Integer)
            v.integer = g.integer;
        else if (g.type == Type::Real)
            v.real = g.real;
        else if (g.type == Type::Text)
            v.text = m_texts.utf8.at(g.text);
        return v;
    }

    bool sameKeys(quint32 group) const
    {
        for (int f = 0; f < m_width; ++f) {
            const GroupField kind = m_columns[f].field;
            if (isKey(kind) && compareValues(field(group, f), m_row[size_t(f)], kind == GroupField::TextKey) != 0)
                return false;
        }
        return true;
    }

    GroupValue stored(const Value &v)
    {
        GroupValue g;
        g.type = v.type;
        if (v.type == Type::Integer) {
            g.integer = v.integer;
        } else if (v.type == Type::Real) {
            g.real = v.real;
        } else if (v.type == Type::Text) {
            g.text = m_texts.numberOf(v.text);
        }
        return g;
    }

    // SUM() as SQLite adds: whole numbers as a whole number, a double
    // (0.0 plus the values in their order) once one value is a double.
    static bool addUp(GroupValue &sum, const Value &v)
    {
        if (v.type == Type::Null)
            return true;
        if (v.type == Type::Text)
            return false;
        if (v.type == Type::Real) {
            sum.real = (sum.type == Type::Integer       ? double(sum.integer)
                               : sum.type == Type::Real ? sum.real
                                                        : 0.0)
                + v.real;
            sum.type = Type::Real;
            return true;
        }
        if (sum.type == Type::Real) {
            sum.real += double(v.integer);
            return true;
        }
        if (v.integer > kExactWhole || v.integer < -kExactWhole)
            return false;
        const qint64 total = (sum.type == Type::Integer ? sum.integer : 0) + v.integer;
        if (total > kExactWhole || total < -kExactWhole)
            return false;
        sum.type = Type::Integer;
        sum.integer = total;
        return true;
    }

    bool addTo(quint32 group)
    {
        GroupValue *fields = &m_values[size_t(group) * size_t(m_width)];
        for (int f = 0; f < m_width; ++f) {
            const Value &v = m_row[size_t(f)];
            if (m_columns[f].field == GroupField::Sum && !addUp(fields[f], v))
                return false;
            if (m_columns[f].field == GroupField::NullCount && v.type == Type::Null)
                ++fields[f].integer;
        }
        return true;
    }

    void grow()
    {
        std::vector<quint32> table(std::max<size_t>(4 * kSearchedGroups, m_slots.size() * 2), 0);
        for (quint32 g = 0; g < m_items.size(); ++g) {
            size_t slot = size_t(m_hashes[g]) & (table.size() - 1);
            while (table[slot] != 0)
                slot = (slot + 1) & (table.size() - 1);
            table[slot] = g + 1;
        }
        m_slots.swap(table);
    }

    const QVector<GroupColumn> &m_columns;
    const int m_width;
    GroupTexts &m_texts;
    std::vector<Value> m_row; // the row being added
    std::vector<GroupValue> m_values; // m_width per group
    std::vector<int> m_items;
    std::vector<quint64> m_hashes;
    std::vector<quint32> m_slots; // a group's number + 1, 0 for none; empty while searched through
};

} // namespace

qint64 GroupRow::integer(int column) const
{
    const GroupValue &v = m_values[column];
    switch (v.type) {
    case GroupValue::Integer:
        return v.integer;
    case GroupValue::Real:
        if (v.real <= -9223372036854775808.0)
            return std::numeric_limits<qint64>::min();
        if (v.real >= 9223372036854775807.0)
            return std::numeric_limits<qint64>::max();
        return qint64(v.real);
    case GroupValue::Text:
        return std::strtoll(m_texts->utf8.at(v.text).constData(), nullptr, 10);
    case GroupValue::Null:
        break;
    }
    return 0;
}

double GroupRow::real(int column) const
{
    const GroupValue &v = m_values[column];
    switch (v.type) {
    case GroupValue::Integer:
        return double(v.integer);
    case GroupValue::Real:
        return v.real;
    case GroupValue::Text:
        return std::strtod(m_texts->utf8.at(v.text).constData(), nullptr);
    case GroupValue::Null:
        break;
    }
    return 0;
}

QVariant GroupRow::value(int column) const
{
    const GroupValue &v = m_values[column];
    switch (v.type) {
    case GroupValue::Integer:
        return v.integer;
    case GroupValue::Real:
        return v.real;
    case GroupValue::Text:
        return m_texts->decoded.at(v.text);
    case GroupValue::Null:
        break;
    }
    return QVariant();
}

QByteArrayView GroupRow::utf8(int column) const
{
    const GroupValue &v = m_values[column];
    return v.type == GroupValue::Text ? QByteArrayView(m_texts->utf8.at(v.text)) : QByteArrayView();
}

QString GroupRow::text(int column) const
{
    const GroupValue &v = m_values[column];
    return v.type == GroupValue::Text ? m_texts->decoded.at(v.text) : value(column).toString();
}

quint32 GroupTexts::numberOf(QByteArrayView text)
{
    const auto found = numbers.constFind(QByteArray::fromRawData(text.data(), text.size()));
    if (found != numbers.constEnd())
        return *found;
    const auto number = quint32(utf8.size());
    utf8.append(text.toByteArray());
    decoded.append(QString::fromUtf8(utf8.last()));
    numbers.insert(utf8.last(), number);
    return number;
}

QByteArray noCaseKey(QByteArrayView utf8)
{
    QByteArray key(utf8.data(), utf8.size());
    for (char &c : key)
        c = char(lowered(uchar(c)));
    return key;
}

GroupingResult groupScopeRows(const QSqlDatabase &db, const QString &view, const QString &scopeColumn,
    const QVector<GroupColumn> &columns, const QHash<QByteArray, int> &items, ItemRuns runs,
    const std::function<void(const GroupRow &, int item)> &onGroup)
{
    QStringList expressions;
    for (const GroupColumn &c : columns)
        expressions.append(c.expression);
    SqliteStatement rows(
        db, QStringLiteral("SELECT %1,%2 FROM %3").arg(scopeColumn, expressions.join(QLatin1Char(',')), view));
    GroupTexts texts;
    Groups named(columns, texts);
    Groups unnamed(columns, texts);
    std::vector<bool> done(size_t(items.size()), false); // items whose run ended
    QByteArray lastScope;
    int lastItem = -1;
    while (rows.next()) {
        int item = -1;
        switch (rows.holds(0)) {
        case SqliteStatement::Holds::Null:
            break;
        case SqliteStatement::Holds::Text: {
            const QByteArrayView scope = rows.utf8(0);
            if (lastItem < 0 || scope != QByteArrayView(lastScope)) {
                const int next = items.value(noCaseKey(scope), -1);
                if (next < 0)
                    throw Error(QStringLiteral("报价数据在读取时发生了变化"));
                if (runs == ItemRuns::Expected && next != lastItem) {
                    if (done[size_t(next)])
                        return GroupingResult::ItemsInterleaved;
                    if (lastItem >= 0)
                        done[size_t(lastItem)] = true;
                    named.emitGroups(onGroup);
                    named.clear();
                }
                lastItem = next;
                lastScope = scope.toByteArray();
            }
            item = lastItem;
            break;
        }
        default:
            return GroupingResult::ForSqlite;
        }
        if (!(item < 0 ? unnamed : named).add(rows, item))
            return GroupingResult::ForSqlite;
    }
    unnamed.emitGroups(onGroup);
    named.emitGroups(onGroup);
    return GroupingResult::Grouped;
}

} // namespace tarvex
