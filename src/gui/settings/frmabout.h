#pragma once

#include <QDialog>

namespace tarvex {

// The About box (frmAbout): title, version, what the program is for, and the
// system information a support call needs.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);

    // Shows the system information, or "此时系统信息不可用" when it cannot be
    // gathered.
    void StartSysInfo();
};

} // namespace tarvex
