#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// What the program's command line asks for.
struct CommandLine
{
    // Set when the program ends without a window, with this exit status:
    // 0 after --help or --version, 2 after a bad option. The answer has
    // already been printed.
    std::optional<int> exitCode;
    // The FILE and FOLDER arguments in the order given, made absolute, each
    // as its exact bytes.
    QList<QByteArray> paths;
};

// Reads `textorum [options] [FILE|FOLDER]...`, printing the help, the version
// or the usage error. Needs a QCoreApplication with the program's name and
// version.
CommandLine readCommandLine(int argc, char *argv[]);
