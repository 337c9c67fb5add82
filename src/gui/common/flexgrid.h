#pragma once

#include "core/common/db/sqlgridmodel.h"

#include <QColor>
#include <QTableView>

namespace tarvex {

// The one grid of the program. Callers count rows as the flex grid did:
// row 0 is the header with the field names, data rows start at 1, and Rows
// includes the header. An empty result shows the header and one blank row.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    static QColor highlightColor() { return QColor(0xFF, 0xFF, 0xC0); }

    explicit FlexGrid(QWidget *parent = nullptr);

    // Loads the query with values bound to its placeholders; throws Error
    // and keeps the old rows on failure.
    void load(const QString &sql, QSqlDatabase db, const QVariantList &values = {});
    // The same for a large source, read by key (SqlGridModel::setSource).
    void load(const GridSource &source, QSqlDatabase db);
    SqlGridModel *gridModel() const { return m_model; }

    int rows() const { return m_model->rowCount() + 1; }
    int cols() const { return m_model->columnCount(); }
    int recordCount() const { return m_model->recordCount(); }

    // Current cell in flex numbering; row 0 means the header row.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int row);
    void setCol(int col);
    void setCurrentCell(int row, int col);

    // Text of a cell; row 0 gives the field names.
    QString textMatrix(int row, int col) const;
    QString headerText(int col) const { return textMatrix(0, col); }

    // First visible data row (1 = the top).
    int topRow() const;
    void setTopRow(int row);

    // Row highlight: the row left loses its colour, the current row turns
    // light yellow. Remembers the highlighted row itself.
    void changeColor();
    int lastRow() const { return m_lastRow; }
    void setLastRow(int row) { m_lastRow = row; }
    void paintRow(int row, const QColor &color);

    // Rectangle of a cell in this widget's coordinates (row 0 = header cell).
    QRect cellRect(int row, int col) const;

    // Columns as wide as their header and the rows on the first screen need
    // (within bounds), so that a large page opens as fast as a small one.
    void fitColumns();

    // Every cell as text, header row first (for the export).
    QList<QStringList> allTexts() const;

signals:
    void currentCellChanged(int row, int col);
    void cellDoubleClicked(int row, int col);
    void scrolledOrSelected();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void headerClicked(int section);
    void headerDoubleClicked(int section);

    SqlGridModel *m_model;
    int m_row = 0;
    int m_col = 0;
    int m_lastRow = 0;
    bool m_settingCell = false;
};

} // namespace tarvex
