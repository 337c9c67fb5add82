#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace tarvex {

// The settings dialog (setForm): the data and library folders of cs.ini,
// which take effect at the next start.
class SetForm : public QWidget {
    Q_OBJECT
public:
    explicit SetForm(QWidget *parent = nullptr);

private:
    void browse(QLineEdit *target);
    void save();
    void closeForm();

    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
};

} // namespace tarvex
