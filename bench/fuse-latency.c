/* A slow passthrough file system on libfuse 3: mirrors BACKING at MOUNTPOINT
 * and sleeps DELAY_MS before every operation, like a file server a network
 * round trip away. Served on many threads, on libfuse 3 as most FUSE servers
 * are today; bench/fuse-latency.py is the same on libfuse 2 through Python,
 * whose own work per call adds to the delay.
 *
 * usage: fuse-latency BACKING MOUNTPOINT [DELAY_MS]   (default 1 ms)
 * build: cc -O2 fuse-latency.c $(pkg-config --cflags --libs fuse3)
 * Runs in the foreground and stops when MOUNTPOINT is unmounted.
 */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

static char backing[PATH_MAX];
static struct timespec delay;

/* The backing path of `path` (which starts with '/'). */
static const char *backingPath(const char *path, char *buffer)
{
    snprintf(buffer, PATH_MAX, "%s%s", backing, path);
    return buffer;
}

/* The same, after the delay that every operation takes. */
static const char *real(const char *path, char *buffer)
{
    nanosleep(&delay, NULL);
    return backingPath(path, buffer);
}

#define REAL(path) char real_##path[PATH_MAX]; real(path, real_##path)
#define RESULT(call) return (call) == -1 ? -errno : 0

static void *lat_init(struct fuse_conn_info *conn, struct fuse_config *cfg)
{
    (void)conn;
    cfg->use_ino = 1;
    return NULL;
}

static int lat_getattr(const char *path, struct stat *st, struct fuse_file_info *fi)
{
    REAL(path);
    RESULT(fi ? fstat(fi->fh, st) : lstat(real_path, st));
}

static int lat_access(const char *path, int mode)
{
    REAL(path);
    RESULT(access(real_path, mode));
}

static int lat_readlink(const char *path, char *buf, size_t size)
{
    REAL(path);
    const ssize_t got = readlink(real_path, buf, size - 1);
    if (got == -1)
        return -errno;
    buf[got] = '\0';
    return 0;
}

static int lat_readdir(const char *path, void *buf, fuse_fill_dir_t filler, off_t offset,
                       struct fuse_file_info *fi, enum fuse_readdir_flags flags)
{
    (void)offset, (void)fi, (void)flags;
    REAL(path);
    DIR *dir = opendir(real_path);
    if (!dir)
        return -errno;
    for (struct dirent *entry; (entry = readdir(dir));) {
        struct stat st = {.st_ino = entry->d_ino, .st_mode = (mode_t)entry->d_type << 12};
        if (filler(buf, entry->d_name, &st, 0, 0))
            break;
    }
    closedir(dir);
    return 0;
}

static int lat_mknod(const char *path, mode_t mode, dev_t rdev)
{
    REAL(path);
    RESULT(mknod(real_path, mode, rdev));
}

static int lat_mkdir(const char *path, mode_t mode)
{
    REAL(path);
    RESULT(mkdir(real_path, mode));
}

static int lat_unlink(const char *path)
{
    REAL(path);
    RESULT(unlink(real_path));
}

static int lat_rmdir(const char *path)
{
    REAL(path);
    RESULT(rmdir(real_path));
}

static int lat_symlink(const char *target, const char *path)
{
    REAL(path);
    RESULT(symlink(target, real_path));
}

static int lat_rename(const char *from, const char *to, unsigned int flags)
{
    REAL(from);
    char real_to[PATH_MAX];
    backingPath(to, real_to);
    RESULT(renameat2(AT_FDCWD, real_from, AT_FDCWD, real_to, flags));
}

static int lat_link(const char *from, const char *to)
{
    REAL(from);
    char real_to[PATH_MAX];
    backingPath(to, real_to);
    RESULT(link(real_from, real_to));
}

static int lat_chmod(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    REAL(path);
    RESULT(fi ? fchmod(fi->fh, mode) : chmod(real_path, mode));
}

static int lat_chown(const char *path, uid_t uid, gid_t gid, struct fuse_file_info *fi)
{
    REAL(path);
    RESULT(fi ? fchown(fi->fh, uid, gid) : lchown(real_path, uid, gid));
}

