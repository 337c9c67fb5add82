#include "gui/common/qtmessages.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tarvex {

namespace {
QWidget *owner()
{
    return QApplication::activeWindow();
}
} // namespace

void QtMessages::information(const QString &text, const QString &title)
{
    QMessageBox::information(owner(), title, text);
}

void QtMessages::warning(const QString &text, const QString &title)
{
    QMessageBox::warning(owner(), title, text);
}

bool QtMessages::question(const QString &text, const QString &title)
{
    return QMessageBox::question(owner(), title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

bool QtMessages::confirmDeletion(const QString &text, const QString &title)
{
    return QMessageBox::question(owner(), title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<QString> QtMessages::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace tarvex
