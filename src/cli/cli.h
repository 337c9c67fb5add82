#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace tarvex::cli {

// What a command gets: its name, its own arguments (after the command name)
// and the two output streams.
struct Context {
    QString command;
    QStringList args;
    QTextStream &out;
    QTextStream &err;
    bool errIsTerminal = false; // err is a terminal: long runs show their progress there
};

// Runs tarvex-cli with the given arguments (program name first) and returns
// the exit status. Used by main() and, in-process, by the tests.
// errIsTerminal: err goes to a terminal.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err, bool errIsTerminal = false);

// Whether the command line draws anything (the pages of a PDF, the demo
// library's pictures): only such a run starts Qt's drawing platform; every
// other command runs on a plain QCoreApplication and starts at once.
bool drawsPictures(const QStringList &arguments);

// Opens the working database of the program folder (creating it when
// missing); on failure writes the reason to err and returns false.
bool openWorkingDatabase(Context &context);

// The options and arguments of one command, parsed by QCommandLineParser.
// A command declares what it takes, then calls parse():
//
//     CommandLine line(context, QStringLiteral("FILE.xdt"));
//     line.option("seed", "FILE.sql", "run the SQL of FILE");
//     if (const auto stop = line.parse(0, 0))
//         return *stop;
//
// "--help" prints the command's usage; an unknown option, a missing value or a
// wrong number of arguments prints the reason and the usage.
class CommandLine {
public:
    // arguments names the positional arguments in the usage line.
    explicit CommandLine(Context &context, const QString &arguments = QString());

    void option(const char *name, const char *valueName, const char *description);
    void flag(const char *name, const char *description);

    // Empty when the command goes on; else the exit status to return (0 after
    // --help, 2 after a usage error).
    std::optional<int> parse(int minArguments, int maxArguments);

    bool isSet(const char *name) const;
    // The last value given; empty when the option is absent.
    QString value(const char *name) const;
    QStringList values(const char *name) const;
    QStringList arguments() const { return m_parser.positionalArguments(); }

    QString usage() const;
    // Prints a reason and the usage to err; returns the usage error status.
    int usageError(const QString &reason) const;

private:
    struct Described {
        QString names;
        QString description;
    };

    Context &m_context;
    QString m_arguments;
    QCommandLineParser m_parser;
    QList<Described> m_described;
};

constexpr int kUsageError = 2;

// One subcommand of a command that has them (library, offers): its name, the
// positional arguments of its usage line, a summary for the help and what it
// runs.
struct Subcommand {
    const char *name;
    const char *arguments;
    const char *summary;
    int (*run)(Context &, CommandLine &);
};

// Runs the subcommand the first argument names. No argument or --help lists
// the subcommands after the intro (the usage line and what the command
// works on); an Error of the subcommand is reported as "当前错误:".
int runSubcommand(Context &context, const QList<Subcommand> &subcommands, const QString &intro);

} // namespace tarvex::cli
