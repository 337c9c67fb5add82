#include "gui/prices/disform.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/gridfilter.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/common/messages.h"
#include "core/prices/pricetables.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/filedialogs.h"
#include "gui/common/filterlist.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/common/indexedtoolbar.h"
#include "gui/prices/priceentry.h"
#include "gui/prices/priceimportdialog.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QMdiSubWindow>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace tarvex {

namespace {

QList<ToolbarEntry> toolbarEntries(const QStyle *style)
{
    return {
        {"数据刷新", style->standardIcon(QStyle::SP_BrowserReload)},
        {nullptr, QIcon()},
        {"添加数据", style->standardIcon(QStyle::SP_FileDialogNewFolder)},
        {"修改数据", style->standardIcon(QStyle::SP_FileDialogDetailedView)},
        {"删除数据", style->standardIcon(QStyle::SP_TrashIcon)},
        {"清空数据", style->standardIcon(QStyle::SP_DialogDiscardButton)},
        {nullptr, QIcon()},
        {"导出数据", style->standardIcon(QStyle::SP_DialogSaveButton)},
        {nullptr, QIcon()},
        {"关闭窗口", style->standardIcon(QStyle::SP_DialogCloseButton)},
    };
}

// While the window itself moves the grid's current cell, the filter list stays.
class SelfMove {
public:
    explicit SelfMove(bool &flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~SelfMove() { m_flag = false; }

private:
    bool &m_flag;
};

} // namespace

DisForm::DisForm(PriceTableId table, QWidget *parent)
    : QWidget(parent)
    , m_table(priceTable(table))
    , m_toolbar(new QToolBar(this))
    , m_flex(new FlexGrid(this))
    , m_combo(new QComboBox(this))
{
    setObjectName(QStringLiteral("DisForm"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    m_buttons = fillIndexedToolbar(m_toolbar, toolbarEntries(style()));
    // 11 "导入数据" stands beside 导出数据.
    addIndexedEntry(
        m_toolbar, m_buttons, {"导入数据", style()->standardIcon(QStyle::SP_DialogOpenButton)}, m_buttons[9]);
    connectActions();

    m_flex->setObjectName(QStringLiteral("Flex"));
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_flex, 1);
    // 15015 x 8800 twips for the grid.
    resize(1001, 587 + m_toolbar->sizeHint().height());

    connect(m_flex, &FlexGrid::currentCellChanged, this, [this] {
        m_flex->changeColor();
        if (!m_moving)
            hideFilterList();
    });
    connect(m_flex, &FlexGrid::scrolledOrSelected, this, [this] {
        if (!m_moving)
            hideFilterList();
    });
    connect(m_flex, &FlexGrid::cellDoubleClicked, this, &DisForm::gridDoubleClicked);
    connect(m_combo, &QComboBox::activated, this, &DisForm::DataSelect);
}

QAction *DisForm::button(int index) const
{
    return index >= 1 && index <= kButtonCount ? m_buttons[index] : nullptr;
}

void DisForm::connectActions()
{
    const auto entry = [this](int index, auto step) {
        connect(m_buttons[index], &QAction::triggered, this, step);
        return m_buttons[index];
    };
    Actions &a = m_actions;
    a.refresh = entry(1, [this] { fullLoad(); });
    a.add = entry(3, [this] { openEntryDialog(true); });
    a.modify = entry(4, [this] { openEntryDialog(false); });
    a.remove = entry(5, [this] { deleteRecord(); });
    a.clear = entry(6, [this] { clearTable(); });
    a.exportData = entry(8, [this] { FlexToExcel(m_flex); });
    a.close = entry(10, [this] { closeForm(this); });
    a.importData = entry(11, [this] { importData(); });
}

bool DisForm::event(QEvent *event)
{
    // Shown on its own rather than inside the main window.
    if (isWindow()) {
        if (event->type() == QEvent::WindowActivate)
            becameActive();
        else if (event->type() == QEvent::WindowDeactivate)
            m_loadedSinceActive = false;
    }
    return QWidget::event(event);
}

void DisForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The first showing counts as becoming active, even while the main
    // window itself is in the background.
    becameActive();
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub || m_watchingActivation)
        return;
    m_watchingActivation = true;
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        const bool wasActive = before.testFlag(Qt::WindowActive);
        if (now.testFlag(Qt::WindowActive) && !wasActive)
            becameActive();
        else if (wasActive && !now.testFlag(Qt::WindowActive))
            m_loadedSinceActive = false;
    });
}

