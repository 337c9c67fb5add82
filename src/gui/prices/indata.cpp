#include "gui/prices/indata.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/common/yesno.h"
#include "core/prices/pricelists.h"
#include "core/prices/pricerecords.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

namespace tarvex {

InData::InData(const PriceEntryRequest &request, QWidget *parent)
    : PriceEntryDialog(request, parent)
{
    setObjectName(QStringLiteral("inData"));
    m_number = addText(QStringLiteral("Text1"), QStringLiteral("编  号"));
    m_series = addCombo(QStringLiteral("Combo1"), QStringLiteral("系  列"));
    m_name = addCombo(QStringLiteral("Combo2"), QStringLiteral("主材名称"));
    m_code = addText(QStringLiteral("Text2"), QStringLiteral("主材代号"));
    m_weight = addText(QStringLiteral("Text3"), QStringLiteral("线  重"));

    auto *thermal = new QWidget(this);
    auto *thermalLayout = new QHBoxLayout(thermal);
    thermalLayout->setContentsMargins(0, 0, 0, 0);
    m_thermalYes = new QRadioButton(QStringLiteral("是"), thermal);
    m_thermalYes->setObjectName(QStringLiteral("Option1"));
    m_thermalNo = new QRadioButton(QStringLiteral("否"), thermal);
    m_thermalNo->setObjectName(QStringLiteral("Option2"));
    thermalLayout->addWidget(m_thermalYes);
    thermalLayout->addSpacing(24);
    thermalLayout->addWidget(m_thermalNo);
    thermalLayout->addStretch();
    m_thermalYes->setChecked(true);
    addRow(QStringLiteral("隔热材"), thermal);

    m_class = addCombo(QStringLiteral("Combo3"), QStringLiteral("材料类别"));
    m_remark = addText(QStringLiteral("Text4"), QStringLiteral("备  注"));
    m_number->setEnabled(false);
    finishLayout();
    connect(m_series, &QComboBox::activated, this, &InData::seriesClicked);
}

void InData::fillLists()
{
    setComboItems(m_series, profileSeries(), QString());
    m_number->clear();
    QStringList classes;
    try {
        classes = readMaterialClasses(programFile(QStringLiteral("cllb.txt")));
    } catch (const Error &) {
        // Panel 1 is narrow: a short note, the class can still be typed.
        emit statusText(StatusPanel::Note, QStringLiteral("未能读取cllb.txt"));
    }
    setComboItems(m_class, classes, QString());
}

void InData::seriesClicked()
{
    try {
        setComboItems(m_name, profileNames(m_series->currentText().trimmed()), QString());
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void InData::loadBrowserRow(int row, bool stepping)
{
    m_series->setEditText(cell(row, 1));
    if (!stepping)
        seriesClicked();
    m_name->setEditText(cell(row, 2));
    m_number->setText(cell(row, 0));
    m_code->setText(cell(row, 3));
    m_weight->setText(numberCell(row, 4));
    bool thermal = false;
    if (readYesNo(cell(row, 5), &thermal))
        (thermal ? m_thermalYes : m_thermalNo)->setChecked(true);
    m_class->setEditText(cell(row, 6));
    m_remark->setText(cell(row, 7));
}

void InData::loadKeys(const MaterialKeys &keys)
{
    m_series->setEditText(keys.series);
    seriesClicked();
    m_name->setEditText(QString());
    m_code->setText(keys.code);
    m_class->setEditText(QString());
    m_weight->clear();
    m_remark->clear();
}

void InData::save()
{
    ProfileEntry entry;
    entry.number = m_number->text();
    entry.series = m_series->currentText();
    entry.name = m_name->currentText();
    entry.code = m_code->text();
    entry.weight = m_weight->text();
    entry.thermal = m_thermalYes->isChecked();
    entry.materialClass = m_class->currentText();
    entry.remark = m_remark->text();
    try {
        reportOutcome(saveProfile(entry, request().mode));
    } catch (const Error &e) {
        reportError(e.message());
    }
}

} // namespace tarvex
