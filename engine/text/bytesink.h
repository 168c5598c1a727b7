#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Receives edited content piece by piece, so that a large file can be written
// as it is read, a buffer at a time, without building the whole result in memory.
// A piece is valid only during the call that receives it (a replacement text
// may be a temporary), so a sink that keeps pieces copies them.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    virtual void append(QByteArrayView bytes) = 0;
};

// A sink that collects everything in memory.
class ByteArraySink : public ByteSink
{
public:
    void append(QByteArrayView bytes) override { m_bytes.append(bytes); }
    QByteArray &bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};
