#include "gui/viewer/dataform.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/rawedit/rawrecords.h"
#include "core/viewer/viewerpages.h"
#include "gui/app/mainform.h"
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
#include <QMdiSubWindow>
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

// Columns wide enough for their header and the first rows; only the rows on
// the first screen are looked at, so a large page opens as fast as a small one.
constexpr int kSampleRows = 40;
constexpr int kMinColumnWidth = 72;
constexpr int kMaxColumnWidth = 300;

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
    Load();
}

void DataForm::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    m_buttons = fillIndexedToolbar(m_toolbar, toolbarEntries(style()), [this](int index) { toolbarClicked(index); });
    // 12 "缺价清单" stands beside 入单价库.
    addIndexedEntry(m_toolbar, m_buttons, {"缺价清单", style()->standardIcon(QStyle::SP_FileDialogListView)},
        m_buttons[10], [this](int index) { toolbarClicked(index); });
}

void DataForm::buildPages()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Tab1"));
    for (int page = 0; page < kViewerPageCount; ++page) {
        auto *pageWidget = new QWidget(m_tabs);
        auto *grid = new FlexGrid(pageWidget);
        grid->setObjectName(QStringLiteral("Flex%1").arg(page + 1));
        auto *layout = new QVBoxLayout(pageWidget);
        layout->setContentsMargins(8, 8, 8, 8);
        layout->addWidget(grid);
        m_tabs->addTab(pageWidget, viewerPage(page).caption);
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

int DataForm::currentPage() const
{
    return m_tabs->currentIndex();
}

void DataForm::setCurrentPage(int page)
{
    m_tabs->setCurrentIndex(page);
}

FlexGrid *DataForm::grid(int page) const
{
    return page >= 0 && page < m_grids.size() ? m_grids[page] : nullptr;
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
    FlexFill(m_grids[0], 0);
    setMainButtons(true);
    updatePriceButton();
}

void DataForm::setMainButtons(bool enabled)
{
    if (MainForm *main = MainForm::instance())
        for (int i : MainForm::projectButtons())
            main->button(i)->setEnabled(enabled);
}

void DataForm::closeEvent(QCloseEvent *event)
{
    if (m_editor)
        m_editor->close();
    setMainButtons(false);
    event->accept();
}

void DataForm::toolbarClicked(int index)
{
    switch (index) {
    case 1:
        pageChanged();
        break;
    case 3:
        showEditor(LcForm::AddMode);
        break;
    case 4:
        showEditor(LcForm::ModifyMode);
        break;
    case 5:
        FlexDel(1);
        pageChanged();
        break;
    case 6:
        FlexDel(2);
        pageChanged();
        break;
    case 8:
        FlexToExcel(currentGrid());
        break;
    case 9:
        priceEntry();
        break;
    case 12:
        showMissingPrices(this, false);
        pageChanged();
        break;
    case 11:
        // Inside the main window the frame around the form goes with it.
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
            frame->close();
        else
            close();
        break;
    default:
        break;
    }
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

void DataForm::FlexFill(FlexGrid *grid, int page)
{
    try {
        grid->load(viewerPageSource(page), Database::shared());
    } catch (const Error &e) {
        // The grid keeps what it showed; the user is told why.
        reportError(e.message());
        return;
    }
    showRecordCount(grid->recordCount());
    fitColumns(grid);
    // With one data row (or none) the header row stays current.
    grid->setCurrentCell(grid->rows() > 2 ? 1 : 0, 0);
    grid->setTopRow(1);
}

void DataForm::ReadData(FlexGrid *grid)
{
    grid->load(viewerPageSource(m_grids.indexOf(grid), m_filter.sql(), m_filter.values()), Database::shared());
    showRecordCount(grid->recordCount());
    fitColumns(grid);
    grid->setCurrentCell(1, 0);
}

void DataForm::fitColumns(FlexGrid *grid)
{
    const QFontMetrics cellMetrics = grid->fontMetrics();
    const QFontMetrics headerMetrics = grid->horizontalHeader()->fontMetrics();
    const int sample = qMin(grid->recordCount(), kSampleRows);
    for (int c = 0; c < grid->cols(); ++c) {
        int width = headerMetrics.horizontalAdvance(grid->headerText(c)) + 32;
        for (int r = 1; r <= sample; ++r)
            width = qMax(width, cellMetrics.horizontalAdvance(grid->textMatrix(r, c)) + 24);
        grid->setColumnWidth(c, qBound(kMinColumnWidth, width, kMaxColumnWidth));
    }
}

void DataForm::gridCellChanged(FlexGrid *grid)
{
    grid->changeColor();
    if (grid == currentGrid() && currentPage() == 0)
        updatePriceButton();
}

void DataForm::gridDoubleClicked(FlexGrid *grid)
{
    if (grid->row() == 1)
        ComboFill();
    else
        showEditor(LcForm::ModifyMode);
}

void DataForm::updatePriceButton()
{
    const FlexGrid *grid = currentGrid();
    button(9)->setEnabled(priceEntryEnabled(currentPage(), grid->textMatrix(grid->row(), 4)));
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
    showFilterText(m_filter.text());
    try {
        ReadData(grid);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    grid->setCol(col);
}

void DataForm::FlexDel(int what)
{
    const int page = currentPage();
    FlexGrid *grid = currentGrid();
    try {
        if (what == 1) {
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

void DataForm::showEditor(int mode)
{
    appState().RawEntryMode = static_cast<short>(mode);
    auto *editor = new LcForm(currentGrid(), currentPage(), mode, this);
    m_editor = editor;
    // The dialog is modal; the page is read again however it closes.
    connect(editor, &QDialog::finished, this, [this] { pageChanged(); });
    editor->open();
}

void DataForm::priceEntry()
{
    const int page = currentPage();
    if (page > 2 || !button(9)->isEnabled())
        return;
    const FlexGrid *grid = currentGrid();
    QStringList row;
    for (int c = 0; c < grid->cols(); ++c)
        row.append(grid->textMatrix(grid->row(), c));
    showPriceEntryDialog(this, addPriceRequest(static_cast<MaterialKind>(page + 1), viewerRowKeys(page, row)));
    pageChanged();
}

} // namespace tarvex
