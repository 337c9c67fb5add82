#include "core/prices/priceimport.h"

#include "core/common/db/bulkrows.h"
#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/db/serverconnection.h"
#include "core/common/error.h"
#include "core/common/keytext.h"
#include "core/common/numbers.h"
#include "core/common/shownvalue.h"
#include "core/common/yesno.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/pricetables.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QVector>

#include <cmath>
#include <cstring>
#include <optional>

namespace tarvex {

namespace {

// Header cells a message names at most.
constexpr int kFoundShown = 20;

// A value named in a message: short, on one line.
QString shown(const QString &value)
{
    QString text = value;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text.size() > 60)
        text = text.left(60) + QStringLiteral("…");
    return QStringLiteral("“") + text + QStringLiteral("”");
}

bool isBlank(const ImportRow &row)
{
    if (!row.unreadable.isEmpty())
        return false;
    for (const SheetCell &cell : row.cells)
        if (!cell.text.trimmed().isEmpty())
            return false;
    return true;
}

// The value of a cell for its column; an empty cell is Null.
QVariant convert(const PriceColumn &column, const SheetCell &cell, QStringList &problems)
{
    const QString text = cell.text.trimmed();
    if (text.isEmpty())
        return QVariant();
    if (text.size() > kMaxImportedText) {
        problems.append(
            QStringLiteral("%1有%2个字符, 超过%3个字符的上限").arg(column.name).arg(text.size()).arg(kMaxImportedText));
        return QVariant();
    }
    if (cell.date && column.kind != PriceColumnKind::Text) {
        problems.append(QStringLiteral("%1%2是日期, 不是数字").arg(column.name, shown(text)));
        return QVariant();
    }
    switch (column.kind) {
    case PriceColumnKind::Text:
        if (hasControlCharacter(text)) {
            problems.append(QStringLiteral("%1含有控制字符: %2").arg(column.name, shownValue(text)));
            return QVariant();
        }
        return text;
    case PriceColumnKind::Real: {
        double number = 0;
        if (parseNumber(text, &number))
            return number;
        problems.append(QStringLiteral("%1%2不是数字").arg(column.name, shown(text)));
        return QVariant();
    }
    case PriceColumnKind::YesNo: {
        bool yes = false;
        if (readYesNo(text, &yes))
            return yes ? 1 : 0;
        problems.append(QStringLiteral("%1%2应为1/0、True/False或是/否").arg(column.name, shown(text)));
        return QVariant();
    }
    case PriceColumnKind::Number: {
        double number = 0;
        if (parseNumber(text, &number) && number == std::floor(number) && std::fabs(number) < 2147483647.0)
            return qint64(number);
        problems.append(QStringLiteral("%1%2不是整数").arg(column.name, shown(text)));
        return QVariant();
    }
    }
    return QVariant();
}

bool sameValue(PriceColumnKind kind, const QVariant &stored, const QVariant &incoming)
{
    const bool storedEmpty = stored.isNull() || (kind == PriceColumnKind::Text && stored.toString().isEmpty());
    if (storedEmpty || incoming.isNull())
        return storedEmpty == incoming.isNull();
    switch (kind) {
    case PriceColumnKind::Text:
        return stored.toString() == incoming.toString();
    case PriceColumnKind::Real:
        return stored.toDouble() == incoming.toDouble();
    case PriceColumnKind::YesNo:
        return (stored.toInt() != 0) == (incoming.toInt() != 0);
    case PriceColumnKind::Number:
        return stored.toLongLong() == incoming.toLongLong();
    }
    return false;
}

// One data row of the file, checked and converted.
struct Candidate {
    int line = 0;
    QVariantList values; // per column of the table; Null when empty or absent
    QStringList problems;
    bool readable = true; // the row could be read at all
    QSet<int> unreadable; // columns whose cell is refused: not also "missing"
    QString key; // folded natural key
    QVariant target; // the stored record it updates: 编号, or the fee name
    bool numberGiven = false; // replace: the file gives the 编号
    bool matched = false;
    bool differs = false;
};

// A natural key as the key index holds it: 16 bytes of its digest instead
// of its text, so that the index of half a million rows stays small. Two
// keys of one digest are as unlikely as a hash of this strength allows.
struct KeyDigest {
    quint64 high = 0;
    quint64 low = 0;