static int lat_truncate(const char *path, off_t size, struct fuse_file_info *fi)
{
    REAL(path);
    RESULT(fi ? ftruncate(fi->fh, size) : truncate(real_path, size));
}

static int lat_utimens(const char *path, const struct timespec times[2], struct fuse_file_info *fi)
{
    REAL(path);
    RESULT(fi ? futimens(fi->fh, times) : utimensat(AT_FDCWD, real_path, times, AT_SYMLINK_NOFOLLOW));
}

static int lat_create(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    REAL(path);
    const int fd = open(real_path, fi->flags, mode);
    if (fd == -1)
        return -errno;
    fi->fh = fd;
    return 0;
}

static int lat_open(const char *path, struct fuse_file_info *fi)
{
    REAL(path);
    const int fd = open(real_path, fi->flags);
    if (fd == -1)
        return -errno;
    fi->fh = fd;
    return 0;
}

static int lat_read(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi)
{
    REAL(path);
    const ssize_t got = pread(fi->fh, buf, size, offset);
    return got == -1 ? -errno : (int)got;
}

static int lat_write(const char *path, const char *buf, size_t size, off_t offset, struct fuse_file_info *fi)
{
    REAL(path);
    const ssize_t put = pwrite(fi->fh, buf, size, offset);
    return put == -1 ? -errno : (int)put;
}

static int lat_statfs(const char *path, struct statvfs *st)
{
    REAL(path);
    RESULT(statvfs(real_path, st));
}

static int lat_flush(const char *path, struct fuse_file_info *fi)
{
    REAL(path);
    /* What close() of a descriptor would report. */
    RESULT(close(dup(fi->fh)));
}

static int lat_release(const char *path, struct fuse_file_info *fi)
{
    REAL(path);
    close(fi->fh);
    return 0;
}

static int lat_fsync(const char *path, int datasync, struct fuse_file_info *fi)
{
    REAL(path);
    RESULT(datasync ? fdatasync(fi->fh) : fsync(fi->fh));
}

static int lat_setxattr(const char *path, const char *name, const char *value, size_t size, int flags)
{
    REAL(path);
    RESULT(lsetxattr(real_path, name, value, size, flags));
}

static int lat_getxattr(const char *path, const char *name, char *value, size_t size)
{
    REAL(path);
    const ssize_t got = lgetxattr(real_path, name, value, size);
    return got == -1 ? -errno : (int)got;
}

static int lat_listxattr(const char *path, char *list, size_t size)
{
    REAL(path);
    const ssize_t got = llistxattr(real_path, list, size);
    return got == -1 ? -errno : (int)got;
}

static int lat_removexattr(const char *path, const char *name)
{
    REAL(path);
    RESULT(lremovexattr(real_path, name));
}

static const struct fuse_operations operations = {
    .init = lat_init,
    .getattr = lat_getattr,
    .access = lat_access,
    .readlink = lat_readlink,
    .readdir = lat_readdir,
    .mknod = lat_mknod,
    .mkdir = lat_mkdir,
    .unlink = lat_unlink,
    .rmdir = lat_rmdir,
    .symlink = lat_symlink,
    .rename = lat_rename,
    .link = lat_link,
    .chmod = lat_chmod,
    .chown = lat_chown,
    .truncate = lat_truncate,
    .utimens = lat_utimens,
    .create = lat_create,
    .open = lat_open,
    .read = lat_read,
    .write = lat_write,
    .statfs = lat_statfs,
    .flush = lat_flush,
    .release = lat_release,
    .fsync = lat_fsync,
    .setxattr = lat_setxattr,
    .getxattr = lat_getxattr,
    .listxattr = lat_listxattr,
    .removexattr = lat_removexattr,
};

int main(int argc, char *argv[])
{
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: %s BACKING MOUNTPOINT [DELAY_MS]\n", argv[0]);
        return 2;
    }
    if (!realpath(argv[1], backing)) {
        perror(argv[1]);
        return 1;
    }
    const long micros = (long)(1000 * (argc == 4 ? atof(argv[3]) : 1.0));
    delay.tv_sec = micros / 1000000;
    delay.tv_nsec = micros % 1000000 * 1000;
    char *fuseArgs[] = {argv[0], "-f", argv[2], NULL};
    return fuse_main(3, fuseArgs, &operations, NULL);
}
