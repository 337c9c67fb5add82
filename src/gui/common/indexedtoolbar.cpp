#include "gui/common/indexedtoolbar.h"

#include <QAction>
#include <QToolBar>

namespace tarvex {

QVector<QAction *> fillIndexedToolbar(QToolBar *toolbar, const QList<ToolbarEntry> &entries)
{
    QVector<QAction *> actions(entries.size() + 1, nullptr);
    for (int i = 1; i <= entries.size(); ++i) {
        const ToolbarEntry &entry = entries.at(i - 1);
        QAction *action = entry.caption ? toolbar->addAction(entry.icon, QString::fromUtf8(entry.caption))
                                        : toolbar->addSeparator();
        action->setObjectName(QStringLiteral("Button%1").arg(i));
        actions[i] = action;
    }
    return actions;
}

QAction *addIndexedEntry(QToolBar *toolbar, QVector<QAction *> &actions, const ToolbarEntry &entry, QAction *before)
{
    auto *action = new QAction(entry.icon, QString::fromUtf8(entry.caption), toolbar);
    action->setObjectName(QStringLiteral("Button%1").arg(actions.size()));
    toolbar->insertAction(before, action);
    actions.append(action);
    return action;
}

} // namespace tarvex