    explicit KeyDigest(const QString &key)
    {
        const QByteArray digest = QCryptographicHash::hash(
            QByteArrayView(reinterpret_cast<const char *>(key.constData()), key.size() * qsizetype(sizeof(QChar))),
            QCryptographicHash::Blake2s_128);
        std::memcpy(&high, digest.constData(), sizeof high);
        std::memcpy(&low, digest.constData() + sizeof high, sizeof low);
    }

    bool operator==(const KeyDigest &other) const { return high == other.high && low == other.low; }
};

size_t qHash(const KeyDigest &key, size_t seed)
{
    return qHashMulti(seed, key.high, key.low);
}

// What the import does with one data row of the file.
struct PlannedRow {
    enum class Action : quint8 { None, Insert, Update };
    Action action = Action::None;
    bool matched = false;
    bool numberGiven = false; // replace: the file gives the 编号
    bool hasNumber = false;
    qint64 number = 0; // numbered tables: the 编号 it is written under
    // Update: the stored record's 编号, or in a table without one the place
    // of the record's name in PlannedImport::names.
    qint64 target = 0;
};

} // namespace

struct PlannedImport {
    QVector<PlannedRow> rows; // one per data row of the file, in order
    QStringList names; // the names of the records updated in a table without 编号
    QByteArray mark; // the database's change mark when planned
};

namespace {

class Planner {
public:
    Planner(const PriceTable &table, ImportMode mode, const std::function<void(int)> &progress)
        : m_table(table)
        , m_progress(progress)
        , m_columns(priceColumns(table.name))
        , m_numbered(!m_columns.isEmpty() && m_columns.first().kind == PriceColumnKind::Number)
    {
        m_plan.mode = mode;
    }

    // Reads the file's rows once and decides each; holds only the key
    // index and what each row makes.
    PriceImportPlan plan(const PriceListFile &file)
    {
        auto planned = std::make_shared<PlannedImport>();
        planned->mark = databaseChangeMark(Database::shared());
        RepeatedQuery lookup(Database::shared(), lookupSql());
        forDataRows(file, [&](const ImportRow &row, int) { planned->rows.append(planRow(lookup, row, *planned)); });
        if (m_plan.mode == ImportMode::Replace) {
            const int stored = sqlScalar(QStringLiteral("SELECT COUNT(*) FROM ") + m_table.name).toInt();
            m_plan.removed = stored - int(m_matchedNumbers.size() + m_matchedNames.size());
        }
        assignNumbers(planned->rows);
        m_plan.planned = planned;
        return m_plan;
    }

    // Writes what the plan decided, reading the file's rows once more.
    void write(const PriceListFile &file, const PlannedImport &planned)
    {
        if (m_plan.mode == ImportMode::Replace)
            sqlExec(QStringLiteral("DELETE FROM ") + m_table.name);
        QSqlQuery insert = prepared(insertSql());
        std::optional<QSqlQuery> update;
        int rows = 0;
        forDataRows(file, [&](const ImportRow &row, int index) {
            if (index >= planned.rows.size())
                throw changedFile(file);
            ++rows;
            const PlannedRow &p = planned.rows.at(index);
            if (p.action == PlannedRow::Action::None)
                return;
            Candidate c = candidate(row);
            if (p.action == PlannedRow::Action::Insert) {
                if (m_numbered)
                    c.values[0] = p.number;
                run(insert, c.values, c.line);
                return;
            }
            if (!update)
                update = prepared(updateSql());
            QVariantList values;
            for (int column = 0; column < m_columns.size(); ++column)
                if (given(column) && !isNumberColumn(column))
                    values.append(c.values.at(column));
            values.append(m_numbered ? QVariant(p.target) : QVariant(planned.names.at(p.target)));
            run(*update, values, c.line);
        });
        if (rows != planned.rows.size())
            throw changedFile(file);
    }

private:
    bool given(int column) const { return column >= 0 && m_cellOf.at(column) >= 0; }
    bool isNumberColumn(int column) const { return m_numbered && column == 0; }

