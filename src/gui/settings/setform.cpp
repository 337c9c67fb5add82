#include "gui/settings/setform.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/settings/pathsettings.h"
#include "gui/common/filedialogs.h"
#include "gui/common/forms.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tarvex {

namespace {

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

SetForm::SetForm(QWidget *parent)
    : QWidget(parent)
    , m_text1(new QLineEdit(this))
    , m_text2(new QLineEdit(this))
{
    setObjectName(QStringLiteral("setForm"));
    setWindowTitle(QStringLiteral("系统设置"));
    auto *layout = new QVBoxLayout(this);
    const struct {
        const char *frame;
        const char *caption;
        QLineEdit *text;
        const char *textName;
        const char *browseName;
    } rows[] = {{"Frame1", "报价数据库路径", m_text1, "Text1", "Command3"},
        {"Frame2", "图库数据库路径", m_text2, "Text2", "Command4"}};
    for (const auto &row : rows) {
        auto *frame = new QGroupBox(QString::fromUtf8(row.caption), this);
        frame->setObjectName(QLatin1String(row.frame));
        auto *line = new QHBoxLayout(frame);
        row.text->setParent(frame);
        row.text->setObjectName(QLatin1String(row.textName));
        row.text->setMinimumWidth(360);
        QPushButton *browseButton = makeButton(QLatin1String(row.browseName), QStringLiteral("..."), frame);
        browseButton->setFixedWidth(36);
        line->addWidget(row.text, 1);
        line->addWidget(browseButton);
        layout->addWidget(frame);
        QLineEdit *text = row.text;
        connect(browseButton, &QPushButton::clicked, this, [this, text] { browse(text); });
        connect(text, &QLineEdit::returnPressed, this, &SetForm::save);
    }
    auto *buttons = new QHBoxLayout;
    QPushButton *ok = makeButton(QStringLiteral("Command1"), QStringLiteral("确定"), this);
    QPushButton *cancel = makeButton(QStringLiteral("Command2"), QStringLiteral("关闭"), this);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &SetForm::save);
    connect(cancel, &QPushButton::clicked, this, &SetForm::closeForm);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &SetForm::closeForm);

    const PathSettings settings = readPathSettings(iniPath());
    m_text1->setText(settings.dataFolder);
    m_text2->setText(settings.libraryFolder);
}

void SetForm::browse(QLineEdit *target)
{
    const QString folder = BrowseFolder();
    if (!folder.isEmpty())
        target->setText(folder);
}

void SetForm::save()
{
    try {
        const QString message = savePathSettings(iniPath(), {m_text1->text(), m_text2->text()});
        // The boxes show what was stored.
        const PathSettings stored = readPathSettings(iniPath());
        m_text1->setText(stored.dataFolder);
        m_text2->setText(stored.libraryFolder);
        messages().information(message);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void SetForm::closeForm()
{
    tarvex::closeForm(this);
}

} // namespace tarvex
