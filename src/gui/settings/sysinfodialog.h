#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace tarvex {

// The system information of the About box, with a button that copies it to
// the clipboard for a support call.
class SysInfoDialog : public QDialog {
    Q_OBJECT
public:
    SysInfoDialog(const QStringList &lines, QWidget *parent = nullptr);

    void setLines(const QStringList &lines);
    QString text() const;
    void copyToClipboard();

private:
    QPlainTextEdit *m_text;
    QLabel *m_status;
};

} // namespace tarvex
