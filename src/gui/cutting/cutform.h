#pragma once

#include "core/cutting/cutplan.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

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
// with its own database connection, its summary per code, the bars of the
// chosen code drawn to scale, and the outputs: printing, PDF and workbook.
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
    QProgressBar *m_progress;
    QLabel *m_status;
    FlexGrid *m_stockGrid;
    QTableView *m_summary;
    CutSummaryModel *m_model;
    CutBarsView *m_bars;

    std::thread m_worker;
    std::atomic<bool> m_cancel {false};
    bool m_finished = true;
};

// The window for the main window's "下料优化" button.
QWidget *createCutForm();

} // namespace tarvex
