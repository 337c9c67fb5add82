#pragma once

#include "core/cutting/cutsettings.h"

#include <QDialog>

class QLineEdit;

namespace tarvex {

class FlexGrid;
struct Remnant;

// "余料库": the remnants kept for later plans, one row each, and the boxes
// to add one by hand, change the chosen one or delete it (after asking,
// 否 the default). Lengths are shown and typed in the plan's unit (cs.ini
// cut/unit) and kept in metres.
class RemnantForm : public QDialog {
    Q_OBJECT
public:
    explicit RemnantForm(QWidget *parent = nullptr);

    // The buttons: each reads the boxes, changes the table and reloads the
    // grid; false when refused or failed (the message says why).
    bool addRemnant();
    bool updateRemnant();
    bool removeRemnant();

    FlexGrid *grid() const { return m_grid; }

private:
    void reload(qint64 selectId = 0);
    void showRow(int row);
    // The boxes as a remnant with the chosen row's id; false (after saying
    // what is wrong) when they do not make one.
    bool readBoxes(Remnant &remnant) const;
    qint64 chosenId() const;

    CutUnit m_unit;
    FlexGrid *m_grid;
    QLineEdit *m_code;
    QLineEdit *m_length;
    QLineEdit *m_project;
    QLineEdit *m_date;
};

} // namespace tarvex
