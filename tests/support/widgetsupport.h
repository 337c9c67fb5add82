#pragma once

// Working the controls of a window as a user does, by their object names.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <initializer_list>
#include <utility>

namespace tarvex::test {

// The named control; a missing one ends the run, as no test can go on.
template <typename T> T *child(const QObject *parent, const QString &name)
{
    T *widget = parent->findChild<T *>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

inline void click(const QObject *parent, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

// The text of a combo box or a line edit.
inline QString boxText(const QObject *parent, const QString &name)
{
    if (auto *combo = parent->findChild<QComboBox *>(name))
        return combo->currentText();
    return child<QLineEdit>(parent, name)->text();
}

// The texts of several boxes as "a|b|c", to compare a whole record at once.
inline QString boxTexts(const QObject *parent, const QStringList &names)
{
    QStringList values;
    for (const QString &name : names)
        values.append(boxText(parent, name));
    return values.join(QLatin1Char('|'));
}

// Types the values into the boxes, given as (name, value).
inline void typeInto(const QObject *parent, std::initializer_list<std::pair<QString, QString>> values)
{
    for (const auto &[name, value] : values) {
        if (auto *combo = parent->findChild<QComboBox *>(name))
            combo->setEditText(value);
        else
            child<QLineEdit>(parent, name)->setText(value);
    }
}

inline QStringList comboItems(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

// Picks the item as a mouse does: made current, then activated.
inline void choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The named controls in the order Tab reaches them, from the first named
// (a control's inner parts, such as a combo box's entry field, count as it).
inline QStringList tabOrder(QWidget *form, const QStringList &names)
{
    QStringList order;
    child<QWidget>(form, names.first())->setFocus(Qt::TabFocusReason);
    for (int press = 0; press < 3 * names.size() && order.size() < names.size(); ++press) {
        QWidget *focus = form->window()->focusWidget();
        if (!focus)
            break;
        for (QWidget *w = focus; w; w = w->parentWidget()) {
            if (names.contains(w->objectName())) {
                if (!order.contains(w->objectName()))
                    order.append(w->objectName());
                break;
            }
        }
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return order;
}

} // namespace tarvex::test
