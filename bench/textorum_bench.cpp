// textorum-bench: one edit run over the files named on the command line,
// through the same EditRun as the window, with a host that needs no display;
// with --then-undo, the undo of it after it; with --folders, listed folders
// stand for the text files below them; --threads N sets the worker threads
// that prepare files ahead (1: the run's own thread alone). With --preview,
// no run: the preview of it, printed as a unified diff that `patch` applies,
// writing nothing.

#include "displaylesshost.h"
#include "editmodes.h"
#include "editoptions.h"
#include "editpreview.h"
#include "editrun.h"
#include "filediffs.h"
#include "showndiff.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

namespace {

constexpr int kBadArguments = 2;

// --mode takes the mode list's names in lower case.
QString modeArgument(EditMode mode)
{
    return editModeNames().at(int(mode)).toLower();
}

int usage(const char *problem)
{
    QStringList modes;
    for (int mode = 0; mode < int(EditMode::Count); ++mode)
        modes << modeArgument(EditMode(mode));
    std::fprintf(stderr,
                 "textorum-bench: %s\n"
                 "usage: textorum-bench --find TEXT [--with TEXT] [--mode %s]..."
                 " [--single-line] [--enumerate] [--case-sensitive] [--remove-indentation]"
                 " [--then-undo | --without-undo | --preview] [--folders] [--threads N] FILE|FOLDER...\n",
                 problem, qPrintable(modes.join(u'|')));
    return kBadArguments;
}

// The texts as the window's text boxes would hold them.
QString argumentText(const char *argument)
{
    return QString::fromLocal8Bit(argument);
}

void printPeakMemory()
{
    struct rusage resources
    {
    };
    ::getrusage(RUSAGE_SELF, &resources);
    std::fprintf(stderr, "peak memory: %ld KiB\n", resources.ru_maxrss);
}

// Writes to standard output.
class StandardOutput : public ByteSink
{
public:
    void append(QByteArrayView bytes) override { std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout); }
};

// Keeps the files a preview would change and, as the window does, makes the
// diff of the first one as soon as it is known, timed from the start.
class PreviewedFiles : public PreviewDisplay
{
public:
    QList<PreviewedFile> files;
    QElapsedTimer sinceStart;
    double firstDiffSeconds = -1;
    const EditInputs *inputs = nullptr;

    void showPreviewProgress(const Progress &) override {}
    void yield() override {}
    void filePreviewed(const PreviewedFile &file) override
    {
        files.append(file);
        if (files.size() > 1)
            return;
        RunTexts texts(inputs->findText(), inputs->withText());
        ShownDiffCollector shown(1000);
        diffPreviewed(file, *inputs, texts, {true, 4000}, shown);
        firstDiffSeconds = sinceStart.nsecsElapsed() / 1e9;
    }
};

// The preview, then the diff of every file it found would change.
int preview(DisplaylessHost &host, int threads)
{
    PreviewedFiles previewed;
    previewed.sinceStart.start();
    EditPreview preview(host, host, previewed);
    if (threads > 0)
        preview.setWorkerCount(threads);
    previewed.inputs = &preview.inputs();
    const RunSummary summary = preview.run();
    const double previewSeconds = previewed.sinceStart.nsecsElapsed() / 1e9;
    StandardOutput out;
    RunTexts texts(host.find, host.with);
    for (const PreviewedFile &file : std::as_const(previewed.files)) {
        if (auto failure = writeUnifiedDiff(file, preview.inputs(), texts, out))
            std::fprintf(stderr, "no diff: %s: %s\n", file.path.constData(), qPrintable(failure->systemError));
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", qPrintable(previewSummaryCaption(summary)));
    for (const FileFailure &failure : summary.failures)
        std::fprintf(stderr, "would fail: %s: %s\n", failure.path.constData(), qPrintable(failure.systemError));
    std::fprintf(stderr, "preview: %.3f s\nfirst diff: %.3f s\ndiffs: %.3f s\n", previewSeconds,
                 previewed.firstDiffSeconds, previewed.sinceStart.nsecsElapsed() / 1e9 - previewSeconds);
    return 0;
}

}   // namespace

int main(int argc, char **argv)
{
    DisplaylessHost host;
    bool haveFind = false;
    bool thenUndo = false;
    bool previewOnly = false;
    bool keepsUndo = true;
    int threads = 0;   // the run's own choice
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
            const QString name = QString::fromLocal8Bit(argv[++i]);
            int mode = 0;
            while (mode < int(EditMode::Count) && modeArgument(EditMode(mode)) != name)
                ++mode;
            if (mode == int(EditMode::Count))
                return usage("unknown mode");
            host.modes[size_t(mode)] = true;
        } else if (std::strcmp(argument, "--single-line") == 0) {
            tick(ReadOption::SingleLineFile);
        } else if (std::strcmp(argument, "--enumerate") == 0) {
            tick(ReadOption::EnumerateLines);
        } else if (std::strcmp(argument, "--case-sensitive") == 0) {
            tick(ReadOption::CaseSensitive);
        } else if (std::strcmp(argument, "--remove-indentation") == 0) {
            tick(ReadOption::RemoveIndentation);
        } else if (std::strcmp(argument, "--then-undo") == 0) {
            thenUndo = true;
        } else if (std::strcmp(argument, "--without-undo") == 0) {
            // The run keeps nothing for an undo: only to measure what keeping it costs.
            keepsUndo = false;
        } else if (std::strcmp(argument, "--preview") == 0) {
            previewOnly = true;
        } else if (std::strcmp(argument, "--folders") == 0) {
            // File > Edit Files Inside Folders ticked.
            host.insideFolders = true;
        } else if (std::strcmp(argument, "--threads") == 0 && hasValue) {
            threads = std::atoi(argv[++i]);
            if (threads < 1)
                return usage("--threads needs a number from 1");
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
    if (thenUndo && !keepsUndo)
        return usage("--then-undo needs what --without-undo leaves out");
    if (previewOnly && (thenUndo || !keepsUndo))
        return usage("--preview makes no run");
    if (previewOnly) {
        const int status = preview(host, threads);
        printPeakMemory();
        return status;
    }

    EditRun run(host, host, host);
    run.setKeepsUndo(keepsUndo);
    if (threads > 0)
        run.setWorkerCount(threads);
    QElapsedTimer clock;
    clock.start();
    run.execute();
    const double runSeconds = clock.nsecsElapsed() / 1e9;
    std::printf("%s\n", qPrintable(host.statusCaption));
    for (const FileFailure &failure : host.failures)
        std::fprintf(stderr, "failed: %s: %s\n", failure.path.constData(), qPrintable(failure.systemError));
    for (const SkippedFiles::Named &file : host.skipped.named())
        std::fprintf(stderr, "skipped: %s: %d\n", file.path.constData(), int(file.why));
    std::fprintf(stderr, "run: %.3f s\n", runSeconds);

    if (thenUndo) {
        clock.start();
        run.undo();
        const double undoSeconds = clock.nsecsElapsed() / 1e9;
        std::printf("%s\n", qPrintable(host.statusCaption));
        for (const FileFailure &file : host.leftAsTheyAre)
            std::fprintf(stderr, "left as it is: %s: %d %s\n", file.path.constData(), int(file.reason),
                         qPrintable(file.systemError));
        std::fprintf(stderr, "undo: %.3f s\n", undoSeconds);
    }
    printPeakMemory();
    return 0;
}
