#pragma once

#include "uniquefd.h"

#include <QByteArray>
#include <QtGlobal>

class Durability;

// A copy of a file's content, taken before the file is overwritten in place.
// While the file is written it stands on disk under a name beside the file
// (the file's own name with ".textorum-old-" in it), so that a kill or a
// power cut part way leaves the old content there; once the new content is
// whole the name goes, and the copy lives on without one while this object
// keeps it open: what a rewrite that fails puts back, and what an undo of
// the rewrite puts back later.
class ContentCopy
{
public:
    ContentCopy() = default;
    ContentCopy(ContentCopy &&other) noexcept = default;
    ContentCopy &operator=(ContentCopy &&other) noexcept = default;

    // Copies the first `size` bytes of `source`, the file `name` in the folder
    // open as `folder`, to a new file beside it, flushed as the file system
    // needs, and names it. Where the folder takes no new file, the copy is
    // made and named in the system's temporary folder. Returns 0 or an errno.
    int make(int source, qint64 size, int folder, const QByteArray &name, Durability &durability);

    // Takes over `fd`, whose first `size` bytes are the old content: a file
    // that a new file was renamed over, which its last descriptor keeps on
    // disk without a name.
    static ContentCopy holding(UniqueFd fd, qint64 size);

    bool isValid() const { return m_fd.isValid(); }
    int fd() const { return m_fd.get(); }
    qint64 size() const { return m_size; }
    // Where the copy stands while it has a name: the folder's path as the
    // kernel knows it and the name. Empty once the name is gone.
    QByteArray namedPath() const;

    // Removes the copy's name; the copy itself stays open.
    void removeName();

    // Puts the old content back over `target`: its first `overwritten` bytes
    // and its length. Returns 0 or an errno.
    int restoreTo(int target, qint64 overwritten) const;

private:
    int makeIn(int source, qint64 size, int folder, const QByteArray &name, Durability &durability);

    UniqueFd m_fd;
    qint64 m_size = 0;
    UniqueFd m_folder;   // while named
    QByteArray m_name;
};
