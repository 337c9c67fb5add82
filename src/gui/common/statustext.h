#pragma once

#include <QString>

#include <functional>

namespace tarvex {

// The main window's status bar panels, by the system's numbers. A window
// says what a panel shows by its statusText signal, which the main window
// connects when it shows the window.
enum class StatusPanel : short { Note = 1, RecordCount = 2, Filter = 3, Date = 4, Time = 5 };

// How a window hands the status texts of a dialog it opens on to its own
// statusText signal: statusTextOf(this).
using StatusTextSink = std::function<void(StatusPanel panel, const QString &text)>;

template <typename Window> StatusTextSink statusTextOf(Window *window)
{
    return [window](StatusPanel panel, const QString &text) { emit window->statusText(panel, text); };
}

// "当前记录数:" + count, the record count of the grid window in front.
QString recordCountText(int count);
// "当前筛选:" + the filter in force.
QString filterPanelText(const QString &filterText);

} // namespace tarvex
