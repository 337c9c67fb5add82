#pragma once

#include "core/prices/pricetables.h"
#include "gui/common/statustext.h"

#include <QMainWindow>
#include <QVector>

#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QToolBar;

namespace tarvex {

class BackgroundArea;
struct PageDocument;

// The multiple-document main window and start-up object.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    enum class Placement { Fill, Centre };
    static constexpr int kButtonCount = 23;

    // The toolbar's entries by what they do. Each keeps its index as its
    // object name ("Button" + index), and button(index) finds it too.
    struct Actions {
        QAction *viewData = nullptr; // 1 检索数据
        QAction *openFile = nullptr; // 2 打开文件
        QAction *save = nullptr; // 3 保  存
        QAction *saveAs = nullptr; // 4 另存为
        QAction *profilePrices = nullptr; // 6 主材线重
        QAction *accessoryPrices = nullptr; // 7 配件单价
        QAction *glassPrices = nullptr; // 8 玻璃单价
        QAction *fees = nullptr; // 9 固定费用
        QAction *quotation = nullptr; // 11 成本计算
        QAction *library = nullptr; // 13 图库管理
        QAction *libraryItems = nullptr; // 14 料单项目
        QAction *help = nullptr; // 16 系统帮助
        QAction *settings = nullptr; // 17 系统设置
        QAction *about = nullptr; // 19 关于程序
        QAction *quit = nullptr; // 21 退出系统
        QAction *cuttingPlan = nullptr; // 22 下料优化, shown after 成本计算
        QAction *offers = nullptr; // 23 报价记录, shown after 下料优化
    };

    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    // The start-up sequence: folders from cs.ini, background picture, caption,
    // panels, disabled buttons, the shared connection, then the command line.
    void startup(const QStringList &arguments);

    const Actions &actions() const { return m_actions; }
    // Toolbar entry by index 1..22, separators included.
    QAction *button(int index) const;
    // The entries that need the project (保  存, 另存为, 成本计算, 下料优化):
    // enabled while the priced data viewer is open.
    QList<QAction *> projectActions() const;

    // Status bar panels 1..5; child windows set them by their statusText.
    // The record count and the filter go when the window that wrote them
    // closes.
    void setPanelText(StatusPanel panel, const QString &text);
    QString panelText(int panel) const;

    QMdiArea *mdiArea() const;
    // Shows a window as a child of the client area, filling it or centred.
    // A window that fills the area keeps filling it as the main window is
    // shown and resized, until the user moves or resizes it.
    void showChild(QWidget *form, Placement placement);
    // The windows in the client area, and the open one of a type.
    QList<QWidget *> childForms() const;
    template <typename Form> Form *openChild() const
    {
        for (QWidget *form : childForms())
            if (auto *typed = qobject_cast<Form *>(form))
                return typed;
        return nullptr;
    }

    // The pages of a paper quotation in the preview window: the open one
    // takes the new pages, else a new one fills the client area.
    void showPaperPreview(const PageDocument &pages, const QString &title);
    // The pages of a customer offer, 导出PDF giving the PDF the register keeps.
    void showOfferPreview(const PageDocument &pages, const QString &title, const QByteArray &pdf);

    // Raw data files.
    bool OpenFile(const QString &path);
    bool SaveFile();
    bool SaveasFile();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void connectActions();
    // The entry of this index, its triggering running step.
    QAction *entry(int index, const std::function<void()> &step);
    void buildStatusBar();
    void updateClock();
    bool saveWorkingTables(const QString &dialogTitle, const QString &cancelMessage, bool askForName);
    void openFileFromToolbar();
    // The child windows the toolbar opens (mainform_windows.cpp).
    void showViewerWindow(const QString &caption);
    void showPriceBrowser(PriceTableId table, const QString &caption);
    void runQuotation();
    void showCutWindow();
    void showOffers();
    // Closes the child windows, then shows the one create builds (nullptr
    // when it could not, having said why).
    void showOnly(const std::function<QWidget *()> &create, Placement placement);
    void activate(QWidget *form);
    // The entries that need the project follow the viewer.
    void setProjectOpen(bool open);
    void refitFillingWindows();
    void releasePanelsOf(QObject *writer);

    BackgroundArea *m_area;
    QToolBar *m_toolbar;
    QVector<QAction *> m_buttons; // index 0 unused
    Actions m_actions;
    QVector<QLabel *> m_panels; // index 0 unused
    QVector<QObject *> m_panelWriters; // the window whose text a panel shows
};

} // namespace tarvex
