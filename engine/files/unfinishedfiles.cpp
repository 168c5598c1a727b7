#include "unfinishedfiles.h"

#include "fileio.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// The files ahead of a run or an undo, and what their workers are still
// writing after a drop, with room to spare.
constexpr int kEntries = 256;
constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// One noted file. The handler may interrupt any thread in the middle of
// writing an entry, so every field is atomic and `version` is odd while
// the entry is written: the handler skips an entry it saw change.
struct Entry
{
    std::atomic<bool> taken = false;
    std::atomic<unsigned> version = 0;
    std::atomic<int> folder = -1;
    std::array<std::atomic<char>, NAME_MAX + 1> name{};
};
static_assert(std::atomic<unsigned>::is_always_lock_free && std::atomic<int>::is_always_lock_free
                  && std::atomic<char>::is_always_lock_free,
              "the signal handler reads the entries");

std::array<Entry, kEntries> s_entries;
// Threads between creating a file and noting it, which hold the signals off
// meanwhile; once the handler has begun, no thread begins.
std::atomic<int> s_creating = 0;
std::atomic<bool> s_ending = false;
// How long the handler waits for files being created to be noted.
constexpr int kMostWaits = 1000;
constexpr timespec kWait{0, 1000 * 1000};

// Sets an entry's folder and name between two steps of its version.
void rewrite(Entry &entry, int folder, const char *name)
{
    entry.version.fetch_add(1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    for (size_t i = 0; i < entry.name.size(); ++i) {
        entry.name[i].store(name[i], std::memory_order_relaxed);
        if (name[i] == '\0')
            break;
    }
    entry.folder.store(folder, std::memory_order_relaxed);
    entry.version.fetch_add(1, std::memory_order_release);
}

sigset_t handledSignals()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kSignals)
        sigaddset(&held, signal);
    return held;
}

// Notes `name` in the first free entry; -1 when there is none.
int note(int folder, const char *name)
{
    for (int number = 0; number < kEntries; ++number) {
        Entry &entry = s_entries[size_t(number)];
        if (!entry.taken.exchange(true, std::memory_order_acquire)) {
            rewrite(entry, folder, name);
            return number;
        }
    }
    return -1;
}

void removeNotedFiles(int signal)
{
    s_ending = true;
    for (int wait = 0; wait < kMostWaits && s_creating > 0; ++wait)
        ::nanosleep(&kWait, nullptr);
    for (Entry &entry : s_entries) {
        const unsigned version = entry.version.load(std::memory_order_acquire);
        const int folder = entry.folder.load(std::memory_order_relaxed);
        std::array<char, NAME_MAX + 1> name{};
        for (size_t i = 0; i + 1 < name.size(); ++i) {
            name[i] = entry.name[i].load(std::memory_order_relaxed);
            if (name[i] == '\0')
                break;
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if (version % 2 == 0 && folder >= 0 && entry.version.load(std::memory_order_relaxed) == version)
            ::unlinkat(folder, name.data(), 0);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}   // namespace

void removeUnfinishedFilesOnSignals()
{
    for (const int signal : kSignals) {
        struct sigaction current
        {
        };
        // An ignored signal, or one the program handles itself, may not end it.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL
            || (current.sa_flags & SA_SIGINFO))
            continue;
        struct sigaction removing
        {
        };
        removing.sa_handler = removeNotedFiles;
        sigfillset(&removing.sa_mask);
        ::sigaction(signal, &removing, nullptr);
    }
}

int createUnfinishedFile(int folder, const QByteArray &prefix, QByteArray &name, int &number, mode_t mode)
{
    const sigset_t held = handledSignals();
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &held, &previous);
    ++s_creating;
    if (s_ending) {
        // The program is ending: the handler raises the signal again.
        --s_creating;
        for (;;)
            ::pause();
    }
    const int fd = createNamedFile(folder, prefix, name, mode);
    const int error = errno;
    number = fd >= 0 ? note(folder, name.constData()) : -1;
    --s_creating;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return fd;
}

void forgetUnfinishedFile(int number)
{
    if (number < 0)
        return;
    Entry &entry = s_entries[size_t(number)];
    rewrite(entry, -1, "");
    entry.taken.store(false, std::memory_order_release);
}
