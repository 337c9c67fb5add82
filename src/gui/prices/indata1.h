#pragma once

#include "gui/prices/entrydialog.h"

namespace tarvex {

// Accessory record entry (inData1): a record of pjName.
class InData1 : public PriceEntryDialog {
    Q_OBJECT
public:
    InData1(const PriceEntryRequest &request, QWidget *parent);

protected:
    void fillLists() override;
    void loadBrowserRow(int row, bool stepping) override;
    void loadKeys(const MaterialKeys &keys) override;
    void save() override;

private:
    void classClicked();

    QLineEdit *m_number;
    QComboBox *m_category;
    QComboBox *m_name;
    QLineEdit *m_spec;
    QLineEdit *m_requirement;
    QLineEdit *m_unit;
    QLineEdit *m_price;
    QLineEdit *m_discount;
    QLineEdit *m_remark;
};

} // namespace tarvex
