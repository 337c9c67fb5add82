#pragma once

#include "gui/prices/priceentry.h"

#include <QDialog>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

class FlexGrid;
struct SaveOutcome;

// What the three record entry dialogs share: the opener's grid, the mode
// fixed at load, the four buttons and record stepping on the browser's grid.
class PriceEntryDialog : public QDialog {
    Q_OBJECT
public:
    PriceEntryDialog(const PriceEntryRequest &request, QWidget *parent);

    // Fills the lists and the fields for the request's caller and mode.
    void load();
    const PriceEntryRequest &request() const { return m_request; }

    QPushButton *previousButton() const { return m_previous; }
    QPushButton *nextButton() const { return m_next; }
    void setStepsVisible(bool visible);

signals:
    // A save wrote a record.
    void saved();
    // A note for the main window's status bar.
    void statusText(StatusPanel panel, const QString &text);

protected:
    virtual void fillLists() = 0;
    // Fields from a row of the browser's grid; stepping: by 上一条/下一条.
    virtual void loadBrowserRow(int row, bool stepping) = 0;
    // Fields from the keys of the material the dialog was opened for.
    virtual void loadKeys(const MaterialKeys &keys) = 0;
    virtual void save() = 0;
    // Whether a modification opened from the browser disables 上一条/下一条
    // at the first and last rows right away.
    virtual bool stepButtonsFollowRowAtLoad() const { return true; }

    bool adding() const { return m_request.mode == EntryMode::Add; }
    FlexGrid *grid() const { return m_request.grid; }
    QString cell(int row, int col) const;
    // A number of the grid in plain form ("1.2300" shows as 1.23).
    QString numberCell(int row, int col) const;

    // Builds the rows of labelled fields and the button row.
    QLabel *addRow(const QString &label, QWidget *field);
    QLineEdit *addText(const QString &name, const QString &label);
    QComboBox *addCombo(const QString &name, const QString &label);
    void finishLayout();
    QGridLayout *form() const { return m_form; }

    // The message of a save; true (and saved()) when something was written.
    bool reportOutcome(const SaveOutcome &outcome);

    static void setComboItems(QComboBox *combo, const QStringList &items, const QString &text);

private:
    void step(int direction);

    PriceEntryRequest m_request;
    QGridLayout *m_form;
    int m_rows = 0;
    QPushButton *m_previous;
    QPushButton *m_next;
    QPushButton *m_save;
    QPushButton *m_cancel;
};

} // namespace tarvex
