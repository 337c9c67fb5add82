#include "gui/library/xlditem.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/library/libraryfile.h"
#include "gui/common/forms.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarvex {

namespace {

// The empty-text refusal carries a leading blank in its title.
const QString kEmptyTitle = QStringLiteral(" 系统提示");

QGroupBox *frameWith(const QString &name, QRadioButton *option, QComboBox *combo, QWidget *parent)
{
    auto *frame = new QGroupBox(parent);
    frame->setObjectName(name);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(option);
    layout->addWidget(combo);
    return frame;
}

} // namespace

XldItem::XldItem(QWidget *parent)
    : QWidget(parent)
    , m_option1(new QRadioButton(QStringLiteral("项目名称"), this))
    , m_option2(new QRadioButton(QStringLiteral("型材颜色"), this))
    , m_combo1(new QComboBox(this))
    , m_combo2(new QComboBox(this))
    , m_add(new QPushButton(QStringLiteral("添加"), this))
    , m_delete(new QPushButton(QStringLiteral("删除"), this))
    , m_rename(new QPushButton(QStringLiteral("修改"), this))
    , m_close(new QPushButton(QStringLiteral("关闭"), this))
{
    setObjectName(QStringLiteral("xldItem"));
    setWindowTitle(QStringLiteral("料单项目管理"));
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option2->setObjectName(QStringLiteral("Option2"));
    for (QComboBox *combo : {m_combo1, m_combo2}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(220);
    }
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo2->setObjectName(QStringLiteral("Combo2"));
    m_add->setObjectName(QStringLiteral("Command1"));
    m_delete->setObjectName(QStringLiteral("Command2"));
    m_rename->setObjectName(QStringLiteral("Command3"));
    m_close->setObjectName(QStringLiteral("Command4"));

    auto *lists = new QVBoxLayout;
    lists->addWidget(frameWith(QStringLiteral("Frame1"), m_option1, m_combo1, this));
    lists->addWidget(frameWith(QStringLiteral("Frame2"), m_option2, m_combo2, this));
    lists->addStretch(1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_add, m_delete, m_rename, m_close})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(m_option1, &QRadioButton::clicked, this, [this] { setMode(PickList::ItemNames); });
    connect(m_option2, &QRadioButton::clicked, this, [this] { setMode(PickList::Colours); });
    connect(m_combo1, &QComboBox::activated, this, [this] { m_selName = m_combo1->currentText(); });
    connect(m_combo2, &QComboBox::activated, this, [this] { m_selColour = m_combo2->currentText(); });
    connect(m_add, &QPushButton::clicked, this, &XldItem::addEntry);
    connect(m_delete, &QPushButton::clicked, this, &XldItem::deleteEntry);
    connect(m_rename, &QPushButton::clicked, this, &XldItem::renameEntry);
    connect(m_close, &QPushButton::clicked, this, &XldItem::closeDialog);
}

XldItem::~XldItem() = default;

bool XldItem::load()
{
    try {
        m_conn.reset();
        m_conn = std::make_unique<LibraryConnection>(currentLibraryFile());
        const QStringList names = readPickList(m_conn->db(), PickList::ItemNames);
        m_combo1->clear();
        setMode(PickList::ItemNames);
        m_combo1->addItems(names);
        // Delete and rename follow the item-name list, whichever list is active.
        if (!names.isEmpty()) {
            m_combo1->setCurrentIndex(0);
            m_selName = m_combo1->currentText();
        }
        m_delete->setEnabled(!names.isEmpty());
        m_rename->setEnabled(!names.isEmpty());
        const QStringList colours = readPickList(m_conn->db(), PickList::Colours);
        m_combo2->clear();
        m_combo2->addItems(colours);
        if (!colours.isEmpty()) {
            m_combo2->setCurrentIndex(0);
            m_selColour = m_combo2->currentText();
        }
        m_combo2->setEnabled(false);
    } catch (const Error &e) {
        m_conn.reset();
        reportError(e.message());
        return false;
    }
    return true;
}

void XldItem::refresh()
{
    if (!load())
        closeDialog();
}

PickList XldItem::activeList() const
{
    return m_option1->isChecked() ? PickList::ItemNames : PickList::Colours;
}

QComboBox *XldItem::activeCombo() const
{
    return activeList() == PickList::ItemNames ? m_combo1 : m_combo2;
}

void XldItem::setMode(PickList list)
{
    const bool names = list == PickList::ItemNames;
    m_option1->setChecked(names);
    m_option2->setChecked(!names);
    m_combo1->setEnabled(names);
    m_combo2->setEnabled(!names);
}

void XldItem::addEntry()
{
    const QString text = activeCombo()->currentText().trimmed();
    if (text.isEmpty()) {
        messages().warning(QStringLiteral("添加内容为空,请重试!"), kEmptyTitle);
        return;
    }
    try {
        addPickEntry(m_conn->db(), activeList(), text);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    messages().information(QStringLiteral("记录添加成功!"));
    refresh();
}

void XldItem::deleteEntry()
{
    // The entry chosen last, not the text in the edit field.
    const PickList list = activeList();
    try {
        deletePickEntry(m_conn->db(), list, list == PickList::ItemNames ? m_selName : m_selColour);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    messages().information(QStringLiteral("记录删除成功!"));
    refresh();
}

void XldItem::renameEntry()
{
    const QString text = activeCombo()->currentText().trimmed();
    if (text.isEmpty()) {
        messages().warning(QStringLiteral("添加内容为空,请重试!"), kEmptyTitle);
        return;
    }
    const PickList list = activeList();
    try {
        renamePickEntry(m_conn->db(), list, list == PickList::ItemNames ? m_selName : m_selColour, text);
    } catch (const Error &e) {
        reportError(e.message());
        closeDialog();
        return;
    }
    messages().information(QStringLiteral("记录修改成功!"));
    refresh();
}

void XldItem::closeDialog()
{
    tarvex::closeForm(this);
}

} // namespace tarvex
