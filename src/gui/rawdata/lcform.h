#pragma once

#include <QDialog>
#include <QStringList>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

class FlexGrid;

// The raw data editor: adds or corrects one record of a working table,
// starting from the current row of the viewer's grid of that kind.
class LcForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { AddMode = 1, ModifyMode = 2 };

    // kind: the viewer's page (0 profiles .. 3 windows); mode: RawEntryMode.
    LcForm(FlexGrid *grid, int kind, int mode, QWidget *parent = nullptr);

    // Fills the boxes from the grid's current row and remembers the keys.
    void ReadFlex();
    // Steps the grid's current row: direction 1 up, any other value down.
    void FlexMove(int direction);

    int kind() const { return m_kind; }
    int mode() const { return m_mode; }
    QStringList boxTexts() const;
    QStringList oldValues() const { return m_oldValues; }

private:
    void buildControls();
    void applyLayout();
    void setStepButtons(int row);
    void confirm();

    FlexGrid *m_grid;
    int m_kind;
    int m_mode;
    QVector<QLabel *> m_labels;
    QVector<QLineEdit *> m_texts;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QStringList m_oldValues;
};

} // namespace tarvex
