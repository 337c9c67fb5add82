#pragma once

#include <QString>

class QWidget;

namespace tarvex {

class FlexGrid;

// Unloads every window of the program except the main window.
void CloseChildWindows();

// Closes a window; inside the main window the frame around it goes too.
void closeForm(QWidget *form);

// A small dialog's frame: a title and a close box, no maximize or help
// button (the dialog is made for its size). Keeps staying on top.
void setSmallDialogFrame(QWidget *dialog);

// True when a window with this object name is open (exact comparison).
bool IsFormLoaded(const QString &name);

// Writes every cell of the grid (header row included) as text to a new
// workbook in the program folder's temp1, opens it with the desktop's default
// application and says "数据导出至Excel成功!". Returns the file written, or
// empty text after reporting "当前错误:" with the reason.
QString FlexToExcel(const FlexGrid *grid);

// Opens a file with the desktop's default application; false when nothing
// could (or, in tests with TARVEX_NO_OPEN set, when it is not tried).
bool openWithDesktop(const QString &path);

} // namespace tarvex
