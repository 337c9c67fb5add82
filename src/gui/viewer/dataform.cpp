#include "gui/viewer/dataform.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/rawedit/rawrecords.h"
#include "core/viewer/viewerpages.h"
#include "gui/common/filterlist.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/common/indexedtoolbar.h"
#include "gui/prices/missingpriceform.h"
#include "gui/prices/priceentry.h"
#include "gui/rawdata/lcform.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace tarvex {

namespace {

// The eleven entries, left to right; the position is the entry's index.
QList<ToolbarEntry> toolbarEntries(const QStyle *style)
{
    return {
        {"数据刷新", style->standardIcon(QStyle::SP_BrowserReload)},
        {nullptr, QIcon()},
        {"添加数据", style->standardIcon(QStyle::SP_FileDialogNewFolder)},
        {"修改数据", style->standardIcon(QStyle::SP_FileDialogDetailedView)},
        {"删除数据", style->standardIcon(QStyle::SP_TrashIcon)},
        {"清空数据", style->standardIcon(QStyle::SP_DialogResetButton)},
        {nullptr, QIcon()},
        {"导出数据", style->standardIcon(QStyle::SP_DialogSaveButton)},
        {"入单价库", style->standardIcon(QStyle::SP_ArrowRight)},
        {nullptr, QIcon()},
        {"关闭窗口", style->standardIcon(QStyle::SP_DialogCloseButton)},
    };
}

} // namespace

DataForm::DataForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("dataForm"));
    setWindowTitle(viewerCaption());
    buildToolbar();
    buildPages();

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->hide();
    connect(m_combo, &QComboBox::activated, this, [this](int index) { DataSelect(m_combo->itemText(index)); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_tabs, 1);
    resize(1001, 640);
}

void DataForm::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    m_buttons = fillIndexedToolbar(m_toolbar, toolbarEntries(style()));
    // 12 "缺价清单" stands beside 入单价库.
    addIndexedEntry(
        m_toolbar, m_buttons, {"缺价清单", style()->standardIcon(QStyle::SP_FileDialogListView)}, m_buttons[10]);
    connectActions();
}

void DataForm::connectActions()
{
    const auto entry = [this](int index, auto step) {
        connect(m_buttons[index], &QAction::triggered, this, step);
        return m_buttons[index];
    };
    Actions &a = m_actions;
    a.refresh = entry(1, [this] { pageChanged(); });
    a.add = entry(3, [this] { showEditor(EntryMode::Add); });
    a.modify = entry(4, [this] { showEditor(EntryMode::Modify); });
    a.remove = entry(5, [this] {
        FlexDel(FlexDelMode::CurrentRecord);
        pageChanged();
    });
    a.clear = entry(6, [this] {
        FlexDel(FlexDelMode::WholePage);
        pageChanged();
    });
    a.exportData = entry(8, [this] { FlexToExcel(currentGrid()); });
    a.priceEntry = entry(9, [this] { priceEntry(); });
    a.close = entry(11, [this] { closeForm(this); });
    a.missingPrices = entry(12, [this] {
        showMissingPrices(this, false, statusTextOf(this));
        pageChanged();
    });
}

void DataForm::buildPages()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Tab1"));
    for (MaterialKind kind : kMaterialKinds) {
        auto *pageWidget = new QWidget(m_tabs);
        auto *grid = new FlexGrid(pageWidget);
        grid->setObjectName(QStringLiteral("Flex%1").arg(int(kind) + 1));
        auto *layout = new QVBoxLayout(pageWidget);
        layout->setContentsMargins(8, 8, 8, 8);
        layout->addWidget(grid);
        m_tabs->addTab(pageWidget, viewerPage(kind).caption);
        m_grids.append(grid);

        connect(grid, &FlexGrid::currentCellChanged, this, [this, grid] { gridCellChanged(grid); });
        connect(grid, &FlexGrid::cellDoubleClicked, this, [this, grid] { gridDoubleClicked(grid); });
        connect(grid, &FlexGrid::scrolledOrSelected, this, [this] { m_combo->hide(); });
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { pageChanged(); });
}

QAction *DataForm::button(int index) const
{
    return index >= 1 && index <= kButtonCount ? m_buttons[index] : nullptr;
}

MaterialKind DataForm::currentPage() const
{
    return viewerPageKind(m_tabs->currentIndex());
}

void DataForm::setCurrentPage(MaterialKind kind)
{
    m_tabs->setCurrentIndex(int(kind));
}

FlexGrid *DataForm::grid(MaterialKind kind) const
{
    return m_grids.value(int(kind));
}

FlexGrid *DataForm::currentGrid() const
{
    return grid(currentPage());
}

