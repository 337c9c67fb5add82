#pragma once

#include "core/prices/priceimport.h"
#include "core/prices/pricetables.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace tarvex {

// "导入数据": a price list file against one price table. Before anything is
// written it shows what the import would do (new, changed, unchanged and
// invalid rows, each invalid row with its line and reason); "导 入" stays
// disabled while a row is invalid.
class PriceImportDialog : public QDialog {
    Q_OBJECT
public:
    PriceImportDialog(const PriceTable &table, QWidget *parent = nullptr);

    // Reads the file and shows the preview; false after reporting why the
    // file cannot be read at all.
    bool openFile(const QString &path);
    // Merge or replace; the preview follows.
    void setMode(ImportMode mode);
    const PriceImportPlan &plan() const { return m_plan; }
    QTableWidget *problems() const { return m_problems; }
    QLabel *summary() const { return m_summary; }
    QPushButton *importButton() const { return m_import; }
    // "导 入": asks before a replacement, imports, reports, closes.
    void importFile();

private:
    void chooseFile();
    void preview();
    void showPlan();

    PriceTable m_table;
    PriceListFile m_file;
    PriceImportPlan m_plan;
    bool m_previewed = false;
    QLineEdit *m_path;
    QRadioButton *m_merge;
    QRadioButton *m_replace;
    QLabel *m_summary;
    QTableWidget *m_problems;
    QPushButton *m_import;
};

// The filter of the file dialogs for price lists.
QString priceListFilter();

} // namespace tarvex
