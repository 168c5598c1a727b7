#pragma once

#include <QList>
#include <QtGlobal>

#include <array>

// A byte passes a test when (byte | orMask) == value: {0, b} passes b alone,
// {0x20, 'k'} passes both 'k' and 'K'.
struct ByteTest
{
    uchar orMask = 0;
    uchar value = 0;
};

// The tests a byte may pass: one of them is enough.
using ByteTests = QList<ByteTest>;

// One place of a probe: the byte `distance` bytes after the candidate
// position must pass one of `tests`.
struct ProbePlace
{
    qsizetype distance = 0;
    ByteTests tests;
};

// A candidate position is one where every place of a probe passes.
using Probe = QList<ProbePlace>;

// Finds the positions where any of a few probes passes, a window of 64 bytes
// at a time. Testing two or three bytes at fixed distances lets through far
// fewer false candidates than looking for one byte (a common first letter
// such as 'e' would stop the scan every few bytes), in one pass.
class CandidateScanner
{
public:
    // How many positions one step tests: one, sixteen or thirty-two.
    enum class Width { Byte, Sse2, Avx2 };

    static constexpr int MaxProbes = 4;
    static constexpr int MaxPlaces = 3;
    static constexpr int MaxTests = 4;
    static constexpr qsizetype Window = 64;

    // 1 to MaxProbes probes of 1 to MaxPlaces places of 1 to MaxTests tests;
    // a width that the processor lacks gives way to the widest it has.
    explicit CandidateScanner(const QList<Probe> &probes, Width width = widest());

    // The widest scan this processor can run.
    static Width widest();

    // The first window [w, w + Window) with w = p + k * Window that holds a
    // candidate, or nullptr; bit i of `candidates` is set when w + i is one.
    // Reads nothing at or past `end`; candidates lie before `end`.
    const uchar *nextWindow(const uchar *p, const uchar *end, quint64 &candidates) const;

    // Tests that together pass exactly `bytes` (all different).
    static ByteTests testsFor(const QList<uchar> &bytes);

private:
    struct Place
    {
        qsizetype distance = 0;
        std::array<ByteTest, MaxTests> tests{};
        int testCount = 0;
    };
    struct FixedProbe
    {
        std::array<Place, MaxPlaces> places{};
        int placeCount = 0;
    };

    bool passes(const FixedProbe &probe, const uchar *p, const uchar *end) const;
    template<int Probes, int Tests>
    const uchar *nextWindowWide(const uchar *p, const uchar *end, quint64 &candidates) const;
    template<int Probes, int Tests>
    const uchar *nextWindowSse2(const uchar *p, const uchar *end, quint64 &candidates) const;
    template<int Probes, int Tests>
    const uchar *nextWindowAvx2(const uchar *p, const uchar *end, quint64 &candidates) const;
    const uchar *nextWindowByByte(const uchar *p, const uchar *end, quint64 &candidates) const;

    Width m_width;
    std::array<FixedProbe, MaxProbes> m_probes{};
    int m_probeCount = 0;
    int m_testCount = 0;   // the most tests of any place
    qsizetype m_maxDistance = 0;
};
