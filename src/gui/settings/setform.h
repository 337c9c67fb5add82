#pragma once

#include "core/common/db/engine.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QThread;

namespace tarvex {

// The settings dialog (setForm): the data and library folders of cs.ini and
// the database engine (a file, or a firm's server by its connection string),
// which take effect at the next start.
class SetForm : public QWidget {
    Q_OBJECT
public:
    explicit SetForm(QWidget *parent = nullptr);
    ~SetForm() override;

private:
    void browse(QLineEdit *target);
    void save();
    void closeForm();
    void testConnection();
    void showEngine();
    Engine typedEngine() const;

    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QComboBox *m_engine = nullptr;
    QLineEdit *m_conninfo = nullptr;
    QPushButton *m_test = nullptr;
    QThread *m_attempt = nullptr; // 测试连接 while it runs
};

} // namespace tarvex
