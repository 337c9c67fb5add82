#include "core/document/pdftounicode.h"

#include <QVector>

namespace tarvex {

namespace {

const QByteArray kBegin("begincmap");
const QByteArray kEnd("endcmap");

// A "<hex>" token of a map line: where its digits start and how many.
struct Token {
    int at;
    int digits;
};

QVector<Token> tokens(const QByteArray &map, int from, int to)
{
    QVector<Token> found;
    for (int i = from; i < to; ++i) {
        if (map[i] != '<')
            continue;
        const int close = map.indexOf('>', i);
        if (close < 0 || close > to)
            break;
        found.append({i + 1, close - i - 1});
        i = close;
    }
    return found;
}

} // namespace

PdfToUnicodeFilter::PdfToUnicodeFilter(QIODevice *target, Namer namer)
    : m_target(target)
    , m_namer(std::move(namer))
{
}

void PdfToUnicodeFilter::close()
{
    if (!m_held.isEmpty())
        pass(m_held);
    m_held.clear();
    m_inMap = false;
    QIODevice::close();
}

qint64 PdfToUnicodeFilter::writeData(const char *data, qint64 length)
{
    m_held.append(data, int(length));
    for (;;) {
        if (!m_inMap) {
            const int begin = m_held.indexOf(kBegin);
            if (begin < 0) {
                // Keep what could be the first letters of the marker.
                const int keep = std::min(int(m_held.size()), int(kBegin.size()) - 1);
                if (!pass(m_held.left(m_held.size() - keep)))
                    return -1;
                m_held = m_held.right(keep);
                return length;
            }
            if (!pass(m_held.left(begin)))
                return -1;
            m_held.remove(0, begin);
            m_inMap = true;
        }
        const int end = m_held.indexOf(kEnd);
        if (end < 0)
            return length; // the rest of the map is still to come
        QByteArray map = m_held.left(end + kEnd.size());
        repairMap(map);
        if (!pass(map))
            return -1;
        m_held.remove(0, map.size());
        m_inMap = false;
    }
}

bool PdfToUnicodeFilter::pass(const QByteArray &bytes)
{
    if (bytes.isEmpty() || m_target->write(bytes) == bytes.size())
        return true;
    setErrorString(m_target->errorString());
    return false;
}

// The lines of a map that name characters: "<from> <to> [<c1> <c2> …]" and
// "<code> <code> <c>" between beginbfrange and endbfrange, "<code> <c>"
// between beginbfchar and endbfchar. A range "<from> <to> <c>" with from
// below to names consecutive characters and stays as it is.
void PdfToUnicodeFilter::repairMap(QByteArray &map) const
{
    enum { Other, Ranges, Chars } section = Other;
    for (int start = 0; start < map.size();) {
        int end = map.indexOf('\n', start);
        if (end < 0)
            end = map.size();
        const QByteArray line = map.mid(start, end - start).trimmed();
        if (line.endsWith("beginbfrange")) {
            section = Ranges;
        } else if (line.endsWith("beginbfchar")) {
            section = Chars;
        } else if (line == "endbfrange" || line == "endbfchar") {
            section = Other;
        } else if (section != Other) {
            const QVector<Token> found = tokens(map, start, end);
            int first = 1; // the first token naming a character
            if (section == Ranges) {
                const bool single = found.size() == 3
                    && map.mid(found[0].at, found[0].digits) == map.mid(found[1].at, found[1].digits);
                first = line.contains('[') || single ? 2 : int(found.size());
            }
            for (int i = first; i < found.size(); ++i) {
                if (found[i].digits != 4)
                    continue; // surrogate pairs and ligatures stay
                bool ok = false;
                const char16_t code = char16_t(map.mid(found[i].at, 4).toUShort(&ok, 16));
                const char16_t drawn = ok ? m_namer(code) : code;
                if (drawn != code)
                    map.replace(found[i].at, 4, QByteArray::number(uint(drawn), 16).toUpper().rightJustified(4, '0'));
            }
        }
        start = end + 1;
    }
}

} // namespace tarvex
