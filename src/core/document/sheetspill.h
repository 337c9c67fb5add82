#pragma once

// Rows of many worksheets in one scratch file.
//
// In libxlsxwriter's constant-memory mode each worksheet keeps a temporary
// file open until the workbook is closed, and a row of 16,384 cell pointers
// (128 KB). A workbook of tens of thousands of small sheets runs out of file
// handles and memory that way. SheetSpill keeps the written rows of all
// sheets in one file instead: each sheet's stream appends to it and, when the
// workbook is closed, reads back its own stretch of it.
//
// Sheets are written one after another: a sheet is adopted right after it is
// added and finished before the next one is added.
//
// This sets the worksheet's own stream, row and column fields (public in
// libxlsxwriter 1.1's headers); tst_quoteworkbook checks a workbook of a
// thousand sheets written this way cell by cell.

#include <QString>

#include <cstdio>
#include <deque>

#include <xlsxwriter.h>

namespace tarvex {

class SheetSpill {
public:
    // Keeps the rows in the file path; errors name target, the workbook
    // being written. Throws Error when the file cannot be created.
    SheetSpill(const QString &path, const QString &target);
    // Closes the streams the workbook did not close (a workbook freed
    // without being written): free the workbook first.
    ~SheetSpill();
    SheetSpill(const SheetSpill &) = delete;
    SheetSpill &operator=(const SheetSpill &) = delete;

    // Moves a sheet just added to a constant-memory workbook onto this file
    // and trims its column tables to the first columns.
    void adopt(lxw_worksheet *sheet);
    // Writes the sheet's last row and gives back its row of cell pointers;
    // nothing may be written to the sheet afterwards. Throws Error when
    // the rows could not be written.
    void finish(lxw_worksheet *sheet);
    // Gives every finished sheet its stream to read its rows back from;
    // call right before the workbook is closed. Throws Error.
    void openForReading();
    // Throws Error when a write or read since the last call failed; call
    // after the workbook is closed as well.
    void check() const;

    struct Stretch {
        SheetSpill *spill;
        lxw_worksheet *sheet; // once finished
        FILE *stream;
        long long start;
        long long length;
        long long position;
        bool closed;
    };

private:
    friend struct SpillIo;
    void fail(int error);
    FILE *open(Stretch &stretch, bool reading);

    QString m_target;
    int m_error = 0;
    FILE *m_file = nullptr;
    long long m_end = 0;
    std::deque<Stretch> m_stretches;
};

} // namespace tarvex
