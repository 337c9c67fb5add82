#pragma once

#include "cli/cli.h"

#include <QElapsedTimer>
#include <QString>

namespace tarvex::cli {

// The progress of a long run on standard error when that is a terminal:
// "正在计算报价 12345/75000 (16%)" on one line, redrawn a few times a second
// and cleared when the step ends. Nothing at all is printed when standard
// error is not a terminal, so that scripts see what they always saw.
class ProgressLine {
public:
    explicit ProgressLine(Context &context);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    // A new step of total items (0: a count without percentage).
    void start(const QString &what, qint64 total);
    void show(qint64 done);
    // Takes the line away (also done by the next start and at the end).
    void clear();

private:
    void draw(qint64 done);

    Context &m_context;
    QString m_what;
    qint64 m_total = 0;
    QElapsedTimer m_sinceDrawn;
    bool m_drawn = false;
};

} // namespace tarvex::cli
