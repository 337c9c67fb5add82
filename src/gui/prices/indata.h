#pragma once

#include "gui/prices/entrydialog.h"

class QRadioButton;

namespace tarvex {

// Profile record entry (inData): a record of lcName.
class InData : public PriceEntryDialog {
    Q_OBJECT
public:
    InData(const PriceEntryRequest &request, QWidget *parent);

protected:
    void fillLists() override;
    void loadBrowserRow(int row, bool stepping) override;
    void loadKeys(const MaterialKeys &keys) override;
    void save() override;

private:
    void seriesClicked();

    QLineEdit *m_number;
    QComboBox *m_series;
    QComboBox *m_name;
    QLineEdit *m_code;
    QLineEdit *m_weight;
    QRadioButton *m_thermalYes;
    QRadioButton *m_thermalNo;
    QComboBox *m_class;
    QLineEdit *m_remark;
};

} // namespace tarvex
