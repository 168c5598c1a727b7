// textorum-bench: one edit run over the files named on the command line,
// through the same EditRun as the window, with a host that needs no display.

#include "displaylesshost.h"
#include "editrequest.h"
#include "editrun.h"


#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

constexpr int kBadArguments = 2;

const std::array<const char *, int(EditMode::Count)> kModeNames {"append", "prepend", "remove", "reverse", "replace"};

int usage(const char *problem)
{
    std::fprintf(stderr,
                 "textorum-bench: %s\n"
                 "usage: textorum-bench --find TEXT [--with TEXT]"
                 " [--mode append|prepend|remove|reverse|replace]..."
                 " [--single-line] [--enumerate] [--case-sensitive] [--remove-indentation] FILE...\n",
                 problem);
    return kBadArguments;
}

// The texts as the window's text boxes would hold them.
QString argumentText(const char *argument)
{
    return QString::fromLocal8Bit(argument);
}

} // namespace

int main(int argc, char **argv)
{
    DisplaylessHost host;
    bool haveFind = false;
    const auto tick = [&host](ReadOption option) { host.options[size_t(option)] = true; };
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argument, "--find") == 0 && hasValue) {
            host.find = argumentText(argv[++i]);
            haveFind = true;
        } else if (std::strcmp(argument, "--with") == 0 && hasValue) {
            host.with = argumentText(argv[++i]);
        } else if (std::strcmp(argument, "--mode") == 0 && hasValue) {
            const char *name = argv[++i];
            const auto mode = std::find_if(kModeNames.begin(), kModeNames.end(),
                                           [name](const char *known) { return std::strcmp(known, name) == 0; });
            if (mode == kModeNames.end())
                return usage("unknown mode");
            host.modes[size_t(mode - kModeNames.begin())] = true;
        } else if (std::strcmp(argument, "--single-line") == 0) {
            tick(ReadOption::SingleLineFile);
        } else if (std::strcmp(argument, "--enumerate") == 0) {
            tick(ReadOption::EnumerateLines);
        } else if (std::strcmp(argument, "--case-sensitive") == 0) {
            tick(ReadOption::CaseSensitive);
        } else if (std::strcmp(argument, "--remove-indentation") == 0) {
            tick(ReadOption::RemoveIndentation);
        } else if (std::strncmp(argument, "--", 2) == 0) {
            return usage("unknown option or missing value");
        } else {
            host.rows.append(QByteArray(argument));   // the name's own bytes, UTF-8 or not
        }
    }
    if (!haveFind)
        return usage("--find is required");
    if (host.rows.isEmpty())
        return usage("no FILE given");

    EditRun run(host);
    run.Command1_Click(int(Command::Execute));

    std::printf("%s\n", qPrintable(host.statusCaption));
    for (const FileFailure &failure : host.failures)
        std::fprintf(stderr, "failed: %s: %s\n", failure.path.constData(), qPrintable(failure.systemError));
    struct rusage resources {};
    ::getrusage(RUSAGE_SELF, &resources);
    std::fprintf(stderr, "peak memory: %ld KiB\n", resources.ru_maxrss);
    return 0;
}
