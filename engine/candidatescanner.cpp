#include "candidatescanner.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

CandidateScanner::CandidateScanner(const QList<Probe> &probes)
{
    Q_ASSERT(!probes.isEmpty() && probes.size() <= MaxProbes);
    for (const Probe &source : probes) {
        Q_ASSERT(!source.isEmpty() && source.size() <= MaxPlaces);
        FixedProbe &probe = m_probes[m_probeCount++];
        for (const ProbePlace &sourcePlace : source) {
            Q_ASSERT(!sourcePlace.tests.isEmpty() && sourcePlace.tests.size() <= MaxTests);
            Place &place = probe.places[probe.placeCount++];
            place.distance = sourcePlace.distance;
            place.testCount = int(sourcePlace.tests.size());
            std::copy(sourcePlace.tests.begin(), sourcePlace.tests.end(), place.tests.begin());
            m_testCount = std::max(m_testCount, place.testCount);
            m_maxDistance = std::max(m_maxDistance, place.distance);
        }
    }
}

ByteTests CandidateScanner::testsFor(const QList<uchar> &bytes)
{
    ByteTests tests;
    QList<uchar> left = bytes;
    while (!left.isEmpty()) {
        const uchar byte = left.takeFirst();
        // Two bytes that differ in one bit (the two cases of an ASCII letter,
        // or the lead bytes 0xCE and 0xCF) take one test instead of two.
        const auto partner = std::find_if(left.begin(), left.end(), [byte](uchar other) {
            return std::has_single_bit(unsigned(byte ^ other));
        });
        if (partner == left.end()) {
            tests.append({0, byte});
        } else {
            const uchar bit = byte ^ *partner;
            tests.append({bit, uchar(byte | bit)});
            left.erase(partner);
        }
    }
    return tests;
}

const uchar *CandidateScanner::nextWindow(const uchar *p, const uchar *end, quint64 &candidates) const
{
#if defined(__SSE2__)
    if (m_probeCount == 1) {
        return m_testCount == 1 ? nextWindowWide<1, 1>(p, end, candidates)
             : m_testCount == 2 ? nextWindowWide<1, 2>(p, end, candidates)
                                : nextWindowWide<1, MaxTests>(p, end, candidates);
    }
    if (m_probeCount == 2) {
        return m_testCount == 1 ? nextWindowWide<2, 1>(p, end, candidates)
             : m_testCount == 2 ? nextWindowWide<2, 2>(p, end, candidates)
                                : nextWindowWide<2, MaxTests>(p, end, candidates);
    }
    return nextWindowWide<MaxProbes, MaxTests>(p, end, candidates);
#else
    return nextWindowByByte(p, end, candidates);
#endif
}

bool CandidateScanner::passes(const FixedProbe &probe, const uchar *p, const uchar *end) const
{
    return std::all_of(probe.places.begin(), probe.places.begin() + probe.placeCount,
                       [p, end](const Place &place) {
        if (end - p <= place.distance)
            return false;
        const uchar byte = p[place.distance];
        return std::any_of(place.tests.begin(), place.tests.begin() + place.testCount,
                           [byte](const ByteTest &test) {
            return uchar(byte | test.orMask) == test.value;
        });
    });
}

// The windows near the end, where wide loads would read past it.
const uchar *CandidateScanner::nextWindowByByte(const uchar *p, const uchar *end,
                                                quint64 &candidates) const
{
    for (; p < end; p += Window) {
        candidates = 0;
        const qsizetype size = std::min(Window, qsizetype(end - p));
        for (qsizetype i = 0; i < size; ++i) {
            const bool hit = std::any_of(m_probes.begin(), m_probes.begin() + m_probeCount,
                                         [&](const FixedProbe &probe) {
                return passes(probe, p + i, end);
            });
            if (hit)
                candidates |= quint64(1) << i;
        }
        if (candidates)
            return p;
    }
    return nullptr;
}

#if defined(__SSE2__)

namespace {

__m128i load(const uchar *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// Probes, places and tests padded to fixed counts by repeating the last one
// (a repeated probe, place or test changes nothing), so that the compiler
// unrolls the loops below.
template<int Tests>
struct VectorPlace
{
    qsizetype distance = 0;
    __m128i orMask[Tests];
    __m128i value[Tests];

    __m128i match(const uchar *p) const
    {
        const __m128i block = load(p + distance);
        __m128i result = _mm_cmpeq_epi8(_mm_or_si128(block, orMask[0]), value[0]);
        for (int i = 1; i < Tests; ++i)
            result = _mm_or_si128(result, _mm_cmpeq_epi8(_mm_or_si128(block, orMask[i]), value[i]));
        return result;
    }
};

} // namespace

// memchr-class speed without memchr's limit to one byte: glibc has no
// primitive that looks for any of several bytes, let alone groups of them.
template<int Probes, int Tests>
const uchar *CandidateScanner::nextWindowWide(const uchar *p, const uchar *end,
                                              quint64 &candidates) const
{
    constexpr int Block = 16;
    constexpr int Blocks = Window / Block;
    VectorPlace<Tests> places[Probes][MaxPlaces];
    for (int i = 0; i < Probes; ++i) {
        const FixedProbe &probe = m_probes[std::min(i, m_probeCount - 1)];
        for (int j = 0; j < MaxPlaces; ++j) {
            const Place &place = probe.places[std::min(j, probe.placeCount - 1)];
            places[i][j].distance = place.distance;
            for (int k = 0; k < Tests; ++k) {
                const ByteTest &test = place.tests[std::min(k, place.testCount - 1)];
                places[i][j].orMask[k] = _mm_set1_epi8(char(test.orMask));
                places[i][j].value[k] = _mm_set1_epi8(char(test.value));
            }
        }
    }
    const auto hitsAt = [&places](const uchar *block) {
        __m128i hits = _mm_setzero_si128();
        for (int i = 0; i < Probes; ++i) {
            __m128i probeHits = places[i][0].match(block);
            for (int j = 1; j < MaxPlaces; ++j)
                probeHits = _mm_and_si128(probeHits, places[i][j].match(block));
            hits = _mm_or_si128(hits, probeHits);
        }
        return hits;
    };
    // Whole windows while the farthest place still lies inside the text.
    while (end - p >= Window + m_maxDistance) {
        __m128i hits[Blocks];
        __m128i any = _mm_setzero_si128();
        for (int b = 0; b < Blocks; ++b) {
            hits[b] = hitsAt(p + b * Block);
            any = _mm_or_si128(any, hits[b]);
        }
        if (_mm_movemask_epi8(any)) {
            candidates = 0;
            for (int b = 0; b < Blocks; ++b)
                candidates |= quint64(unsigned(_mm_movemask_epi8(hits[b]))) << (b * Block);
            return p;
        }
        p += Window;
    }
    return nextWindowByByte(p, end, candidates);
}

#endif
