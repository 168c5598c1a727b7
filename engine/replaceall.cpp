#include "replaceall.h"

Match findNext(QByteArrayView content, QByteArrayView find, CompareMode mode, qsizetype from)
{
    return Finder(find, mode).next(content, from);
}

bool containsFind(QByteArrayView content, QByteArrayView find, CompareMode mode)
{
    if (find.isEmpty())
        return !content.isEmpty();
    return Finder(find, mode).next(content).position >= 0;
}

void replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement,
                CompareMode mode, ByteSink &out)
{
    const auto send = [&out](QByteArrayView bytes) {
        if (!bytes.isEmpty())
            out.append(bytes);
    };
    if (find.isEmpty()) {
        send(content);
        return;
    }
    const Finder finder(find, mode);
    qsizetype copied = 0;
    for (Match match = finder.next(content); match.position >= 0;
         match = finder.next(content, copied)) {
        send(content.sliced(copied, match.position - copied));
        send(replacement);
        copied = match.position + match.length;
    }
    send(content.sliced(copied));
}

QByteArray replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement,
                      CompareMode mode)
{
    ByteArraySink sink;
    replaceAll(content, find, replacement, mode, sink);
    return sink.bytes();
}
