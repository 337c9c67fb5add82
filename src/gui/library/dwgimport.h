#pragma once

#include <QDialog>
#include <QSqlDatabase>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tarvex {

// Adds a record to the library: series (the existing ones offered), template
// name, description, a picture file and an optional cutting-list workbook.
class DwgImport : public QDialog {
    Q_OBJECT
public:
    DwgImport(QSqlDatabase db, const QStringList &series, const QString &currentSeries, QWidget *parent = nullptr);

    // After acceptance: the new record and its series.
    qint32 newId() const { return m_newId; }
    QString series() const { return m_series; }

    // 确定: checks and adds the record; stays open with the reason on failure.
    void confirm();

private:
    void choosePicture();
    void chooseWorkbook();
    void showPicture();

    QSqlDatabase m_db;
    QComboBox *m_seriesBox;
    QLineEdit *m_nameBox;
    QLineEdit *m_descriptionBox;
    QLineEdit *m_pictureBox;
    QLineEdit *m_workbookBox;
    QLabel *m_preview;
    qint32 m_newId = 0;
    QString m_series;
};

// Runs a modal library dialog and tells whether it was accepted. Tests set a
// runner that fills and confirms the dialog instead of waiting for a person.
using LibraryDialogRunner = std::function<void(QDialog *dialog)>;
void setLibraryDialogRunner(LibraryDialogRunner runner);
bool runLibraryDialog(QDialog *dialog);

} // namespace tarvex