void DisForm::becameActive()
{
    if (m_loadedSinceActive)
        return;
    m_loadedSinceActive = true;
    fullLoad();
}

void DisForm::showCount()
{
    emit statusText(StatusPanel::RecordCount, recordCountText(m_flex->recordCount()));
}

void DisForm::fullLoad()
{
    SelfMove moving(m_moving);
    QString failure;
    m_flex->setUpdatesEnabled(false);
    try {
        m_flex->load(m_table.fullLoadSource(), Database::shared());
        showCount();
        m_flex->fitColumns();
        m_flex->setCurrentCell(1, 0);
    } catch (const Error &e) {
        failure = e.message();
    }
    m_flex->setUpdatesEnabled(true);
    if (!failure.isEmpty())
        reportError(failure);
}

void DisForm::ReadData()
{
    SelfMove moving(m_moving);
    m_flex->load(m_table.filteredSource(m_filter.sql(), m_filter.values()), Database::shared());
    showCount();
    m_flex->fitColumns();
    m_flex->setCurrentCell(1, 0);
}

void DisForm::gridDoubleClicked(int row, int)
{
    // Row 1 is current after a click on a header: the filter list. Any
    // other row is a record to modify.
    if (row <= 1)
        showFilterList();
    else
        openEntryDialog(false);
}

void DisForm::showFilterList()
{
    try {
        fillFilterList(m_combo, m_flex, m_table.name, m_filter);
    } catch (const Error &e) {
        hideFilterList();
        reportError(e.message());
    }
}

void DisForm::hideFilterList()
{
    m_combo->hide();
}

void DisForm::DataSelect(int index)
{
    const int col = m_flex->col();
    try {
        m_filter.choose(m_flex->headerText(col), m_combo->itemText(index));
        emit statusText(StatusPanel::Filter, filterPanelText(m_filter.text()));
        ReadData();
        SelfMove moving(m_moving);
        m_flex->setCurrentCell(1, col);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DisForm::openEntryDialog(bool adding)
{
    PriceEntryRequest request;
    request.caller = EntryCaller::Browser;
    request.mode = adding ? EntryMode::Add : EntryMode::Modify;
    request.table = m_table.id;
    request.caption = adding ? QStringLiteral("添加数据") : QStringLiteral("修改数据");
    // The fee dialog keeps its steps in add mode too.
    request.showSteps = !adding || request.table == PriceTableId::Fee;
    request.grid = m_flex;
    showPriceEntryDialog(this, request, nullptr, statusTextOf(this));
    fullLoad();
}

void DisForm::deleteRecord()
{
    if (!messages().question(QStringLiteral("是否确定要删除当前记录?")))
        return;
    try {
        deletePriceRecord(m_table, m_flex->textMatrix(m_flex->row(), 0));
        messages().information(QStringLiteral("数据删除成功!"));
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    fullLoad();
}

void DisForm::clearTable()
{
    QString copy;
    try {
        if (!messages().question(m_table.clearQuestion()))
            return;
        copy = clearPriceTable(m_table);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    // The rows that were cleared must not stay on screen.
    fullLoad();
    QString text = QStringLiteral("记录清除成功!");
    if (!copy.isEmpty())
        text += QLatin1Char('\n') + backupKeptText(copy)
            + QStringLiteral("\n需要恢复时, 用“导入数据”以替换方式导入此文件。");
    messages().information(text);
}

void DisForm::importData()
{
    const QString path = ShowOpenDialog(QStringLiteral("导入数据"), priceListFilter(), appState().dataFolder);
    if (path.isEmpty())
        return;
    PriceImportDialog dialog(m_table, this);
    if (!dialog.openFile(path))
        return;
    if (runDialog(&dialog) == QDialog::Accepted)
        fullLoad();
}

} // namespace tarvex
