#pragma once

#include <QString>
#include <QVector>

#include <vector>

struct lxw_worksheet;

namespace tarvex {

// LibreOffice Calc opens a workbook of at most 10,000 sheets.
constexpr int kMaxWorkbookSheets = 10000;

// The most sheets a workbook written in libxlsxwriter's constant-memory mode
// may have in this process: kMaxWorkbookSheets, or fewer when the process
// may not open a file per sheet (each sheet keeps its temporary file open
// until the workbook is closed). Raises the process's soft limit of open
// files to its hard limit first.
int maxStreamedSheets();

// Why a workbook holds no more than that many sheets, for the message that
// refuses a larger one.
QString sheetLimitReason(int sheets);

// While one lives, the memory of the sheets of a constant-memory workbook
// stays small: the library gives every sheet a row of 16,384 cell pointers
// (128 KB), cleared by calloc, of which a sheet of a few columns uses one
// page. Mapped fresh from the system its other pages never become resident;
// taken from the padding glibc keeps at the top of the heap, every page is
// cleared and stays (10,000 sheets would hold 1.3 GB). So the heap keeps no
// padding meanwhile and such rows are always mapped on their own.
class StreamedSheetMemory {
public:
    StreamedSheetMemory();
    ~StreamedSheetMemory();
    StreamedSheetMemory(const StreamedSheetMemory &) = delete;
    StreamedSheetMemory &operator=(const StreamedSheetMemory &) = delete;
};

// While one lives (and a StreamedSheetMemory), the rows of cell pointers of
// the sheets added meanwhile are mapped fresh too. glibc takes a block that
// large from the heap's free memory when it has some, before it maps one:
// after a first workbook, its freed memory and the figures given up held
// hundreds of rows, each cleared whole, more for every later workbook of a
// split quotation (70 MB a workbook of 9,999 sheets). So that free memory is
// held meanwhile, its pages given back to the system first.
class FreshSheetRows {
public:
    FreshSheetRows();
    ~FreshSheetRows();
    FreshSheetRows(const FreshSheetRows &) = delete;
    FreshSheetRows &operator=(const FreshSheetRows &) = delete;

private:
    std::vector<void *> m_held;
};

// Hands the temporary files of sheets just added to a constant-memory
// workbook, none written yet, out in reverse: the first sheet gets the file
// opened last. The C library keeps its open files in one list, newest first,
// and looks a file up from the head when it is closed; the workbook's close
// finishes its sheets in order, so in the order of opening each close walked
// past the entry of every later sheet, n²/2 steps over entries spread about
// the heap, slower in every further workbook of a split quotation. Reversed,
// each sheet's file is at the head when it is closed. Sheets of which any
// has been written to are left as they are.
void closeSheetFilesNewestFirst(const QVector<lxw_worksheet *> &sheets);

} // namespace tarvex