    static Error changedFile(const PriceListFile &file)
    {
        return Error(QStringLiteral("文件%1在读取之后被修改过,请重新选择文件").arg(file.path));
    }

    // The header, then every data row with its index among them.
    void forDataRows(const PriceListFile &file, const std::function<void(const ImportRow &, int)> &data)
    {
        bool header = false;
        int index = 0;
        forEachPriceListRow(file, m_table, [&](const ImportRow &row) {
            if (isBlank(row))
                return;
            if (!header) {
                readHeader(row, file.path);
                header = true;
            } else {
                data(row, index++);
                if (m_progress)
                    m_progress(row.line);
            }
        });
        if (!header)
            throw Error(QStringLiteral("文件%1中没有数据").arg(file.path));
    }

    QString headerError(const QString &path, const QString &what) const
    {
        return QStringLiteral("文件%1第%2行的表头%3").arg(path).arg(m_headerLine).arg(what);
    }

    void readHeader(const ImportRow &header, const QString &path)
    {
        m_headerLine = header.line;
        if (!header.unreadable.isEmpty())
            throw Error(headerError(path, QStringLiteral("无法读取: ") + header.unreadable));
        m_cellOf.fill(-1, m_columns.size());
        m_columnOf.clear();
        m_headerWidth = 0;
        m_plan.ignoredColumns.clear();
        QStringList found;
        for (const SheetCell &cell : header.cells) {
            m_headerWidth = cell.column + 1;
            const QString name = cell.text.trimmed();
            if (name.isEmpty())
                continue;
            if (found.size() < kFoundShown)
                found.append(shown(name));
            else if (found.size() == kFoundShown)
                found.append(QStringLiteral("…"));
            const int column = columnForHeader(m_columns, name);
            if (column < 0) {
                m_plan.ignoredColumns.append(name);
                continue;
            }
            if (m_cellOf.at(column) >= 0)
                throw Error(headerError(path, QStringLiteral("中%1出现了两次").arg(shown(name))));
            m_cellOf[column] = cell.column;
            m_columnOf.insert(cell.column, column);
        }
        // The key finds the record; a file without its price would change
        // nothing a quotation reads and pass in silence.
        QStringList missing;
        for (int column = 0; column < m_columns.size(); ++column)
            if (m_columns.at(column).key && !given(column))
                missing.append(shown(m_columns.at(column).name));
        QStringList prices;
        bool priced = false;
        for (const QString &name : priceColumnNames(m_table.name)) {
            prices.append(shown(name));
            priced |= given(columnForHeader(m_columns, name));
        }
        if (!priced)
            missing.append(prices.join(QStringLiteral("或")));
        if (!missing.isEmpty())
            throw Error(headerError(path,
                QStringLiteral("缺少%1列(找到的列: %2; %3的列名为: %4)")
                    .arg(missing.join(QStringLiteral("、")),
                        found.isEmpty() ? QStringLiteral("无") : found.join(QStringLiteral("、")), m_table.name,
                        columnNames())));
    }

    QString columnNames() const
    {
        QStringList names;
        for (const PriceColumn &c : m_columns)
            names.append(c.name);
        return names.join(QLatin1Char(','));
    }

