#pragma once

#include "gui/prices/entrydialog.h"

namespace tarvex {

// Glass and fee record entry (inData2): blName for PriceTableId::Glass, FyTable
// otherwise, each with its own layout.
class InData2 : public PriceEntryDialog {
    Q_OBJECT
public:
    InData2(const PriceEntryRequest &request, QWidget *parent);

    bool feeLayout() const { return m_fees; }
    // The fee a modification rewrites: the one loaded, then the one saved.
    QString loadedFeeName() const { return m_loadedFeeName; }

protected:
    void fillLists() override;
    void loadBrowserRow(int row, bool stepping) override;
    void loadKeys(const MaterialKeys &keys) override;
    void save() override;
    bool stepButtonsFollowRowAtLoad() const override { return !m_fees; }

private:
    void useFeeLayout();

    bool m_fees;
    QString m_loadedFeeName;
    QLineEdit *m_text[6] = {}; // Text1..Text5 at 1..5
    QLabel *m_label[6] = {};
};

} // namespace tarvex
