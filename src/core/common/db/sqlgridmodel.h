#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>
#include <QVector>

namespace tarvex {

// What a large grid shows: the rows of a table or priced view (see
// keyedSource), narrowed by a filter and put in an order.
struct GridSource {
    QString source;
    QString filterSql; // "" or " WHERE ..." with placeholders
    QVariantList values; // bound to the filter's placeholders in order
    QString order; // "" or " ORDER BY ..."

    // The query of the rows as the grid shows them.
    QString sql() const { return QStringLiteral("SELECT * FROM ") + source + filterSql + order; }
};

// A grid's rows over an SQL query. The count comes from the database and rows
// are read in blocks only when they are shown, so a page of 200,000 rows opens
// at once. An empty result shows one blank row, as the grids always have.
// Rows that cannot be read are reported once ("当前错误:") and the grid is
// emptied until the next load.
class SqlGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SqlGridModel(QObject *parent = nullptr);

    // Runs the query with the values bound to its placeholders in order
    // (throws Error); the old rows and colours are dropped.
    void setQuery(const QString &sql, QSqlDatabase db, const QVariantList &values = {});
    // The same for a source whose rows are read by key: opening reads the
    // key of every row in the grid's order, and any block of rows is then
    // found by its keys, as fast at the end of a page of a million rows as
    // at its start (a query read with OFFSET evaluates every row before
    // the block). Throws Error; a bad source changes nothing.
    void setSource(const GridSource &source, QSqlDatabase db);
    void clear();
    QString query() const { return m_sql; }
    QSqlDatabase database() const { return m_db; }
    QVariantList queryValues() const { return m_values; }

    int recordCount() const { return m_count; }
    QStringList fieldNames() const { return m_fields; }

    // Value and display text of a data row (0-based).
    QVariant value(int row, int column) const;
    QString text(int row, int column) const;

    // Background of a whole row; an invalid colour removes it.
    void setRowBackground(int row, const QColor &color);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The display text of a stored value: numbers in plain decimal form,
    // yes/no columns as 是/否, Null as empty text.
    static QString displayText(const QVariant &value, const QString &fieldName);

private:
    static constexpr int kBlockRows = 256;
    static constexpr int kCachedBlocks = 64;

    const QVector<QVariant> &block(int blockIndex) const;
    QVector<QVariant> readBlock(int blockIndex) const;
    QVector<QVariant> readKeyedBlock(int blockIndex) const;
    void reset(QSqlDatabase db, const QString &sql, const QVariantList &values, const QStringList &fields, int count);
    void reportReadFailure(const QString &message) const;
    void dropRows();

    QSqlDatabase m_db;
    QString m_sql;
    QVariantList m_values;
    QString m_keyedRows; // with setSource: the source's rows and their keys
    QVector<qint64> m_keys; // with setSource: every row's key in the grid's order
    QStringList m_fields;
    int m_count = 0;
    mutable bool m_readFailed = false;
    QHash<int, QColor> m_rowColors;
    mutable QHash<int, QVector<QVariant>> m_blocks;
    mutable QList<int> m_blockOrder;
};

} // namespace tarvex