    Candidate candidate(const ImportRow &row)
    {
        Candidate c;
        c.line = row.line;
        for (int column = 0; column < m_columns.size(); ++column)
            c.values.append(QVariant());
        if (!row.unreadable.isEmpty()) {
            c.problems.append(row.unreadable);
            c.readable = false;
            return c;
        }
        for (const SheetCell &cell : row.cells) {
            if (cell.column >= m_headerWidth) {
                if (!cell.text.trimmed().isEmpty())
                    c.problems.append(
                        QStringLiteral("第%1列%2在表头以外").arg(cell.column + 1).arg(shown(cell.text.trimmed())));
                continue;
            }
            const int column = m_columnOf.value(cell.column, -1);
            // 编号 is the table's own business when merging.
            if (column < 0 || (isNumberColumn(column) && m_plan.mode == ImportMode::Merge))
                continue;
            const int before = int(c.problems.size());
            c.values[column] = convert(m_columns.at(column), cell, c.problems);
            if (c.problems.size() > before)
                c.unreadable.insert(column);
        }
        c.numberGiven = m_numbered && !c.values.at(0).isNull();
        QStringList keyParts;
        for (int column = 0; column < m_columns.size(); ++column)
            if (m_columns.at(column).key)
                keyParts.append(c.values.at(column).toString());
        c.key = foldedKey(keyParts.join(QChar(0x1f)));
        return c;
    }

    QString keyText(const Candidate &c) const
    {
        QStringList parts;
        for (int column = 0; column < m_columns.size(); ++column)
            if (m_columns.at(column).key)
                parts.append(m_columns.at(column).name + shown(c.values.at(column).toString()));
        return parts.join(QStringLiteral("、"));
    }

    bool keyComplete(const Candidate &c) const
    {
        for (int column = 0; column < m_columns.size(); ++column)
            if (m_columns.at(column).key && m_columns.at(column).required && c.values.at(column).isNull())
                return false;
        return true;
    }

    // Checks one row against the rows before it and the table, counts it
    // and says what it makes.
    PlannedRow planRow(RepeatedQuery &lookup, const ImportRow &row, PlannedImport &planned)
    {
        Candidate c = candidate(row);
        if (c.readable && keyComplete(c)) {
            const KeyDigest key(c.key);
            const auto found = m_firstLine.constFind(key);
            if (found == m_firstLine.constEnd())
                m_firstLine.insert(key, c.line);
            else
                c.problems.append(QStringLiteral("%1与第%2行重复").arg(keyText(c)).arg(found.value()));
        }
        // Replace keeps the numbers the file gives; they must not repeat.
        if (m_plan.mode == ImportMode::Replace && m_numbered && given(0) && !c.values.at(0).isNull()) {
            const qint64 number = c.values.at(0).toLongLong();
            const auto found = m_numberLine.constFind(number);
            if (found == m_numberLine.constEnd())
                m_numberLine.insert(number, c.line);
            else
                c.problems.append(QStringLiteral("编号%1与第%2行重复").arg(number).arg(found.value()));
        }
        if (c.readable && keyComplete(c))
            match(lookup, c);
        if (c.readable)
            checkRequired(c);
        PlannedRow p;
        p.matched = c.matched;
        p.numberGiven = c.numberGiven;
        p.hasNumber = m_numbered && !c.values.at(0).isNull();
        p.number = p.hasNumber ? c.values.at(0).toLongLong() : 0;
        if (!c.problems.isEmpty()) {
            m_plan.invalid.append({c.line, c.problems.join(QStringLiteral("; "))});
            return p;
        }
        if (!c.matched)
            ++m_plan.added;
        else if (c.differs)
            ++m_plan.changed;
        else
            ++m_plan.unchanged;
        if (c.matched && m_numbered)
            m_matchedNumbers.insert(c.target.toLongLong());
        else if (c.matched)
            m_matchedNames.insert(c.target.toString());
        if (!c.matched || m_plan.mode == ImportMode::Replace) {
            p.action = PlannedRow::Action::Insert;
        } else if (c.differs) {
            p.action = PlannedRow::Action::Update;
            if (m_numbered) {
                p.target = c.target.toLongLong();
            } else {
                p.target = planned.names.size();
                planned.names.append(c.target.toString());
            }
        }
        return p;
    }

