#pragma once

#include "cli/cli.h"
#include "testsupport.h"

#include <QTextStream>

namespace tarvex::test {

struct CliResult {
    int status;
    QString out;
    QString err;
};

// Runs tarvex-cli in-process on the test's program folder.
inline CliResult runCli(const TestHome &home, QStringList args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    args = QStringList({QStringLiteral("tarvex-cli"), QStringLiteral("--home"), home.path()}) + args;
    const int status = cli::run(args, outStream, errStream);
    return {status, out, err};
}

} // namespace tarvex::test
