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

    // Connects and fills both lists, the given list active with the entry
    // chosen (else its first entry). On failure reports "当前错误:" and
    // returns false (the dialog closes).
    bool load(PickList active = PickList::ItemNames, const QString &chosen = QString());

    void addEntry(); // 添加, also Enter in an entry field
    // 删除: the entry the active list shows, after asking; a typed text that
    // is no entry of the list deletes nothing.
    void deleteEntry();
    // 修改: the entry chosen in the active list takes the typed text.
    void renameEntry();
    void closeDialog(); // 关闭, also Esc

    // The entries chosen last (or selected at load).
    const QString &selName() const { return m_selName; }
    const QString &selColour() const { return m_selColour; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PickList activeList() const;
    QComboBox *activeCombo() const;
    QString &chosenEntry(PickList list);
    void setMode(PickList list);
    // Loads again after a change, staying in the list worked on; closes on failure.
    void refresh(const QString &chosen);

    std::unique_ptr<LibraryConnection> m_conn;
    QString m_selName;
    QString m_selColour;
    QRadioButton *m_option1 = nullptr;
    QRadioButton *m_option2 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace tarvex
