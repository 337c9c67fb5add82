#pragma once

#include "core/common/db/gridfilter.h"
#include "core/common/entrymode.h"
#include "core/common/materialkind.h"
#include "core/viewer/viewerpages.h"
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

    explicit DataForm(QWidget *parent = nullptr);

    // Toolbar entry by index 1..12 (separators included), and its dispatch.
    QAction *button(int index) const;
    void toolbarClicked(int index);

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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void buildPages();
    void Load();
    void FlexFill(FlexGrid *grid, MaterialKind kind);
    void ReadData(FlexGrid *grid, MaterialKind kind);
    void fitColumns(FlexGrid *grid);
    void gridCellChanged(FlexGrid *grid);
    void gridDoubleClicked(FlexGrid *grid);
    void showEditor(EntryMode mode);
    void priceEntry();
    void updatePriceButton();
    void setMainButtons(bool enabled);

    QToolBar *m_toolbar = nullptr;
    QTabWidget *m_tabs = nullptr;
    QComboBox *m_combo = nullptr;
    QVector<QAction *> m_buttons; // index 0 unused
    QVector<FlexGrid *> m_grids;
    QPointer<LcForm> m_editor;
    GridFilter m_filter;
};

} // namespace tarvex
