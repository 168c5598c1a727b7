#!/usr/bin/python3
"""A slow passthrough file system: mirrors BACKING at MOUNTPOINT and sleeps
before every operation, like a file server a network round trip away.

usage: bench/fuse-latency.py BACKING MOUNTPOINT [DELAY_MS]   (default 1 ms)

Needs python3-fusepy (Debian) or fusepy (pip). Runs in the foreground,
serves requests on many threads, and stops when MOUNTPOINT is unmounted.
"""
import os
import sys
import time

try:
    from fusepy import FUSE, Operations
except ImportError:
    from fuse import FUSE, Operations


class SlowPassthrough(Operations):
    use_ns = True  # times in nanoseconds, as os.stat gives them

    def __init__(self, backing, delay):
        self.backing = os.path.realpath(backing)
        self.delay = delay

    def __call__(self, op, *args):
        time.sleep(self.delay)
        return super().__call__(op, *args)

    def real(self, path):
        return self.backing + path

    # Attributes and names

    def getattr(self, path, fi=None):
        st = os.fstat(fi.fh) if fi else os.lstat(self.real(path))
        attrs = {key: getattr(st, key) for key in ("st_mode", "st_ino", "st_nlink", "st_uid", "st_gid",
                                                  "st_size", "st_blocks", "st_blksize", "st_rdev")}
        attrs.update(st_atime=st.st_atime_ns, st_mtime=st.st_mtime_ns, st_ctime=st.st_ctime_ns)
        return attrs

    def access(self, path, mode):
        if not os.access(self.real(path), mode):
            raise PermissionError(13, "no access", path)

    def chmod(self, path, mode):
        os.chmod(self.real(path), mode)

    def chown(self, path, uid, gid):
        os.lchown(self.real(path), uid, gid)

    def utimens(self, path, times=None):
        os.utime(self.real(path), ns=times, follow_symlinks=False) if times else os.utime(self.real(path))

    def truncate(self, path, length, fi=None):
        os.ftruncate(fi.fh, length) if fi else os.truncate(self.real(path), length)

    def readlink(self, path):
        return os.readlink(self.real(path))

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {key: getattr(st, key) for key in ("f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail",
                                                 "f_files", "f_ffree", "f_favail", "f_flag", "f_namemax")}

    def getxattr(self, path, name, position=0):
        return os.getxattr(self.real(path), name, follow_symlinks=False)

    def listxattr(self, path):
        return os.listxattr(self.real(path), follow_symlinks=False)

    def setxattr(self, path, name, value, options, position=0):
        os.setxattr(self.real(path), name, value, options, follow_symlinks=False)

    def removexattr(self, path, name):
        os.removexattr(self.real(path), name, follow_symlinks=False)

    # Folders and links

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self.real(path))

    def mkdir(self, path, mode):
        os.mkdir(self.real(path), mode)

    def rmdir(self, path):
        os.rmdir(self.real(path))

    def mknod(self, path, mode, dev):
        os.mknod(self.real(path), mode, dev)

    def unlink(self, path):
        os.unlink(self.real(path))

    def rename(self, old, new):
        os.rename(self.real(old), self.real(new))

    def link(self, target, source):  # target: the new name
        os.link(self.real(source), self.real(target))

    def symlink(self, target, source):  # target: the new name
        os.symlink(source, self.real(target))

    # Open files: fi.fh holds the backing file's descriptor

    def open(self, path, fi):
        fi.fh = os.open(self.real(path), fi.flags)

    def create(self, path, mode, fi):
        fi.fh = os.open(self.real(path), fi.flags | os.O_CREAT, mode)

    def read(self, path, size, offset, fi):
        return os.pread(fi.fh, size, offset)

    def write(self, path, data, offset, fi):
        return os.pwrite(fi.fh, data, offset)

    def flush(self, path, fi):
        os.close(os.dup(fi.fh))  # what close() of a descriptor would report

    def fsync(self, path, datasync, fi):
        os.fdatasync(fi.fh) if datasync else os.fsync(fi.fh)

    def release(self, path, fi):
        os.close(fi.fh)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__.strip())
    delay = float(sys.argv[3]) / 1000 if len(sys.argv) == 4 else 0.001
    FUSE(SlowPassthrough(sys.argv[1], delay), sys.argv[2], foreground=True, nothreads=False, raw_fi=True)
