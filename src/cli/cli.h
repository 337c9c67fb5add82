#pragma once

#include <QStringList>
#include <QTextStream>

namespace tarvex::cli {

// What a command gets: its own arguments (after the command name) and the
// two output streams.
struct Context {
    QStringList args;
    QTextStream &out;
    QTextStream &err;
};

// Runs tarvex-cli with the given arguments (program name first) and returns
// the exit status. Used by main() and, in-process, by the tests.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Opens the working database of the program folder (creating it when
// missing); on failure writes the reason to err and returns false.
bool openWorkingDatabase(Context &context);

// Removes "--name value" from args and returns the value (empty when absent).
// A missing value sets *missing.
QString takeOption(QStringList &args, const QString &name, bool *missing = nullptr);
// Removes every "--name value" and returns the values in order.
QStringList takeOptions(QStringList &args, const QString &name, bool *missing = nullptr);
// Removes "--name" and tells whether it was there.
bool takeFlag(QStringList &args, const QString &name);

} // namespace tarvex::cli
