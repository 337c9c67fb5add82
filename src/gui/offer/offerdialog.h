#pragma once

#include "core/offer/offerlines.h"
#include "core/offer/offersettings.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tarvex {

// "客户报价": what an offer asks beside the quotation's options: customer,
// project, one line per window number or series, discount, tax and
// validity. Scope, tax and validity are kept in cs.ini for the next offer.
class OfferDialog : public QDialog {
    Q_OBJECT
public:
    OfferDialog(const OfferSettings &settings, const QString &project, QWidget *parent = nullptr);

    // The controls as a request; *problem says what a box holds wrongly.
    OfferRequest request(QString *problem = nullptr) const;

    // "出具报价": refuses (with the reason) what cannot be offered.
    void accept() override;

private:
    QLineEdit *m_customer;
    QLineEdit *m_project;
    QRadioButton *m_perWindow;
    QRadioButton *m_perSeries;
    QComboBox *m_discountKind;
    QLineEdit *m_discount;
    QCheckBox *m_taxed;
    QLineEdit *m_tax;
    QLineEdit *m_validity;
};

// Shows the dialog, the project filled in; the request when the user issues
// the offer, nothing when cancelled.
std::optional<OfferRequest> askOfferRequest(const QString &project, QWidget *parent);

} // namespace tarvex
