#pragma once

#include <QMainWindow>
#include <QVector>

class QAction;
class QLabel;
class QMdiArea;
class QToolBar;

namespace tarvex {

class BackgroundArea;

// The multiple-document main window and start-up object.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    enum class Placement { Fill, Centre };
    static constexpr int kButtonCount = 22;
    // The buttons that need the project: enabled while the priced data
    // viewer is open.
    static QList<int> projectButtons() { return {3, 4, 11, 22}; }

    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    // The one main window of the run (nullptr before it exists).
    static MainForm *instance();

    // The start-up sequence: folders from cs.ini, background picture, caption,
    // panels, disabled buttons, the shared connection, then the command line.
    void startup(const QStringList &arguments);

    // Toolbar entry by index 1..22 (separators included), and its dispatch.
    // 22, "下料优化", stands after "成本计算".
    QAction *button(int index) const;
    void toolbarClicked(int index);

    // Status bar panels 1..5.
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;

    QMdiArea *mdiArea() const;
    // Shows a window as a child of the client area, filling it or centred.
    void showChild(QWidget *form, Placement placement);

    // Raw data files.
    bool OpenFile(const QString &path);
    bool SaveFile();
    bool SaveasFile();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void buildStatusBar();
    void updateClock();
    bool saveWorkingTables(const QString &dialogTitle, const QString &cancelMessage, bool askForName);
    void openFileFromToolbar();
    void showViewerWindow(const QString &caption);
    void showCutWindow();
    void showPriceBrowser(const QString &table, const QString &caption);

    BackgroundArea *m_area;
    QToolBar *m_toolbar;
    QVector<QAction *> m_buttons; // index 0 unused
    QVector<QLabel *> m_panels; // index 0 unused
};

} // namespace tarvex
