#pragma once

#include "core/common/db/gridfilter.h"
#include "core/prices/pricetables.h"
#include "gui/common/statustext.h"

#include <QVector>
#include <QWidget>

class QAction;
class QComboBox;
class QToolBar;

namespace tarvex {

class FlexGrid;

// The price tables browser: one price table in a grid, narrowed by column
// values, with add, modify, delete, clear and export. The table is read
// again each time the window becomes active.
class DisForm : public QWidget {
    Q_OBJECT
public:
    // The ten buttons of the system, then 11 "导入数据" (shown beside 导出数据).
    static constexpr int kButtonCount = 11;

    // The toolbar's entries by what they do; each keeps its index as its
    // object name ("Button" + index).
    struct Actions {
        QAction *refresh = nullptr; // 1 数据刷新
        QAction *add = nullptr; // 3 添加数据
        QAction *modify = nullptr; // 4 修改数据
        QAction *remove = nullptr; // 5 删除数据
        QAction *clear = nullptr; // 6 清空数据
        QAction *exportData = nullptr; // 8 导出数据
        QAction *close = nullptr; // 10 关闭窗口
        QAction *importData = nullptr; // 11 导入数据
    };

    explicit DisForm(PriceTableId table, QWidget *parent = nullptr);

    FlexGrid *grid() const { return m_flex; }
    QComboBox *filterList() const { return m_combo; }
    const Actions &actions() const { return m_actions; }
    // Toolbar entry by index 1..11, separators included.
    QAction *button(int index) const;
    // The filter in force, as the status bar shows it.
    QString filterText() const { return m_filter.text(); }

    // The whole table in its load order; the filter is kept but not applied.
    void fullLoad();
    // The table narrowed by the filter; throws Error.
    void ReadData();

signals:
    // The record count and the filter, and notes of the entry dialogs.
    void statusText(StatusPanel panel, const QString &text);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Loads the table on the first activation after showing or after the
    // window was left for another.
    void becameActive();
    void connectActions();
    void showCount();
    void gridDoubleClicked(int row, int col);
    void showFilterList();
    void DataSelect(int index);
    void openEntryDialog(bool adding);
    void deleteRecord();
    void clearTable();
    void importData();
    void hideFilterList();

    const PriceTable &m_table;
    QToolBar *m_toolbar;
    FlexGrid *m_flex;
    QComboBox *m_combo;
    QVector<QAction *> m_buttons; // index 0 unused
    Actions m_actions;
    GridFilter m_filter;
    bool m_watchingActivation = false;
    bool m_loadedSinceActive = false;
    bool m_moving = false; // the window itself moves the grid's current cell
};

} // namespace tarvex