    QString lookupSql() const
    {
        // With several records of one key the views use the lowest 编号.
        return QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT 1")
            .arg(columnNames(), m_table.name, keyCondition(m_table.name), m_columns.first().name);
    }

    // The stored record the views use for the row's key, if any. One look-up
    // per row on the key's index; the rows of a large list make this the
    // import's hot path, hence one statement prepared for all of them.
    void match(RepeatedQuery &lookup, Candidate &c)
    {
        QStringList keys;
        for (int column = 0; column < m_columns.size(); ++column)
            if (m_columns.at(column).key)
                keys.append(c.values.at(column).toString());
        for (int k = 0; k < keys.size(); ++k)
            lookup.bind(k + 1, keys.at(k));
        const bool found = lookup.next();
        if (found) {
            c.matched = true;
            c.target = lookup.value(0);
            for (int column = 0; column < m_columns.size(); ++column) {
                const QVariant stored = lookup.value(column);
                QVariant &value = c.values[column];
                if (isNumberColumn(column)) {
                    // Merging keeps the stored number; replacing keeps it unless the file gives another.
                    if (value.isNull())
                        value = stored;
                    else if (!sameValue(PriceColumnKind::Number, stored, value))
                        c.differs = true;
                } else if (m_plan.mode == ImportMode::Merge && !given(column)) {
                    value = stored;
                } else if (!sameValue(m_columns.at(column).kind, stored, value)) {
                    c.differs = true;
                }
            }
        }
        lookup.reset();
    }

    // A record the import writes whole needs what the entry dialog asks for;
    // one it updates must not lose a required value the file empties.
    void checkRequired(Candidate &c)
    {
        const bool whole = !c.matched || m_plan.mode == ImportMode::Replace;
        for (int column = 0; column < m_columns.size(); ++column) {
            const PriceColumn &col = m_columns.at(column);
            if (!col.required || !c.values.at(column).isNull() || c.unreadable.contains(column))
                continue;
            if (whole || given(column))
                c.problems.append(QStringLiteral("缺少") + col.name);
        }
        if (needsOneAmount(m_table.name) && c.values.at(1).isNull() && c.values.at(2).isNull())
            c.problems.append(QStringLiteral("%1和%2至少要填一项").arg(m_columns.at(1).name, m_columns.at(2).name));
    }

    // New records get numbers after every number in use; a replaced record
    // keeps its number unless the file gives that number to another.
    void assignNumbers(QVector<PlannedRow> &rows)
    {
        if (!m_numbered)
            return;
        qint64 next = 0;
        if (m_plan.mode == ImportMode::Merge) {
            const QVariant last = sqlScalar(QStringLiteral("SELECT MAX(编号) FROM ") + m_table.name);
            next = last.isNull() ? 0 : last.toLongLong() + 1;
        }
        QSet<qint64> taken;
        for (const PlannedRow &p : rows) {
            if (p.numberGiven) {
                taken.insert(p.number);
                next = qMax(next, p.number + 1);
            }
        }
        for (PlannedRow &p : rows) {
            if (!p.matched || p.numberGiven)
                continue;
            if (taken.contains(p.number)) {
                p.hasNumber = false;
                continue;
            }
            taken.insert(p.number);
            next = qMax(next, p.number + 1);
        }
        for (PlannedRow &p : rows) {
            if (!p.hasNumber) {
                p.number = next++;
                p.hasNumber = true;
            }
        }
    }

    QString insertSql() const
    {
        QStringList marks;
        for (int c = 0; c < m_columns.size(); ++c)
            marks.append(QStringLiteral("?"));
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(m_table.name, columnNames(), marks.join(QLatin1Char(',')));
    }

