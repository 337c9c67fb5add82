#include "gui/common/flexgrid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>

namespace tarvex {

namespace {

constexpr int kSampleRows = 40;
constexpr int kMinColumnWidth = 72;
constexpr int kMaxColumnWidth = 300;

} // namespace

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new SqlGridModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumWidth(36);
    horizontalHeader()->setDefaultSectionSize(110);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; }"));
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FlexGrid::headerClicked);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, &FlexGrid::headerDoubleClicked);
}

void FlexGrid::load(const QString &sql, QSqlDatabase db, const QVariantList &values)
{
    m_model->setQuery(sql, db, values);
    m_row = 0;
    m_col = 0;
    m_lastRow = 0;
}

void FlexGrid::load(const GridSource &source, QSqlDatabase db)
{
    m_model->setSource(source, db);
    m_row = 0;
    m_col = 0;
    m_lastRow = 0;
}

void FlexGrid::setRow(int row)
{
    setCurrentCell(row, m_col);
}

void FlexGrid::setCol(int col)
{
    setCurrentCell(m_row, col);
}

void FlexGrid::setCurrentCell(int row, int col)
{
    row = qBound(0, row, rows() - 1);
    col = qBound(0, col, qMax(0, cols() - 1));
    const bool changed = row != m_row || col != m_col;
    m_row = row;
    m_col = col;
    m_settingCell = true;
    if (row >= 1)
        setCurrentIndex(m_model->index(row - 1, col));
    else
        selectionModel()->clearCurrentIndex();
    m_settingCell = false;
    if (changed)
        emit currentCellChanged(m_row, m_col);
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_settingCell || !current.isValid())
        return;
    const int row = current.row() + 1;
    const int col = current.column();
    if (row == m_row && col == m_col)
        return;
    m_row = row;
    m_col = col;
    emit currentCellChanged(m_row, m_col);
}

QString FlexGrid::textMatrix(int row, int col) const
{
    if (row == 0) {
        const QStringList fields = m_model->fieldNames();
        return col >= 0 && col < fields.size() ? fields.at(col) : QString();
    }
    return m_model->text(row - 1, col);
}

int FlexGrid::topRow() const
{
    const int top = rowAt(0);
    return top < 0 ? 1 : top + 1;
}

void FlexGrid::setTopRow(int row)
{
    verticalScrollBar()->setValue(qMax(0, row - 1));
}

void FlexGrid::paintRow(int row, const QColor &color)
{
    if (row >= 1)
        m_model->setRowBackground(row - 1, color);
}

void FlexGrid::changeColor()
{
    if (m_row == m_lastRow)
        return;
    if (m_lastRow > 0)
        paintRow(m_lastRow, QColor());
    paintRow(m_row, highlightColor());
    m_lastRow = m_row;
}

QRect FlexGrid::cellRect(int row, int col) const
{
    const int x = columnViewportPosition(col) + viewport()->x();
    const int w = columnWidth(col);
    if (row == 0)
        return QRect(x, horizontalHeader()->y(), w, horizontalHeader()->height());
    const int y = rowViewportPosition(row - 1) + viewport()->y();
    return QRect(x, y, w, rowHeight(row - 1));
}

QList<QStringList> FlexGrid::allTexts() const
{
    QList<QStringList> rowsText;
    for (int r = 0; r < rows(); ++r) {
        QStringList line;
        for (int c = 0; c < cols(); ++c)
            line.append(textMatrix(r, c));
        rowsText.append(line);
    }
    return rowsText;
}

void FlexGrid::wheelEvent(QWheelEvent *event)
{
    // One row per notch; a notch with a key held, or a finer step, scrolls nothing.
    const int delta = event->angleDelta().y();
    if (event->modifiers() == Qt::NoModifier && event->buttons() == Qt::NoButton) {
        if (delta == -120)
            setTopRow(topRow() + 1);
        else if (delta == 120 && topRow() > 1)
            setTopRow(topRow() - 1);
    }
    event->accept();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        setCurrentCell(index.row() + 1, index.column());
    emit cellDoubleClicked(m_row, m_col);
    event->accept();
}

void FlexGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    emit scrolledOrSelected();
}

void FlexGrid::headerClicked(int section)
{
    // A click on a column header makes row 1 of that column current.
    setCurrentCell(1, section);
    emit scrolledOrSelected();
}

void FlexGrid::headerDoubleClicked(int section)
{
    setCurrentCell(1, section);
    emit cellDoubleClicked(m_row, m_col);
}

void FlexGrid::fitColumns()
{
    const QFontMetrics cellMetrics = fontMetrics();
    const QFontMetrics headerMetrics = horizontalHeader()->fontMetrics();
    const int sample = qMin(recordCount(), kSampleRows);
    for (int c = 0; c < cols(); ++c) {
        int width = headerMetrics.horizontalAdvance(headerText(c)) + 32;
        for (int r = 1; r <= sample; ++r)
            width = qMax(width, cellMetrics.horizontalAdvance(textMatrix(r, c)) + 24);
        setColumnWidth(c, qBound(kMinColumnWidth, width, kMaxColumnWidth));
    }
}

} // namespace tarvex
