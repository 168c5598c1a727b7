#include "lineend.h"

#include <cstring>

namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");

}   // namespace

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
