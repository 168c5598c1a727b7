#pragma once

#include <QByteArray>
#include <QtGlobal>

// A copy of a file's content, taken before the file is overwritten in place,
// so that a rewrite that fails part way can put the old content back. It
// lives in a file without a name, which vanishes with the descriptor this
// object owns: nothing is left on disk, whatever becomes of the program. An
// undo of the rewrite keeps the object alive until the undo ends.
class ContentCopy
{
public:
    ContentCopy() = default;
    ~ContentCopy();
    ContentCopy(ContentCopy &&other) noexcept;
    ContentCopy &operator=(ContentCopy &&other) noexcept;
    ContentCopy(const ContentCopy &) = delete;
    ContentCopy &operator=(const ContentCopy &) = delete;

    // Copies the first `size` bytes of `source` into a new copy, made on the
    // file system of `folder` where it can be (the blocks may then be shared),
    // else in the system's temporary folder. Returns 0 or an errno.
    int make(int source, qint64 size, const QByteArray &folder);

    // Takes over `fd`, whose first `size` bytes are the old content: a file
    // that a new file was renamed over, which its last descriptor keeps on
    // disk without a name.
    static ContentCopy holding(int fd, qint64 size);

    bool isValid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    qint64 size() const { return m_size; }

    // Puts the old content back over `target`: its first `overwritten` bytes
    // and its length. Returns 0 or an errno.
    int restoreTo(int target, qint64 overwritten) const;

private:
    int m_fd = -1;
    qint64 m_size = 0;
};
