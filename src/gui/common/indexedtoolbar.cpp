#include "gui/common/indexedtoolbar.h"

#include <QAction>
#include <QToolBar>

namespace tarvex {

QVector<QAction *> fillIndexedToolbar(
    QToolBar *toolbar, const QList<ToolbarEntry> &entries, const std::function<void(int)> &onClick)
{
    QVector<QAction *> actions(entries.size() + 1, nullptr);
    for (int i = 1; i <= entries.size(); ++i) {
        const ToolbarEntry &entry = entries.at(i - 1);
        QAction *action;
        if (!entry.caption) {
            action = toolbar->addSeparator();
        } else {
            action = toolbar->addAction(entry.icon, QString::fromUtf8(entry.caption));
            QObject::connect(action, &QAction::triggered, toolbar, [onClick, i] { onClick(i); });
        }
        action->setObjectName(QStringLiteral("Button%1").arg(i));
        actions[i] = action;
    }
    return actions;
}

QAction *addIndexedEntry(QToolBar *toolbar, QVector<QAction *> &actions, const ToolbarEntry &entry, QAction *before,
    const std::function<void(int)> &onClick)
{
    const int index = int(actions.size());
    auto *action = new QAction(entry.icon, QString::fromUtf8(entry.caption), toolbar);
    action->setObjectName(QStringLiteral("Button%1").arg(index));
    QObject::connect(action, &QAction::triggered, toolbar, [onClick, index] { onClick(index); });
    toolbar->insertAction(before, action);
    actions.append(action);
    return action;
}

} // namespace tarvex
