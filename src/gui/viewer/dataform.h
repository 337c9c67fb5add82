#pragma once

#include "core/common/db/gridfilter.h"
#include "core/common/entrymode.h"
#include "core/common/materialkind.h"
#include "core/viewer/viewerpages.h"
#include "gui/common/statustext.h"
#include "gui/rawdata/lcform.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

class QAction;
class QComboBox;
class QTabWidget;
class QToolBar;

namespace tarvex {

class FlexGrid;

// The priced data viewer: the working data joined with the price tables on
// four pages (profiles, accessories, glass, windows), filtered by column
// values, edited through the raw data editor, exported, and the way to a
// missing price record and to the list of all of them.
class DataForm : public QWidget {
    Q_OBJECT
public:
    // The eleven entries of the system, then 12 "缺价清单" (shown beside 入单价库).
    static constexpr int kButtonCount = 12;

    // The toolbar's entries by what they do; each keeps its index as its
    // object name ("Button" + index).
    struct Actions {
        QAction *refresh = nullptr; // 1 数据刷新
        QAction *add = nullptr; // 3 添加数据
        QAction *modify = nullptr; // 4 修改数据
        QAction *remove = nullptr; // 5 删除数据
        QAction *clear = nullptr; // 6 清空数据
        QAction *exportData = nullptr; // 8 导出数据
        QAction *priceEntry = nullptr; // 9 入单价库
        QAction *close = nullptr; // 11 关闭窗口
        QAction *missingPrices = nullptr; // 12 缺价清单
    };

    explicit DataForm(QWidget *parent = nullptr);

    // The window's load: the first page read, the project open. The opener
    // calls it once it listens to the signals below.
    void Load();

    const Actions &actions() const { return m_actions; }
    // Toolbar entry by index 1..12, separators included.
    QAction *button(int index) const;

    // The page shown, by the kind of record it holds.
    MaterialKind currentPage() const;
    void setCurrentPage(MaterialKind kind);
    FlexGrid *grid(MaterialKind kind) const;
    FlexGrid *currentGrid() const;
    // The filter in force, as the status bar shows it.
    QString filterText() const { return m_filter.text(); }
    const GridFilter &filter() const { return m_filter; }
    // The raw data editor while it is open.
    LcForm *editor() const { return m_editor; }

    // Reload of the page shown: filter emptied, editor closed, source read again.
    void pageChanged();
    // Filter list over the current cell, and the choice of a value in it.
    void ComboFill();
    void DataSelect(const QString &value);
    // Deletes the current row's record or empties the page's working table.
    void FlexDel(FlexDelMode mode);

signals:
    // The record count and the filter of the page shown, and notes of the
    // dialogs the window opens.
    void statusText(StatusPanel panel, const QString &text);
    // True when the window has loaded the project, false when it closes:
    // the main window's entries that need the project follow it.
    void projectOpenChanged(bool open);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void connectActions();
    void buildPages();
    void clearFilterPanel();
    void FlexFill(FlexGrid *grid, MaterialKind kind);
    void ReadData(FlexGrid *grid, MaterialKind kind);
    void gridCellChanged(FlexGrid *grid);
    void gridDoubleClicked(FlexGrid *grid);
    void showEditor(EntryMode mode);
    void priceEntry();
    void updatePriceButton();

    QToolBar *m_toolbar = nullptr;
    QTabWidget *m_tabs = nullptr;
    QComboBox *m_combo = nullptr;
    QVector<QAction *> m_buttons; // index 0 unused
    Actions m_actions;
    QVector<FlexGrid *> m_grids;
    QPointer<LcForm> m_editor;
    GridFilter m_filter;
};

} // namespace tarvex
