#include "core/common/db/sqlgridmodel.h"

#include "core/common/columnkind.h"
#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/db/schema.h"
#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/common/numbers.h"
#include "core/common/yesno.h"

#include <QSqlRecord>

namespace tarvex {

SqlGridModel::SqlGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

namespace {

QStringList fieldsOf(const QString &sql, const QVariantList &values, QSqlDatabase db)
{
    QSqlQuery probe = sqlExec(QStringLiteral("SELECT * FROM (") + sql + QStringLiteral(") AS q LIMIT 0"), values, db);
    QStringList fields = columnNames(probe.record(), sql, db);
    // A server's row number is no column the user sees; it is the last.
    if (onServer(db) && !fields.isEmpty() && fields.constLast() == QLatin1String("rowid"))
        fields.removeLast();
    return fields;
}

} // namespace

void SqlGridModel::setQuery(const QString &sql, QSqlDatabase db, const QVariantList &values)
{
    // Read the field names and the count first: a bad query changes nothing.
    const QStringList fields = fieldsOf(sql, values, db);
    const int count
        = sqlScalar(QStringLiteral("SELECT COUNT(*) FROM (") + sql + QStringLiteral(") AS q"), values, db).toInt();
    reset(db, sql, values, fields, count);
}

void SqlGridModel::setSource(const GridSource &source, QSqlDatabase db)
{
    const QString sql = source.sql();
    const QStringList fields = fieldsOf(sql, source.values, db);
    const QString key = QLatin1String(kRowKey);
    const QString rows = keyedSource(source.source, db);
    // Rows of equal sort values keep the order of their keys.
    const QString order = source.order.isEmpty() ? QString(QStringLiteral(" ORDER BY ") + key)
                                                 : QString(source.order + QLatin1Char(',') + key);
    QSqlQuery query = sqlExec(
        QStringLiteral("SELECT %1 FROM (%2) AS v").arg(key, rows) + source.filterSql + order, source.values, db);
    QVector<qint64> keys;
    while (query.next())
        keys.append(query.value(0).toLongLong());
    reset(db, sql, source.values, fields, int(keys.size()));
    m_keyedRows = rows;
    m_keys = std::move(keys);
}

void SqlGridModel::reset(
    QSqlDatabase db, const QString &sql, const QVariantList &values, const QStringList &fields, int count)
{
    beginResetModel();
    m_db = db;
    m_sql = sql;
    m_values = values;
    m_fields = fields;
    m_count = count;
    m_keyedRows.clear();
    m_keys.clear();
    m_readFailed = false;
    m_rowColors.clear();
    m_blocks.clear();
    m_blockOrder.clear();
    endResetModel();
}

void SqlGridModel::clear()
{
    reset(m_db, QString(), {}, {}, 0);
}

QVector<QVariant> SqlGridModel::readBlock(int blockIndex) const
{
    QVector<QVariant> values;
    values.reserve(kBlockRows * m_fields.size());
    QSqlQuery query = sqlExec(QStringLiteral("SELECT * FROM (") + m_sql
            + QStringLiteral(") AS q LIMIT %1 OFFSET %2").arg(kBlockRows).arg(qint64(blockIndex) * kBlockRows),
        m_values, m_db);
    while (query.next())
        for (int c = 0; c < m_fields.size(); ++c)
            values.append(query.value(c));
    return values;
}

// The block's rows by their keys, put back in the grid's order.
QVector<QVariant> SqlGridModel::readKeyedBlock(int blockIndex) const
{
    const qsizetype first = qsizetype(blockIndex) * kBlockRows;
    const qsizetype rows = std::min<qsizetype>(kBlockRows, m_keys.size() - first);
    QHash<qint64, int> position;
    QVariantList keys;
    QStringList marks;
    for (int r = 0; r < rows; ++r) {
        position.insert(m_keys.at(first + r), r);
        keys.append(m_keys.at(first + r));
        marks.append(QStringLiteral("?"));
    }
    const int columns = int(m_fields.size());
    QVector<QVariant> values(rows * columns);
    QSqlQuery query = sqlExec(QStringLiteral("SELECT * FROM (%1) AS v WHERE %2 IN (%3)")
                                  .arg(m_keyedRows, QLatin1String(kRowKey), marks.join(QLatin1Char(','))),
        keys, m_db);
    while (query.next()) {
        const auto at = position.constFind(query.value(columns).toLongLong());
        if (at == position.constEnd())
            continue;
        for (int c = 0; c < columns; ++c)
            values[*at * columns + c] = query.value(c);
    }
    return values;
}

const QVector<QVariant> &SqlGridModel::block(int blockIndex) const
{
    auto it = m_blocks.constFind(blockIndex);
    if (it != m_blocks.constEnd())
        return *it;
    QVector<QVariant> values;
    try {
        values = m_keyedRows.isEmpty() ? readBlock(blockIndex) : readKeyedBlock(blockIndex);
    } catch (const Error &e) {
        reportReadFailure(e.message());
    }
    if (m_blockOrder.size() >= kCachedBlocks)
        m_blocks.remove(m_blockOrder.takeFirst());
    m_blockOrder.append(blockIndex);
    return *m_blocks.insert(blockIndex, values);
}

void SqlGridModel::reportReadFailure(const QString &message) const
{
    // The table changed under the grid or the database failed: said once,
    // and the grid shows no rows until the next load. Both wait until the
    // paint that asked for the rows is over.
    if (m_readFailed)
        return;
    m_readFailed = true;
    auto *self = const_cast<SqlGridModel *>(this);
    QMetaObject::invokeMethod(
        self,
        [self, message] {
            if (!self->m_readFailed)
                return; // loaded again meanwhile
            self->dropRows();
            reportError(QStringLiteral("读取数据失败: ") + message);
        },
        Qt::QueuedConnection);
}

void SqlGridModel::dropRows()
{
    beginResetModel();
    m_count = 0;
    m_rowColors.clear();
    m_blocks.clear();
    m_blockOrder.clear();
    endResetModel();
}

QVariant SqlGridModel::value(int row, int column) const
{
    if (row < 0 || row >= m_count || column < 0 || column >= m_fields.size())
        return QVariant();
    const QVector<QVariant> &values = block(row / kBlockRows);
    const int at = (row % kBlockRows) * m_fields.size() + column;
    return at < values.size() ? values.at(at) : QVariant();
}

QString SqlGridModel::text(int row, int column) const
{
    if (column < 0 || column >= m_fields.size())
        return QString();
    return displayText(value(row, column), m_fields.at(column));
}

QString SqlGridModel::displayText(const QVariant &value, const QString &fieldName)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (columnKind(fieldName) == ColumnKind::YesNo)
        return yesNoText(value.toLongLong() != 0);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return plainNumber(value.toDouble());
    default:
        return value.toString();
    }
}

void SqlGridModel::setRowBackground(int row, const QColor &color)
{
    if (row < 0 || row >= rowCount())
        return;
    if (color.isValid())
        m_rowColors.insert(row, color);
    else
        m_rowColors.remove(row);
    emit dataChanged(index(row, 0), index(row, qMax(0, columnCount() - 1)), {Qt::BackgroundRole});
}

int SqlGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || m_fields.isEmpty())
        return 0;
    return qMax(m_count, 1);
}

int SqlGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_fields.size();
}

QVariant SqlGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::EditRole:
        return value(index.row(), index.column());
    case Qt::BackgroundRole: {
        auto it = m_rowColors.constFind(index.row());
        return it != m_rowColors.constEnd() ? QVariant(*it) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant SqlGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_fields.size()) {
        if (role == Qt::DisplayRole)
            return m_fields.at(section);
        if (role == Qt::TextAlignmentRole)
            return QVariant(Qt::AlignCenter);
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return QVariant();
}

} // namespace tarvex
