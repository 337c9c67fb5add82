#include "gui/rawdata/lcform.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/rawedit/rawlayout.h"
#include "core/rawedit/rawrecords.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvex {

LcForm::LcForm(FlexGrid *grid, MaterialKind kind, EntryMode mode, QWidget *parent)
    : QDialog(parent)
    , m_grid(grid)
    , m_kind(kind)
    , m_mode(mode)
{
    setObjectName(QStringLiteral("LcForm"));
    setSmallDialogFrame(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(mode == EntryMode::Add ? QStringLiteral("添加数据") : QStringLiteral("修改数据"));
    buildControls();
    ReadFlex();
}

void LcForm::buildControls()
{
    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->setVerticalSpacing(6);
    for (int i = 0; i < 10; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *text = new QLineEdit(this);
        text->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        text->setMinimumWidth(260);
        label->setBuddy(text);
        rows->addWidget(label, i, 0);
        rows->addWidget(text, i, 1);
        m_labels.append(label);
        m_texts.append(text);
    }

    m_confirm = new QPushButton(m_mode == EntryMode::Add ? QStringLiteral("添 加") : QStringLiteral("修 改"), this);
    m_confirm->setObjectName(QStringLiteral("Command1"));
    m_confirm->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取 消"), this);
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_previous = new QPushButton(QStringLiteral("上一条"), this);
    m_previous->setObjectName(QStringLiteral("Command3"));
    m_next = new QPushButton(QStringLiteral("下一条"), this);
    m_next->setObjectName(QStringLiteral("Command4"));
    for (QPushButton *b : {m_previous, m_next, m_confirm, m_cancel}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(76);
    }
    m_confirm->setAutoDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(16, 14, 16, 12);
    main->addLayout(rows);
    main->addSpacing(10);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_confirm, &QPushButton::clicked, this, &LcForm::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_previous, &QPushButton::clicked, this, [this] {
        FlexMove(1);
        ReadFlex();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        FlexMove(2);
        ReadFlex();
    });
}

void LcForm::applyLayout()
{
    const RawEditorLayout &layout = rawEditorLayout(m_kind);
    for (int i = 0; i < 10; ++i) {
        const RawEditorRow &row = layout.rows.at(i);
        m_labels[i]->setVisible(row.shown());
        m_texts[i]->setVisible(row.shown());
        m_labels[i]->setText(row.caption);
        m_texts[i]->setEnabled(!row.readOnly);
    }
}

void LcForm::ReadFlex()
{
    m_oldValues.clear();
    const bool modify = m_mode == EntryMode::Modify;
    m_previous->setVisible(modify);
    m_next->setVisible(modify);
    if (modify)
        setStepButtons(m_grid->row());
    applyLayout();

    // Row 0 is the header: with no data row chosen the boxes start blank
    // rather than showing the field names as values.
    const int row = m_grid->row();
    const RawEditorLayout &layout = rawEditorLayout(m_kind);
    for (int i = 0; i < 10; ++i) {
        const RawEditorRow &r = layout.rows.at(i);
        m_texts[i]->setText(r.shown() && row >= 1 ? m_grid->textMatrix(row, r.column) : QString());
    }
    m_oldValues = rawOldValues(m_kind, boxTexts());
}

void LcForm::setStepButtons(int row)
{
    m_previous->setEnabled(row >= 2);
    m_next->setEnabled(row < m_grid->rows() - 1);
}

void LcForm::FlexMove(int direction)
{
    const int row = m_grid->row() + (direction == 1 ? -1 : 1);
    if (row < 0 || row > m_grid->rows() - 1)
        return;
    const int col = m_grid->col();
    m_grid->setCurrentCell(row, col);
    m_grid->changeColor();
    setStepButtons(row);
}

QStringList LcForm::boxTexts() const
{
    QStringList texts;
    for (const QLineEdit *text : m_texts)
        texts.append(text->text());
    return texts;
}

void LcForm::confirm()
{
    const QStringList texts = boxTexts();
    // A refusal or a failure keeps the dialog open with what was typed, so
    // the user can put it right and try again.
    if (!rawEntryComplete(m_kind, texts)) {
        messages().warning(QStringLiteral("项目填写不完整!请填定完整后重试!"));
        return;
    }
    try {
        if (m_mode == EntryMode::Add)
            addRawEntry(m_kind, texts);
        else
            modifyRawEntry(m_kind, texts, m_oldValues);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    messages().information(
        m_mode == EntryMode::Add ? QStringLiteral("数据添加成功!") : QStringLiteral("数据修改成功!"));
    accept();
}

} // namespace tarvex