void DataForm::Load()
{
    // The other pages are read when their tab is first shown. A filter the
    // status bar may still show from another window does not apply here.
    clearFilterPanel();
    FlexFill(grid(MaterialKind::Profile), MaterialKind::Profile);
    emit projectOpenChanged(true);
    updatePriceButton();
}

void DataForm::closeEvent(QCloseEvent *event)
{
    if (m_editor)
        m_editor->close();
    emit projectOpenChanged(false);
    event->accept();
}

void DataForm::clearFilterPanel()
{
    emit statusText(StatusPanel::Filter, QString());
}

void DataForm::pageChanged()
{
    m_filter.clear();
    clearFilterPanel();
    m_combo->hide();
    if (m_editor && m_editor->isVisible())
        m_editor->close();
    FlexFill(currentGrid(), currentPage());
    updatePriceButton();
}

void DataForm::FlexFill(FlexGrid *grid, MaterialKind kind)
{
    try {
        grid->load(viewerPageSource(kind), Database::shared());
    } catch (const Error &e) {
        // The grid keeps what it showed; the user is told why.
        reportError(e.message());
        return;
    }
    emit statusText(StatusPanel::RecordCount, recordCountText(grid->recordCount()));
    grid->fitColumns();
    // With one data row (or none) the header row stays current.
    grid->setCurrentCell(grid->rows() > 2 ? 1 : 0, 0);
    grid->setTopRow(1);
}

void DataForm::ReadData(FlexGrid *grid, MaterialKind kind)
{
    grid->load(viewerPageSource(kind, m_filter.sql(), m_filter.values()), Database::shared());
    emit statusText(StatusPanel::RecordCount, recordCountText(grid->recordCount()));
    grid->fitColumns();
    grid->setCurrentCell(1, 0);
}

void DataForm::gridCellChanged(FlexGrid *grid)
{
    grid->changeColor();
    if (grid == currentGrid() && currentPage() == MaterialKind::Profile)
        updatePriceButton();
}

void DataForm::gridDoubleClicked(FlexGrid *grid)
{
    if (grid->row() == 1)
        ComboFill();
    else
        showEditor(EntryMode::Modify);
}

void DataForm::updatePriceButton()
{
    const FlexGrid *grid = currentGrid();
    m_actions.priceEntry->setEnabled(priceEntryEnabled(currentPage(), grid->textMatrix(grid->row(), 4)));
}

void DataForm::ComboFill()
{
    try {
        fillFilterList(m_combo, currentGrid(), viewerPage(currentPage()).source, m_filter);
    } catch (const Error &e) {
        m_combo->hide();
        reportError(e.message());
    }
}

void DataForm::DataSelect(const QString &value)
{
    FlexGrid *grid = currentGrid();
    const int col = grid->col();
    m_filter.choose(grid->headerText(col), value);
    emit statusText(StatusPanel::Filter, filterPanelText(m_filter.text()));
    try {
        ReadData(grid, currentPage());
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    grid->setCol(col);
}

void DataForm::FlexDel(FlexDelMode mode)
{
    const MaterialKind page = currentPage();
    FlexGrid *grid = currentGrid();
    try {
        if (mode == FlexDelMode::CurrentRecord) {
            if (grid->row() < 1 || grid->recordCount() == 0)
                throw Error(QStringLiteral("请先选择要删除的记录"));
            if (!messages().question(QStringLiteral("是否确定要删除当前记录?")))
                return;
            QStringList columns;
            for (int c = 0; c < grid->cols(); ++c)
                columns.append(grid->textMatrix(grid->row(), c));
            deleteViewerRow(page, columns);
        } else {
            if (!messages().question(clearPageQuestion(page)))
                return;
            clearWorkingTable(page);
        }
        messages().information(QStringLiteral("记录删除成功!"));
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DataForm::showEditor(EntryMode mode)
{
    auto *editor = new LcForm(currentGrid(), currentPage(), mode, this);
    m_editor = editor;
    // The dialog is modal; the page is read again however it closes.
    connect(editor, &QDialog::finished, this, [this] { pageChanged(); });
    editor->open();
}

void DataForm::priceEntry()
{
    const MaterialKind page = currentPage();
    if (page == MaterialKind::Window || !m_actions.priceEntry->isEnabled())
        return;
    const FlexGrid *grid = currentGrid();
    QStringList row;
    for (int c = 0; c < grid->cols(); ++c)
        row.append(grid->textMatrix(grid->row(), c));
    showPriceEntryDialog(this, addPriceRequest(page, viewerRowKeys(page, row)), nullptr, statusTextOf(this));
    pageChanged();
}

} // namespace tarvex
