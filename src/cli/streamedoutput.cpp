#include "cli/streamedoutput.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"

#include <QStringDecoder>
#include <QTemporaryFile>

namespace tarvex::cli {

StreamedOutput::StreamedOutput(Context &context, const QString &target)
    : m_context(context)
{
    if (target != QLatin1String("-")) {
        m_file = std::make_unique<AtomicFile>(target);
        return;
    }
    m_pending = std::make_unique<QTemporaryFile>();
    if (!m_pending->open())
        throw Error(cannotWriteText(m_pending->fileTemplate(), m_pending->errorString()));
}

StreamedOutput::~StreamedOutput() = default;

void StreamedOutput::write(const QByteArray &piece)
{
    if (m_file)
        m_file->device().write(piece);
    else if (m_pending->write(piece) != piece.size())
        m_failed = true;
}

void StreamedOutput::finish()
{
    if (m_file) {
        m_file->commit();
        return;
    }
    if (m_failed || !m_pending->flush() || !m_pending->seek(0))
        throw Error(cannotWriteText(m_pending->fileName(), m_pending->errorString()));
    // Decoded as one text: a character split between two pieces stays whole.
    QStringDecoder utf8(QStringDecoder::Utf8);
    while (!m_pending->atEnd())
        m_context.out << utf8.decode(m_pending->read(1 << 20));
    m_context.out.flush();
}

} // namespace tarvex::cli
