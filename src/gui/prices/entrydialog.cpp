#include "gui/prices/entrydialog.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/common/numbers.h"
#include "core/prices/pricerecords.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/prices/flexmove.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvex {

PriceEntryDialog::PriceEntryDialog(const PriceEntryRequest &request, QWidget *parent)
    : QDialog(parent)
    , m_request(request)
    , m_form(new QGridLayout)
    , m_previous(new QPushButton(QStringLiteral("上一条"), this))
    , m_next(new QPushButton(QStringLiteral("下一条"), this))
    , m_save(new QPushButton(QStringLiteral("确 定"), this))
    , m_cancel(new QPushButton(QStringLiteral("取 消"), this))
{
    setSmallDialogFrame(this);
    m_previous->setObjectName(QStringLiteral("Command1"));
    m_next->setObjectName(QStringLiteral("Command2"));
    m_save->setObjectName(QStringLiteral("Command3"));
    m_cancel->setObjectName(QStringLiteral("Command4"));
    // Enter in a field must not press a button: the dialog stays open after saving.
    for (QPushButton *button : {m_previous, m_next, m_save, m_cancel})
        button->setAutoDefault(false);
    m_form->setHorizontalSpacing(10);
    m_form->setVerticalSpacing(8);
    m_form->setColumnMinimumWidth(1, 240);
    connect(m_previous, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_next, &QPushButton::clicked, this, [this] { step(2); });
    connect(m_save, &QPushButton::clicked, this, [this] { save(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PriceEntryDialog::finishLayout()
{
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(18, 16, 18, 14);
    main->setSpacing(16);
    main->addLayout(m_form);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel *PriceEntryDialog::addRow(const QString &label, QWidget *field)
{
    const int row = m_rows++;
    auto *caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("Label%1").arg(row + 1));
    m_form->addWidget(caption, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    m_form->addWidget(field, row, 1);
    return caption;
}

QLineEdit *PriceEntryDialog::addText(const QString &name, const QString &label)
{
    auto *text = new QLineEdit(this);
    text->setObjectName(name);
    addRow(label, text);
    return text;
}

QComboBox *PriceEntryDialog::addCombo(const QString &name, const QString &label)
{
    auto *combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    addRow(label, combo);
    return combo;
}

void PriceEntryDialog::setComboItems(QComboBox *combo, const QStringList &items, const QString &text)
{
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

void PriceEntryDialog::setStepsVisible(bool visible)
{
    m_previous->setVisible(visible);
    m_next->setVisible(visible);
}

QString PriceEntryDialog::cell(int row, int col) const
{
    return grid() ? grid()->textMatrix(row, col) : QString();
}

QString PriceEntryDialog::numberCell(int row, int col) const
{
    const QString text = cell(row, col);
    double value = 0;
    return parseNumber(text, &value) ? plainNumber(value) : text;
}

void PriceEntryDialog::load()
{
    try {
        fillLists();
        if (m_request.caller != EntryCaller::Browser) {
            loadKeys(m_request.keys);
            return;
        }
        if (!grid())
            return;
        const int row = grid()->row();
        loadBrowserRow(row, false);
        if (!adding() && stepButtonsFollowRowAtLoad()) {
            m_next->setEnabled(row < grid()->rows() - 1);
            m_previous->setEnabled(row > 1);
        }
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void PriceEntryDialog::step(int direction)
{
    if (!grid())
        return;
    try {
        FlexMove(grid(), direction, m_previous, m_next);
        loadBrowserRow(grid()->row(), true);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

bool PriceEntryDialog::reportOutcome(const SaveOutcome &outcome)
{
    switch (outcome.result) {
    case SaveResult::Added:
        messages().information(QStringLiteral("记录添加成功!"));
        emit saved();
        return true;
    case SaveResult::Modified:
        messages().information(QStringLiteral("记录修改成功!"));
        emit saved();
        return true;
    case SaveResult::Incomplete:
        messages().warning(QStringLiteral("项目填写不完整!请填定完整后重试!"));
        break;
    case SaveResult::Duplicate:
        messages().warning(QStringLiteral("数据库中已存在相同记录,请核对后重试!"));
        break;
    }
    return false;
}

} // namespace tarvex
