#pragma once

#include "core/cutting/cutplan.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPrinter;
class QPushButton;
class QTableView;

namespace tarvex {

class CutBarsView;
class CutSummaryModel;
class FlexGrid;

// "下料优化": the stock length, kerf and end trim (kept in cs.ini), the
// stock length of each code (lcStock), the plan computed on a worker thread
// with its own database connection (taking remnants first when "使用余料"
// is ticked), its summary per code, the bars of the chosen code drawn to
// scale, the outputs (printing, PDF and workbook), "确认下料" and the
// remnant stock ("余料库").
class CutForm : public QWidget {
    Q_OBJECT
public:
    explicit CutForm(QWidget *parent = nullptr);
    ~CutForm() override;

    // "计算": checks the boxes, keeps them and starts the plan; false when a
    // box was refused.
    bool compute();
    bool isComputing() const { return m_worker.joinable() && !m_finished; }
    const CutPlan &plan() const;

    // The stock length of the code in the grid's row, asked in an input box.
    void editStock(int row);

    // "打印" to the given printer; "导出PDF" asks for the file.
    bool printTo(QPrinter *printer);
    bool exportPdf();
    // "输出Excel": the workbook in temp1, opened with the desktop. Returns
    // the file written, empty after a failure.
    QString exportWorkbook();

    // "确认下料": asks (否 the default), then records the plan's offcuts as
    // remnants and takes away the remnants it used; once per plan. False
    // when not confirmed or failed (nothing changed then).
    bool confirmCut();

signals:
    // The plan is shown (or the run failed or was refused).
    void computed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadStockGrid();
    void showCode(int row);
    void showPlan(const CutPlan &plan);
    void runFailed(const QString &message);
    void setRunning(bool running);
    void stopWorker();
    void printDocument();

    QLineEdit *m_stock;
    QLineEdit *m_kerf;
    QLineEdit *m_trim;
    QPushButton *m_compute;
    QPushButton *m_print;
    QPushButton *m_pdf;
    QPushButton *m_excel;
    QPushButton *m_confirm;
    QPushButton *m_remnants;
    QCheckBox *m_useRemnants;
    QProgressBar *m_progress;
    QLabel *m_status;
    FlexGrid *m_stockGrid;
    QTableView *m_summary;
    CutSummaryModel *m_model;
    CutBarsView *m_bars;

    std::thread m_worker;
    std::atomic<bool> m_cancel {false};
    bool m_finished = true;
    bool m_confirmed = false;
};

// The window for the main window's "下料优化" button.
QWidget *createCutForm();

} // namespace tarvex
