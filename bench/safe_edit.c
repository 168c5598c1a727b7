/* safe-edit: the floor of a safe find-and-replace over many files, for the
 * benchmarks to measure textorum-bench against. Each file named on the
 * command line is opened, its status taken and read whole; where it holds
 * FIND, every occurrence becomes WITH in a new file without a name in the
 * file's folder (a named one where the file system has none without a name),
 * with the file's permission bits, which is then named and renamed over the
 * file. Nothing else: no undo, no line ends, no checks beyond what losing
 * no byte needs.
 *
 * usage: safe-edit FIND WITH FILE...
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char *buffer, *edited;
static size_t capacity;

/* Makes room for a file of `size` bytes and its edit, which grows it at most
 * by the factor the texts' lengths allow. */
static void reserve(size_t size, size_t findLength, size_t withLength)
{
    const size_t most = size + (size / findLength + 1) * (withLength > findLength ? withLength - findLength : 0);
    if (most + 1 <= capacity)
        return;
    capacity = most + 1;
    buffer = realloc(buffer, capacity);
    edited = realloc(edited, capacity);
    if (!buffer || !edited) {
        perror("safe-edit");
        exit(1);
    }
}

static size_t replaceAll(const char *in, size_t size, const char *find, size_t findLength, const char *with,
                         size_t withLength)
{
    size_t out = 0;
    const char *end = in + size;
    for (const char *at; (at = memmem(in, (size_t)(end - in), find, findLength)) != NULL; in = at + findLength) {
        memcpy(edited + out, in, (size_t)(at - in));
        out += (size_t)(at - in);
        memcpy(edited + out, with, withLength);
        out += withLength;
    }
    memcpy(edited + out, in, (size_t)(end - in));
    return out + (size_t)(end - in);
}

/* The new content into an unnamed file in the folder, named and renamed
 * over the file. 0 or -1. */
static int replaceFile(const char *path, mode_t mode, size_t length)
{
    const char *slash = strrchr(path, '/');
    char folder[4096], name[4096], proc[64];
    snprintf(folder, sizeof folder, "%.*s", slash ? (int)(slash - path) : 1, slash ? path : ".");
    snprintf(name, sizeof name, "%s.safe-edit-%d", path, (int)getpid());
    int fd = open(folder[0] ? folder : "/", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode & 0777);
    const int named = fd < 0 && errno == EOPNOTSUPP;
    if (named) /* FUSE, NFS: a named new file instead */
        fd = open(name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode & 0777);
    if (fd < 0)
        return -1;
    int ok = write(fd, edited, length) == (ssize_t)length;
    if (named) {
        /* close() reports what a file system served over a network failed to write. */
        ok = close(fd) == 0 && ok && rename(name, path) == 0;
        if (!ok)
            unlink(name);
        return ok ? 0 : -1;
    }
    snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    ok = ok && linkat(AT_FDCWD, proc, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0 && rename(name, path) == 0;
    close(fd);
    return ok ? 0 : -1;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: safe-edit FIND WITH FILE...\n");
        return 2;
    }
    const char *find = argv[1], *with = argv[2];
    const size_t findLength = strlen(find), withLength = strlen(with);
    int failed = 0;
    for (int i = 3; i < argc; ++i) {
        struct stat status;
        const int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0 || fstat(fd, &status) != 0) {
            failed = 1;
            continue;
        }
        reserve((size_t)status.st_size, findLength ? findLength : 1, withLength);
        const ssize_t got = read(fd, buffer, (size_t)status.st_size);
        close(fd);
        if (got != status.st_size) {
            failed = 1;
            continue;
        }
        if (!memmem(buffer, (size_t)got, find, findLength))
            continue;
        const size_t length = replaceAll(buffer, (size_t)got, find, findLength, with, withLength);
        if (replaceFile(argv[i], status.st_mode, length) != 0)
            failed = 1;
    }
    return failed;
}
