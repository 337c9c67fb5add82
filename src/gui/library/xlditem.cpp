#include "gui/library/xlditem.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/library/libraryfile.h"
#include "gui/common/forms.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tarvex {

namespace {

// The empty-text refusal carries a leading blank in its title.
const QString kEmptyTitle = QStringLiteral(" 系统提示");

// A list's frame with its option and combo box, made in this order so that
// Tab reaches the option, then its list.
QGroupBox *frameWith(
    const QString &name, const QString &caption, QRadioButton *&option, QComboBox *&combo, QWidget *parent)
{
    auto *frame = new QGroupBox(parent);
    frame->setObjectName(name);
    option = new QRadioButton(caption, frame);
    combo = new QComboBox(frame);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(option);
    layout->addWidget(combo);
    return frame;
}

} // namespace

XldItem::XldItem(QWidget *parent)
    : QWidget(parent)
{
    // Made in the order Tab takes: each list after its option, then the commands.
    QGroupBox *frame1 = frameWith(QStringLiteral("Frame1"), QStringLiteral("项目名称"), m_option1, m_combo1, this);
    QGroupBox *frame2 = frameWith(QStringLiteral("Frame2"), QStringLiteral("型材颜色"), m_option2, m_combo2, this);
    m_add = new QPushButton(QStringLiteral("添加"), this);
    m_delete = new QPushButton(QStringLiteral("删除"), this);
    m_rename = new QPushButton(QStringLiteral("修改"), this);
    m_close = new QPushButton(QStringLiteral("关闭"), this);
    setObjectName(QStringLiteral("xldItem"));
    setWindowTitle(QStringLiteral("料单项目管理"));
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option2->setObjectName(QStringLiteral("Option2"));
    for (QComboBox *combo : {m_combo1, m_combo2}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(220);
        combo->lineEdit()->installEventFilter(this);
    }
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo2->setObjectName(QStringLiteral("Combo2"));
    m_add->setObjectName(QStringLiteral("Command1"));
    m_delete->setObjectName(QStringLiteral("Command2"));
    m_rename->setObjectName(QStringLiteral("Command3"));
    m_close->setObjectName(QStringLiteral("Command4"));

    auto *lists = new QVBoxLayout;
    lists->addWidget(frame1);
    lists->addWidget(frame2);
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
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &XldItem::closeDialog);
}

XldItem::~XldItem() = default;

bool XldItem::load(PickList active, const QString &chosen)
{
    try {
        m_conn.reset();
        m_conn = std::make_unique<LibraryConnection>();
        for (const PickList list : {PickList::ItemNames, PickList::Colours}) {
            QComboBox *combo = list == PickList::ItemNames ? m_combo1 : m_combo2;
            combo->clear();
            combo->addItems(readPickList(m_conn->db(), list));
            if (combo->count() == 0)
                continue;
            const int at = list == active && !chosen.isEmpty() ? combo->findText(chosen) : -1;
            combo->setCurrentIndex(qMax(at, 0));
            chosenEntry(list) = combo->currentText();
        }
        setMode(active);
    } catch (const Error &e) {
        m_conn.reset();
        reportError(e.message());
        return false;
    }
    return true;
}

void XldItem::refresh(const QString &chosen)
{
    if (!load(activeList(), chosen))
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

QString &XldItem::chosenEntry(PickList list)
{
    return list == PickList::ItemNames ? m_selName : m_selColour;
}

void XldItem::setMode(PickList list)
{
    const bool names = list == PickList::ItemNames;
    m_option1->setChecked(names);
    m_option2->setChecked(!names);
    m_combo1->setEnabled(names);
    m_combo2->setEnabled(!names);
    // Delete and rename need an entry of the list worked on.
    const bool entries = activeCombo()->count() > 0;
    m_delete->setEnabled(entries);
    m_rename->setEnabled(entries);
}

void XldItem::addEntry()
{
    const QString text = activeCombo()->currentText().trimmed();
    if (text.isEmpty()) {
        messages().notice(QStringLiteral("添加内容为空,请重试!"), kEmptyTitle);
        return;
    }
    try {
        addPickEntry(m_conn->db(), activeList(), text);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    messages().information(QStringLiteral("记录添加成功!"));
    refresh(text);
}

void XldItem::deleteEntry()
{
    const PickList list = activeList();
    const QString text = activeCombo()->currentText().trimmed();
    if (activeCombo()->findText(text) < 0) {
        messages().warning(text.isEmpty()
                ? QStringLiteral("请在列表中选择要删除的记录!")
                : QStringLiteral("%1列表中没有“%2”, 没有删除任何记录!").arg(pickListCaption(list), text));
        return;
    }
    if (!messages().question(QStringLiteral("是否确定要删除当前记录?\n%1: %2").arg(pickListCaption(list), text)))
        return;
    try {
        deletePickEntry(m_conn->db(), list, text);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    messages().information(QStringLiteral("记录删除成功!"));
    refresh(QString());
}

void XldItem::renameEntry()
{
    const QString text = activeCombo()->currentText().trimmed();
    if (text.isEmpty()) {
        messages().notice(QStringLiteral("添加内容为空,请重试!"), kEmptyTitle);
        return;
    }
    const PickList list = activeList();
    try {
        renamePickEntry(m_conn->db(), list, chosenEntry(list), text);
    } catch (const Error &e) {
        reportError(e.message());
        closeDialog();
        return;
    }
    messages().information(QStringLiteral("记录修改成功!"));
    refresh(text);
}

bool XldItem::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in an entry field adds, as 添加 does.
    if (event->type() == QEvent::KeyPress && (watched == m_combo1->lineEdit() || watched == m_combo2->lineEdit())) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addEntry();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void XldItem::closeDialog()
{
    tarvex::closeForm(this);
}

} // namespace tarvex
