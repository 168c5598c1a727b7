#include "replaceall.h"

#include <optional>

namespace {

// A run searches every file for the same find text, twice per file that
// holds it: prepare the search once, not for every call.
const Finder &finderFor(QByteArrayView find, CompareMode mode)
{
    thread_local std::optional<Finder> last;
    if (!last || !last->searchesFor(find, mode))
        last.emplace(find, mode);
    return *last;
}

} // namespace

Match findNext(QByteArrayView content, QByteArrayView find, CompareMode mode, qsizetype from)
{
    return finderFor(find, mode).next(content, from);
}

bool containsFind(QByteArrayView content, QByteArrayView find, CompareMode mode)
{
    if (find.isEmpty())
        return !content.isEmpty();
    return finderFor(find, mode).next(content).position >= 0;
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
    // A copy (it shares its data): `out` might search for something else.
    const Finder finder = finderFor(find, mode);
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
