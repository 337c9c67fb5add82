#pragma once

#include "cli/cli.h"

#include <QList>

namespace tarvex::cli {

// A command made of subcommands ("library list", "server init"): each with
// its summary, the positional arguments its usage names, and what it runs.
struct Subcommand {
    const char *name;
    const char *summary;
    const char *arguments;
    int (*run)(Context &, CommandLine &);
};

// Runs the subcommand the first argument names; without one, or with
// --help, prints the list after the given lines of help. An Error thrown by
// the subcommand is reported with status 1.
int runSubcommands(Context &context, const QList<Subcommand> &subcommands, const QString &help);

// Reports an error as every command does ("当前错误:" and the reason); returns 1.
int fail(Context &context, const QString &message);

} // namespace tarvex::cli
