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

// Every box of the program: Yes and No with No as the default button (Enter
// and Esc both answer No), else OK alone.
QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString &text, const QString &title, bool yesNo)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, owner());
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void QtMessages::information(const QString &text, const QString &title)
{
    showBox(QMessageBox::Information, text, title, false);
}

void QtMessages::warning(const QString &text, const QString &title)
{
    showBox(QMessageBox::Warning, text, title, false);
}

void QtMessages::notice(const QString &text, const QString &title)
{
    showBox(QMessageBox::Question, text, title, false);
}

bool QtMessages::question(const QString &text, const QString &title)
{
    return showBox(QMessageBox::Question, text, title, true) == QMessageBox::Yes;
}

bool QtMessages::warningQuestion(const QString &text, const QString &title)
{
    return showBox(QMessageBox::Warning, text, title, true) == QMessageBox::Yes;
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
