#include "gui/prices/indata1.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/prices/pricelists.h"
#include "core/prices/pricerecords.h"

#include <QComboBox>
#include <QLineEdit>

namespace tarvex {

InData1::InData1(const PriceEntryRequest &request, QWidget *parent)
    : PriceEntryDialog(request, parent)
{
    setObjectName(QStringLiteral("inData1"));
    m_number = addText(QStringLiteral("Text1"), QStringLiteral("编 号"));
    m_category = addCombo(QStringLiteral("Combo1"), QStringLiteral("附件类别"));
    m_name = addCombo(QStringLiteral("Combo2"), QStringLiteral("附件名称"));
    m_spec = addText(QStringLiteral("Text2"), QStringLiteral("附件规格"));
    m_requirement = addText(QStringLiteral("Text3"), QStringLiteral("技术要求"));
    m_unit = addText(QStringLiteral("Text4"), QStringLiteral("单 位"));
    m_price = addText(QStringLiteral("Text5"), QStringLiteral("单 价"));
    m_discount = addText(QStringLiteral("Text6"), QStringLiteral("折扣量"));
    m_remark = addText(QStringLiteral("Text7"), QStringLiteral("备 注"));
    m_number->setEnabled(false);
    finishLayout();
    connect(m_category, &QComboBox::activated, this, &InData1::classClicked);
}

void InData1::fillLists()
{
    setComboItems(m_category, accessoryClasses(), QString());
    m_number->clear();
}

void InData1::classClicked()
{
    // The name typed so far stays when the class changes.
    const QString name = m_name->currentText();
    try {
        setComboItems(m_name, accessoryNames(m_category->currentText().trimmed()), name);
    } catch (const Error &e) {
        m_name->setEditText(name);
        reportError(e.message());
    }
}

void InData1::loadBrowserRow(int row, bool)
{
    m_category->setEditText(cell(row, 1));
    classClicked();
    m_name->setEditText(cell(row, 2));
    m_number->setText(cell(row, 0));
    m_spec->setText(cell(row, 3));
    m_requirement->setText(cell(row, 4));
    m_unit->setText(cell(row, 5));
    m_price->setText(numberCell(row, 6));
    m_discount->setText(numberCell(row, 7));
    m_remark->setText(cell(row, 8));
}

void InData1::loadKeys(const MaterialKeys &keys)
{
    m_name->setEditText(keys.name);
    m_spec->setText(keys.spec);
    m_requirement->setText(keys.requirement);
    for (QLineEdit *text : {m_unit, m_price, m_discount, m_remark})
        text->clear();
}

void InData1::save()
{
    AccessoryEntry entry;
    entry.number = m_number->text();
    entry.category = m_category->currentText();
    entry.name = m_name->currentText();
    entry.spec = m_spec->text();
    entry.requirement = m_requirement->text();
    entry.unit = m_unit->text();
    entry.price = m_price->text();
    entry.discount = m_discount->text();
    entry.remark = m_remark->text();
    try {
        reportOutcome(saveAccessory(entry, request().mode));
    } catch (const Error &e) {
        reportError(e.message());
    }
}

} // namespace tarvex
