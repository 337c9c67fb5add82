#pragma once

#include <QIcon>
#include <QList>
#include <QVector>

class QAction;
class QToolBar;

namespace tarvex {

struct ToolbarEntry {
    const char *caption; // nullptr for a separator
    QIcon icon;
};

// Fills a toolbar whose entries, separators included, are numbered from 1 as
// the system numbers them. The actions come back by index (index 0 unused);
// each is named "Button" + index. The window connects each one to its slot.
QVector<QAction *> fillIndexedToolbar(QToolBar *toolbar, const QList<ToolbarEntry> &entries);

// Adds one more entry with the next index, shown in front of the action
// before: a window's own addition keeps the system's numbering of the rest.
QAction *addIndexedEntry(QToolBar *toolbar, QVector<QAction *> &actions, const ToolbarEntry &entry, QAction *before);

} // namespace tarvex
