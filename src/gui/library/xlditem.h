#pragma once

#include "core/library/picklists.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace tarvex {

class LibraryConnection;

// The library item editor (料单项目管理): the pick lists of item names and
// profile colours, with add, delete and rename.
class XldItem : public QWidget {
    Q_OBJECT
public:
    explicit XldItem(QWidget *parent = nullptr);
    ~XldItem() override;

    // Connects and fills both lists, item-name mode. On failure reports
    // "当前错误:" and returns false (the dialog closes).
    bool load();

    void addEntry(); // 添加
    void deleteEntry(); // 删除
    void renameEntry(); // 修改
    void closeDialog(); // 关闭

    // The entries chosen last (or selected at load).
    const QString &selName() const { return m_selName; }
    const QString &selColour() const { return m_selColour; }

private:
    PickList activeList() const;
    QComboBox *activeCombo() const;
    void setMode(PickList list);
    void refresh(); // load again after a change; closes on failure

    std::unique_ptr<LibraryConnection> m_conn;
    QString m_selName;
    QString m_selColour;
    QRadioButton *m_option1;
    QRadioButton *m_option2;
    QComboBox *m_combo1;
    QComboBox *m_combo2;
    QPushButton *m_add;
    QPushButton *m_delete;
    QPushButton *m_rename;
    QPushButton *m_close;
};

} // namespace tarvex
