#pragma once

#include "core/common/entrymode.h"
#include "core/common/materialkind.h"

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
    // grid: the viewer's page of that kind of record.
    LcForm(FlexGrid *grid, MaterialKind kind, EntryMode mode, QWidget *parent = nullptr);

    // Fills the boxes from the grid's current row and remembers the keys.
    void ReadFlex();
    // Steps the grid's current row: direction 1 up, any other value down.
    void FlexMove(int direction);

    MaterialKind kind() const { return m_kind; }
    EntryMode mode() const { return m_mode; }
    QStringList boxTexts() const;
    QStringList oldValues() const { return m_oldValues; }

private:
    void buildControls();
    void applyLayout();
    void setStepButtons(int row);
    void confirm();

    FlexGrid *m_grid;
    MaterialKind m_kind;
    EntryMode m_mode;
    QVector<QLabel *> m_labels;
    QVector<QLineEdit *> m_texts;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QStringList m_oldValues;
};

} // namespace tarvex
