#include "durability.h"

#include <QByteArray>
#include <QFile>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {

// The mount options and the file system's own (super block) options of the
// mount of `device`, from /proc/self/mountinfo, comma-separated; empty when
// the device is not found there. A line reads
// "id parent major:minor root point options [optional...] - type source super-options".
QByteArray mountOptionsOf(dev_t device)
{
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (!mounts.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wanted = QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    // Read whole: a /proc file has no size, so that QFile::atEnd() is true at once.
    const QByteArrayList lines = mounts.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QByteArrayList fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 6 || fields[2] != wanted || separator < 0 || separator + 3 >= fields.size())
            continue;
        return fields[5] + ',' + fields[separator + 3];
    }
    return {};
}

// ext4 writes a new file's data before a rename over an older one commits
// (auto_da_alloc) only when data are ordered or journalled; data=writeback or
// noauto_da_alloc leave a renamed file empty after a power cut.
bool ext4RenameFlushesData(dev_t device)
{
    const QByteArrayList options = mountOptionsOf(device).split(',');
    if (options.size() < 2)   // not found: nothing known
        return false;
    return !options.contains("noauto_da_alloc") && !options.contains("data=writeback");
}

}   // namespace

bool Durability::renameNeedsFlush(int fd)
{
    return needsOf(fd).renameNeedsFlush;
}

bool Durability::survivesPowerCut(int fd)
{
    return needsOf(fd).survivesPowerCut;
}

bool Durability::renameNeedsFlush(int fd, dev_t device)
{
    return needsOf(fd, device).renameNeedsFlush;
}

Durability::Needs Durability::needsOf(int fd)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        return {};
    return needsOf(fd, status.st_dev);
}

Durability::Needs Durability::needsOf(int fd, dev_t device)
{
    const auto known = m_byDevice.constFind(device);
    if (known != m_byDevice.cend())
        return *known;
    struct statfs fileSystem
    {
    };
    if (::fstatfs(fd, &fileSystem) != 0)
        return {};
    Needs needs;
    switch (fileSystem.f_type) {
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
        needs = {false, false};
        break;
    case BTRFS_SUPER_MAGIC:
        needs.renameNeedsFlush = false;
        break;
    case EXT4_SUPER_MAGIC:
        needs.renameNeedsFlush = !ext4RenameFlushesData(device);
        break;
    default:
        break;
    }
    m_byDevice.insert(device, needs);
    return needs;
}
