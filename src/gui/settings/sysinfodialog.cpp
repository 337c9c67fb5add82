#include "gui/settings/sysinfodialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvex {

SysInfoDialog::SysInfoDialog(const QStringList &lines, QWidget *parent)
    : QDialog(parent)
    , m_text(new QPlainTextEdit(this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("SysInfoDialog"));
    setWindowTitle(QStringLiteral("系统信息"));
    m_text->setObjectName(QStringLiteral("SysInfoText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *copy = new QPushButton(QStringLiteral("复制到剪贴板(&C)"), this);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    resize(760, 520);
    setLines(lines);

    connect(copy, &QPushButton::clicked, this, &SysInfoDialog::copyToClipboard);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void SysInfoDialog::setLines(const QStringList &lines)
{
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
    m_status->clear();
}

QString SysInfoDialog::text() const
{
    return m_text->toPlainText();
}

void SysInfoDialog::copyToClipboard()
{
    QGuiApplication::clipboard()->setText(text());
    m_status->setText(QStringLiteral("已复制到剪贴板。"));
}

} // namespace tarvex
