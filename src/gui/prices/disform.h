#pragma once

#include "core/common/db/gridfilter.h"

#include <QVector>
#include <QWidget>

class QAction;
class QComboBox;
class QToolBar;

namespace tarvex {

class FlexGrid;
struct PriceTable;

// The price tables browser: one price table in a grid, narrowed by column
// values, with add, modify, delete, clear and export. The table is the
// current price table name, read again each time the window becomes active.
class DisForm : public QWidget {
    Q_OBJECT
public:
    // The ten buttons of the system, then 11 "导入数据" (shown beside 导出数据).
    static constexpr int kButtonCount = 11;

    explicit DisForm(QWidget *parent = nullptr);

    FlexGrid *grid() const { return m_flex; }
    QComboBox *filterList() const { return m_combo; }
    QAction *button(int index) const;
    // The filter in force, as the status bar shows it.
    QString filterText() const { return m_filter.text(); }

    // The whole table in its load order; the filter is kept but not applied.
    void fullLoad();
    // The table narrowed by the filter; throws Error.
    void ReadData();
    void toolbarClicked(int index);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Loads the table on the first activation after showing or after the
    // window was left for another.
    void becameActive();
    const PriceTable &table() const;
    void showCount();
    void gridDoubleClicked(int row, int col);
    void showFilterList();
    void DataSelect(int index);
    void openEntryDialog(bool adding);
    void deleteRecord();
    void clearTable();
    void importData();
    void closeWindow();
    void hideFilterList();

    QToolBar *m_toolbar;
    FlexGrid *m_flex;
    QComboBox *m_combo;
    QVector<QAction *> m_buttons; // index 0 unused
    GridFilter m_filter;
    bool m_watchingActivation = false;
    bool m_loadedSinceActive = false;
    bool m_moving = false; // the window itself moves the grid's current cell
};

} // namespace tarvex
