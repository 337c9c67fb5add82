#include "gui/common/singleline.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>

namespace tarvex {

namespace {

const char *const kHooked = "tarvexSingleLine";

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

class SingleLineHook : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Polish)
            if (auto *box = qobject_cast<QLineEdit *>(watched))
                keepSingleLine(box);
        return false;
    }
};

} // namespace

QString withoutLineBreaks(const QString &text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String(" "));
    result.replace(QLatin1Char('\r'), QLatin1Char(' '));
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return result;
}

void keepSingleLine(QLineEdit *box)
{
    if (box->property(kHooked).toBool())
        return;
    box->setProperty(kHooked, true);
    const auto clean = [box] {
        const QString text = box->text();
        if (!hasLineBreak(text))
            return;
        // The cursor stays behind the same character: only CR LF pairs
        // before it shrink.
        const int cursor = box->cursorPosition();
        const int pairsBefore = text.left(cursor).count(QLatin1String("\r\n"));
        box->setText(withoutLineBreaks(text));
        box->setCursorPosition(cursor - pairsBefore);
    };
    QObject::connect(box, &QLineEdit::textChanged, box, clean);
    clean();
}

void installSingleLineBoxes(QApplication &app)
{
    if (app.property(kHooked).toBool())
        return;
    app.setProperty(kHooked, true);
    app.installEventFilter(new SingleLineHook(&app));
}

} // namespace tarvex
