#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>

namespace {

constexpr int kUsageErrorStatus = 2;

// The parser decodes every argument from UTF-8 and turns each invalid byte
// into U+FFFD, but a file name is bytes. So each positional argument is taken
// from argv instead: the next raw argument that decodes to the same text.
// When the window opens, the only other argument there can be is "--", and a
// positional "--" found in its place has the same bytes.
QList<QByteArray> rawArguments(const QStringList &decoded, int argc, char *argv[])
{
    QList<QByteArray> raw;
    int next = 1;
    for (const QString &argument : decoded) {
        while (next < argc && QString::fromLocal8Bit(argv[next]) != argument)
            ++next;
        Q_ASSERT(next < argc);
        raw.append(QByteArray(argv[next++]));
    }
    return raw;
}

// A relative path is taken from the current folder, joined as bytes so that
// neither part is decoded. When the current folder is gone, the path stays
// relative and is then listed as missing.
QByteArray absolutePath(const QByteArray &path)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (path.startsWith('/') || error)
        return path;
    QByteArray absolute = QByteArray::fromStdString(folder.native());
    if (!absolute.endsWith('/'))
        absolute += '/';
    return absolute + path;
}

// The refused options as they were typed, with their dashes and without a
// value given after '=': the parser names them without either.
QStringList typedUnknownOptions(const QCommandLineParser &parser, const QStringList &arguments)
{
    QStringList typed;
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        QString name = option;
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        if (!name.isEmpty() && option.startsWith(QLatin1Char('-')) && parser.unknownOptionNames().contains(name)
            && !typed.contains(option))
            typed.append(option);
    }
    return typed;
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}   // namespace

CommandLine readCommandLine(int argc, char *argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Applies one find-based text edit to many files at once."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which this
    // command line does not take, since it is read before the window system.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Files and folders to list, as if dropped on the list."),
                                 QStringLiteral("[FILE|FOLDER]..."));

    // Qt's own options have one dash ("-platform"): read as a word, such an
    // option is named whole when it is refused, not letter by letter.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!parser.parse(arguments)) {
        const QString usage = parser.helpText().section(QLatin1Char('\n'), 0, 0);
        const QStringList unknown = typedUnknownOptions(parser, arguments);
        const QString error = unknown.isEmpty() ? parser.errorText()
                                                : (unknown.size() == 1 ? QStringLiteral("Unknown option: ")
                                                                       : QStringLiteral("Unknown options: "))
                                                      + unknown.join(QStringLiteral(", "));
        print(stderr, error + QLatin1Char('\n') + usage + QLatin1Char('\n'));
        return {kUsageErrorStatus, {}};
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return {0, {}};
    }
    if (parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
                          + QLatin1Char('\n'));
        return {0, {}};
    }

    CommandLine commandLine;
    for (const QByteArray &path : rawArguments(parser.positionalArguments(), argc, argv))
        commandLine.paths.append(absolutePath(path));
    return commandLine;
}
