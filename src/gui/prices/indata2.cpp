#include "gui/prices/indata2.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/prices/pricerecords.h"
#include "gui/common/flexgrid.h"

#include <QLabel>
#include <QLineEdit>

namespace tarvex {

InData2::InData2(const PriceEntryRequest &request, QWidget *parent)
    : PriceEntryDialog(request, parent)
    , m_fees(request.table != PriceTableId::Glass)
{
    setObjectName(QStringLiteral("inData2"));
    const QString labels[] = {QStringLiteral("编 号"), QStringLiteral("名 称"), QStringLiteral("单 价"),
        QStringLiteral("折扣量"), QStringLiteral("备 注")};
    for (int i = 1; i <= 5; ++i) {
        m_text[i] = new QLineEdit(this);
        m_text[i]->setObjectName(QStringLiteral("Text%1").arg(i));
        m_label[i] = addRow(labels[i - 1], m_text[i]);
    }
    m_text[1]->setEnabled(false);
    if (m_fees)
        useFeeLayout();
    finishLayout();
}

void InData2::useFeeLayout()
{
    for (int i : {4, 5}) {
        m_text[i]->hide();
        m_label[i]->hide();
    }
    m_label[1]->setText(QStringLiteral("费用名"));
    m_label[2]->setText(QStringLiteral("平米单价"));
    m_label[3]->setText(QStringLiteral("百分比"));
    m_text[1]->setEnabled(true);
}

void InData2::fillLists()
{
    if (!m_fees)
        m_text[1]->clear();
}

void InData2::loadBrowserRow(int row, bool)
{
    if (m_fees) {
        for (int i = 1; i <= 3; ++i)
            m_text[i]->setText(cell(row, i - 1));
        m_loadedFeeName = m_text[1]->text();
        return;
    }
    m_text[1]->setText(cell(row, 0));
    m_text[2]->setText(cell(row, 1));
    m_text[3]->setText(numberCell(row, 2));
    m_text[4]->setText(numberCell(row, 3));
    m_text[5]->setText(cell(row, 4));
}

void InData2::loadKeys(const MaterialKeys &keys)
{
    // Fees are kept only from the browser's grid.
    if (m_fees) {
        if (grid())
            loadBrowserRow(grid()->row(), false);
        return;
    }
    m_text[2]->setText(keys.name);
    for (int i : {3, 4, 5})
        m_text[i]->clear();
}

void InData2::save()
{
    try {
        if (m_fees) {
            const SaveOutcome outcome
                = saveFee({m_text[1]->text(), m_text[2]->text(), m_text[3]->text()}, request().mode, m_loadedFeeName);
            // A renamed fee is found under its new name when saved again.
            if (reportOutcome(outcome) && !adding())
                m_loadedFeeName = outcome.feeName;
            return;
        }
        reportOutcome(
            saveGlass({m_text[1]->text(), m_text[2]->text(), m_text[3]->text(), m_text[4]->text(), m_text[5]->text()},
                request().mode));
    } catch (const Error &e) {
        reportError(e.message());
    }
}

} // namespace tarvex
