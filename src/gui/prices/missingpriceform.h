#pragma once

#include "core/prices/missingprices.h"
#include "gui/common/statustext.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tarvex {

class FlexGrid;

// "缺价清单": every material of the project without a price, with the rows
// and windows it affects. A double click (or "录入单价") opens the entry
// dialog of the material's price table, started from its keys; the list is
// read again after each save. Opened for a quotation, the window closes by
// itself once nothing is missing, and the quotation goes on.
class MissingPriceForm : public QDialog {
    Q_OBJECT
public:
    explicit MissingPriceForm(bool forQuotation, QWidget *parent = nullptr);

    QTableWidget *list() const { return m_list; }
    const QList<MissingPrice> &items() const { return m_items; }

    // Reads the list again; false after reporting a failure.
    bool refresh();
    // The entry dialog for the item on a row of the list (from 0).
    void enterPrice(int row);

signals:
    // Notes of the entry dialogs for the main window's status bar.
    void statusText(StatusPanel panel, const QString &text);

private:
    void showItems();
    void enterCurrent();
    // After an entry dialog closed: read again; for a quotation, done when empty.
    void afterEntry();

    bool m_forQuotation;
    QLabel *m_summary;
    QTableWidget *m_list;
    QPushButton *m_enter;
    FlexGrid *m_record; // a price record without its price, for the entry dialog
    QList<MissingPrice> m_items;
};

// Shows the list modally; true when nothing is missing when it closes. The
// notes of its entry dialogs go to status.
bool showMissingPrices(QWidget *parent, bool forQuotation, const StatusTextSink &status = nullptr);

} // namespace tarvex
