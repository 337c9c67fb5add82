#pragma once

#include "cli/cli.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QTemporaryFile;

namespace tarvex {
class AtomicFile;
}

namespace tarvex::cli {

// A text written piece by piece, as it is made, to a file or ("-") to
// standard output. The pieces wait in a temporary file: the text appears
// whole when finish() is called, and not at all when the command fails
// before (no file cut off half-way, nothing printed). Throws Error.
class StreamedOutput {
public:
    StreamedOutput(Context &context, const QString &target);
    ~StreamedOutput();
    StreamedOutput(const StreamedOutput &) = delete;
    StreamedOutput &operator=(const StreamedOutput &) = delete;

    void write(const QByteArray &piece);
    void finish();

private:
    Context &m_context;
    std::unique_ptr<AtomicFile> m_file; // a named target
    std::unique_ptr<QTemporaryFile> m_pending; // standard output
    bool m_failed = false;
};

} // namespace tarvex::cli
