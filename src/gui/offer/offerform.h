#pragma once

#include "core/document/pagedocument.h"
#include "core/offer/offerregister.h"
#include "gui/common/statustext.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace tarvex {

class FlexGrid;

// "报价记录": the register of customer offers. The list filters by customer,
// project and date and sorts by any column (a click on its header, again
// for the other way); 重印 writes an offer's recorded PDF, 修订 issues a
// revision with today's prices and shows its totals beside the old ones,
// 删除 asks first. A recorded offer is never changed.
class OfferForm : public QWidget {
    Q_OBJECT
public:
    explicit OfferForm(QWidget *parent = nullptr);

    // Lists the offers of the filter; says the count in the status bar.
    void load();
    FlexGrid *grid() const { return m_grid; }
    OfferFilter filter() const;
    // The list by this column of offerListColumns(); the same column again
    // turns the order round.
    void sortBy(int column);
    // The offer of the current row; empty when there is none.
    QString currentNumber() const;

    // 重印, 修订, 删除 on the current row; false when nothing was done.
    bool reprint();
    bool revise();
    bool remove();

signals:
    void statusText(StatusPanel panel, const QString &text);
    // A revision's pages for the preview, with the PDF the register keeps.
    void offerIssued(const PageDocument &pages, const QString &title, const QByteArray &pdf);

private:
    std::optional<RecordedOffer> current() const;
    void select(const QString &number);

    QLineEdit *m_customer;
    QLineEdit *m_project;
    QLineEdit *m_from;
    QLineEdit *m_to;
    FlexGrid *m_grid;
    QLabel *m_comparison;
    int m_sortColumn = 0;
    bool m_descending = false;
};

} // namespace tarvex
