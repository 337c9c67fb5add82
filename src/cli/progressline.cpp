#include "cli/progressline.h"

namespace tarvex::cli {

namespace {

// Often enough to see it move, seldom enough to cost nothing.
constexpr qint64 kRedrawMs = 200;

} // namespace

ProgressLine::ProgressLine(Context &context)
    : m_context(context)
{
}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::start(const QString &what, qint64 total)
{
    clear();
    m_what = what;
    m_total = total;
    m_sinceDrawn.invalidate();
}

void ProgressLine::show(qint64 done)
{
    if (!m_context.errIsTerminal || (m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < kRedrawMs))
        return;
    draw(done);
}

void ProgressLine::draw(qint64 done)
{
    QString text = m_what + QLatin1Char(' ') + QString::number(done);
    if (m_total > 0)
        text += QStringLiteral("/%1 (%2%)").arg(m_total).arg(std::min<qint64>(100, done * 100 / m_total));
    // Back to the start of the line, the text, the rest of the line erased.
    m_context.err << '\r' << text << "\x1b[K";
    m_context.err.flush();
    m_sinceDrawn.start();
    m_drawn = true;
}

void ProgressLine::clear()
{
    if (!m_drawn)
        return;
    m_context.err << "\r\x1b[K";
    m_context.err.flush();
    m_drawn = false;
}

} // namespace tarvex::cli
