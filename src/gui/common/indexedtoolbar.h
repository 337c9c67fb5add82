#pragma once

#include <QIcon>
#include <QList>
#include <QVector>

#include <functional>

class QAction;
class QToolBar;

namespace tarvex {

struct ToolbarEntry {
    const char *caption; // nullptr for a separator
    QIcon icon;
};

// Fills a toolbar whose entries, separators included, are numbered from 1 as
// the windows dispatch them: a click calls onClick(index). The actions come
// back by index (index 0 unused); each is named "Button" + index.
QVector<QAction *> fillIndexedToolbar(
    QToolBar *toolbar, const QList<ToolbarEntry> &entries, const std::function<void(int)> &onClick);

// Adds one more entry with the next index, shown in front of the action
// before: a window's own addition keeps the system's numbering of the rest.
QAction *addIndexedEntry(QToolBar *toolbar, QVector<QAction *> &actions, const ToolbarEntry &entry, QAction *before,
    const std::function<void(int)> &onClick);

} // namespace tarvex
