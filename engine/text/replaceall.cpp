#include "replaceall.h"

#include "replacestream.h"

bool containsFind(QByteArrayView content, QByteArrayView find, CompareMode mode)
{
    PreparedFind prepared(find);
    FindProbe test(prepared.finder(mode));
    test.append(content);
    test.finish();
    return test.found();
}

void replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement, CompareMode mode,
                ByteSink &out)
{
    PreparedFind prepared(find);
    ReplaceStream stream(prepared.finder(mode), replacement, out);
    stream.append(content);
    stream.finish();
}

QByteArray replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement, CompareMode mode)
{
    ByteArraySink sink;
    replaceAll(content, find, replacement, mode, sink);
    return sink.bytes();
}
