#include "lineend.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");

// The first line end in `bytes`, or an empty text when there is none or when
// `bytes` ends in a CR and `atEnd` says more bytes follow, so that CR LF and
// a CR alone cannot be told apart yet.
QByteArray firstLineEnd(QByteArrayView bytes, bool atEnd)
{
    const char *begin = bytes.data();
    const size_t size = size_t(bytes.size());
    const auto *cr = static_cast<const char *>(std::memchr(begin, '\r', size));
    const size_t beforeCr = cr ? size_t(cr - begin) : size;
    if (std::memchr(begin, '\n', beforeCr))
        return QByteArrayLiteral("\n");
    if (!cr)
        return {};
    if (beforeCr + 1 < size)
        return cr[1] == '\n' ? CrLf : QByteArrayLiteral("\r");
    return atEnd ? QByteArrayLiteral("\r") : QByteArray();
}

} // namespace

QByteArray fileLineEnd(int fd, qint64 size, QByteArray &buffer)
{
    qint64 offset = 0;
    bool afterCr = false;   // the last buffer ended in a CR
    while (offset < size) {
        const ssize_t got = ::pread(fd, buffer.data(), size_t(qMin(qint64(buffer.size()), size - offset)), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return CrLf;
        const QByteArrayView bytes(buffer.constData(), got);
        if (afterCr)
            return bytes.front() == '\n' ? CrLf : QByteArrayLiteral("\r");
        if (QByteArray lineEnd = firstLineEnd(bytes, offset + got == size); !lineEnd.isEmpty())
            return lineEnd;
        afterCr = bytes.back() == '\r';
        offset += got;
    }
    return CrLf;
}