    QString updateSql() const
    {
        QStringList sets;
        for (int column = 0; column < m_columns.size(); ++column)
            if (given(column) && !isNumberColumn(column))
                sets.append(m_columns.at(column).name + QStringLiteral("=?"));
        return QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
            .arg(m_table.name, sets.join(QLatin1Char(',')), m_columns.first().name);
    }

    static QSqlQuery prepared(const QString &sql)
    {
        QSqlQuery query(Database::shared());
        if (!query.prepare(sql))
            throw Error(databaseFailureText(query.lastError(), Database::shared()));
        return query;
    }

    static void run(QSqlQuery &query, const QVariantList &values, int line)
    {
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (query.exec())
            return;
        const QSqlDatabase db = Database::shared();
        const QString reason = databaseFailureText(query.lastError(), db);
        // A lost connection is no fault of the row.
        if (serverConnectionLost(db))
            throw Error(reason);
        throw Error(QStringLiteral("第%1行: %2").arg(line).arg(reason));
    }

    const PriceTable &m_table;
    const std::function<void(int)> &m_progress;
    const QList<PriceColumn> &m_columns;
    const bool m_numbered; // column 0 is 编号
    PriceImportPlan m_plan;
    int m_headerLine = 0;
    QVector<int> m_cellOf; // per column: the file's column holding it, -1 absent
    QHash<int, int> m_columnOf; // file column -> table column, for the columns read
    int m_headerWidth = 0; // file columns up to the header's last
    QHash<KeyDigest, int> m_firstLine; // the key index: each key's first line
    QHash<qint64, int> m_numberLine; // replace: each given 编号's first line
    // The stored records the file's rows match: by 编号, or by name in a
    // table without one.
    QSet<qint64> m_matchedNumbers;
    QSet<QString> m_matchedNames;
};

} // namespace

QString PriceImportPlan::counts() const
{
    return QStringLiteral("新增 %1 修改 %2 未变 %3 无效 %4").arg(added).arg(changed).arg(unchanged).arg(invalid.size());
}

QString PriceImportPlan::describe(const ImportProblem &problem)
{
    return QStringLiteral("第%1行: %2").arg(problem.line).arg(problem.reason);
}

bool PriceImportPlan::sameCounts(const PriceImportPlan &other) const
{
    return added == other.added && changed == other.changed && unchanged == other.unchanged && removed == other.removed
        && invalid.size() == other.invalid.size();
}

PriceImportPlan previewPriceImport(
    const PriceTable &table, const PriceListFile &file, ImportMode mode, const std::function<void(int)> &progress)
{
    PriceImportPlan plan;
    // One read: the look-ups see one state of the table, and take one lock.
    inTransaction(Database::shared(), [&] { plan = Planner(table, mode, progress).plan(file); });
    return plan;
}

PriceImportPlan importPriceList(const PriceTable &table, const PriceListFile &file, ImportMode mode,
    const PriceImportPlan *previewed, const std::function<void(int)> &progress)
{
    PriceImportPlan done;
    // Planned (when it must be) and written under one write lock: another
    // program's load waits for it, or it for the load.
    // No other workstation writes the table until the import is committed.
    requirePriceChanges(table);
    writingPrices(table, [&] {
        inWriteTransaction(Database::shared(), [&] {
            lockForNumbering(table.name);
            Planner planner(table, mode, progress);
            const QByteArray mark = databaseChangeMark(Database::shared());
            const bool stillTrue = previewed && previewed->planned && previewed->mode == mode && !mark.isEmpty()
                && previewed->planned->mark == mark;
            done = stillTrue ? *previewed : planner.plan(file);
            if (!done.invalid.isEmpty())
                throw Error(
                    QStringLiteral("文件%1中有%2行无效,没有导入任何数据").arg(file.path).arg(done.invalid.size()));
            if (previewed && !done.sameCounts(*previewed))
                throw Error(QStringLiteral("%1在预览之后已被修改,没有导入任何数据;请重新预览").arg(table.clearName));
            planner.write(file, *done.planned);
        });
    });
    return done;
}

} // namespace tarvex
