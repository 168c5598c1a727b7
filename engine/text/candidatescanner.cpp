#include "candidatescanner.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

CandidateScanner::CandidateScanner(const QList<Probe> &probes, Width width) : m_width(std::min(width, widest()))
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
        const auto partner = std::find_if(left.begin(), left.end(),
                                          [byte](uchar other) { return std::has_single_bit(unsigned(byte ^ other)); });
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

CandidateScanner::Width CandidateScanner::widest()
{
#if defined(__SSE2__)
    static const Width width = __builtin_cpu_supports("avx2") ? Width::Avx2 : Width::Sse2;
    return width;
#else
    return Width::Byte;
#endif
}

const uchar *CandidateScanner::nextWindow(const uchar *p, const uchar *end, quint64 &candidates) const
{
#if defined(__SSE2__)
    if (m_width == Width::Byte)
        return nextWindowByByte(p, end, candidates);
    if (m_probeCount == 1) {
        return m_testCount == 1   ? nextWindowWide<1, 1>(p, end, candidates)
               : m_testCount == 2 ? nextWindowWide<1, 2>(p, end, candidates)
                                  : nextWindowWide<1, MaxTests>(p, end, candidates);
    }
    if (m_probeCount == 2) {
        return m_testCount == 1   ? nextWindowWide<2, 1>(p, end, candidates)
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
    return std::all_of(probe.places.begin(), probe.places.begin() + probe.placeCount, [p, end](const Place &place) {
        if (end - p <= place.distance)
            return false;
        const uchar byte = p[place.distance];
        return std::any_of(place.tests.begin(), place.tests.begin() + place.testCount,
                           [byte](const ByteTest &test) { return uchar(byte | test.orMask) == test.value; });
    });
}

// The windows near the end, where wide loads would read past it.
const uchar *CandidateScanner::nextWindowByByte(const uchar *p, const uchar *end, quint64 &candidates) const
{
    for (; p < end; p += Window) {
        candidates = 0;
        const qsizetype size = std::min(Window, qsizetype(end - p));
        for (qsizetype i = 0; i < size; ++i) {
            const bool hit = std::any_of(m_probes.begin(), m_probes.begin() + m_probeCount,
                                         [&](const FixedProbe &probe) { return passes(probe, p + i, end); });
            if (hit)
                candidates |= quint64(1) << i;
        }
        if (candidates)
            return p;
    }
    return nullptr;
}

#if defined(__SSE2__)

// The wide scans below test sixteen (SSE2) or thirty-two (AVX2) positions at
// once. Probes, places and tests are padded to fixed counts by repeating the
// last one (a repeated probe, place or test changes nothing), so that the
// compiler unrolls every loop. AVX2 is used where the processor has it; its
// code is written out a second time because functions built for AVX2 must
// not be called elsewhere, and a shared template would be built for one or
// the other. No lambdas there: they would not inherit the AVX2 target.

namespace {

// Two structs rather than one template over the vector type, whose
// alignment attribute a template argument would drop.
template<int Tests>
struct Sse2Place
{
    qsizetype distance = 0;
    __m128i orMask[Tests];
    __m128i value[Tests];
};

template<int Tests>
struct Avx2Place
{
    qsizetype distance = 0;
    __m256i orMask[Tests];
    __m256i value[Tests];
};

template<int Tests>
__m128i matchSse2(const Sse2Place<Tests> &place, const uchar *p)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + place.distance));
    __m128i result = _mm_cmpeq_epi8(_mm_or_si128(block, place.orMask[0]), place.value[0]);
    for (int i = 1; i < Tests; ++i) {
        result = _mm_or_si128(result, _mm_cmpeq_epi8(_mm_or_si128(block, place.orMask[i]), place.value[i]));
    }
    return result;
}

template<int Tests>
__attribute__((target("avx2"))) __m256i matchAvx2(const Avx2Place<Tests> &place, const uchar *p)
{
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + place.distance));
    __m256i result = _mm256_cmpeq_epi8(_mm256_or_si256(block, place.orMask[0]), place.value[0]);
    for (int i = 1; i < Tests; ++i) {
        result = _mm256_or_si256(result, _mm256_cmpeq_epi8(_mm256_or_si256(block, place.orMask[i]), place.value[i]));
    }
    return result;
}

}   // namespace

template<int Probes, int Tests>
const uchar *CandidateScanner::nextWindowWide(const uchar *p, const uchar *end, quint64 &candidates) const
{
    return m_width == Width::Avx2 ? nextWindowAvx2<Probes, Tests>(p, end, candidates)
                                  : nextWindowSse2<Probes, Tests>(p, end, candidates);
}

// memchr-class speed without memchr's limit to one byte: glibc has no
// primitive that looks for any of several bytes, let alone groups of them.
template<int Probes, int Tests>
const uchar *CandidateScanner::nextWindowSse2(const uchar *p, const uchar *end, quint64 &candidates) const
{
    constexpr int Block = 16;
    constexpr int Blocks = Window / Block;
    Sse2Place<Tests> places[Probes][MaxPlaces];
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
    // Whole windows while the farthest place still lies inside the text.
    while (end - p >= Window + m_maxDistance) {
        __m128i hits[Blocks];
        __m128i any = _mm_setzero_si128();
        for (int b = 0; b < Blocks; ++b) {
            hits[b] = _mm_setzero_si128();
            for (int i = 0; i < Probes; ++i) {
                __m128i probeHits = matchSse2(places[i][0], p + b * Block);
                for (int j = 1; j < MaxPlaces; ++j)
                    probeHits = _mm_and_si128(probeHits, matchSse2(places[i][j], p + b * Block));
                hits[b] = _mm_or_si128(hits[b], probeHits);
            }
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

template<int Probes, int Tests>
__attribute__((target("avx2"))) const uchar *CandidateScanner::nextWindowAvx2(const uchar *p, const uchar *end,
                                                                              quint64 &candidates) const
{
    constexpr int Block = 32;
    constexpr int Blocks = Window / Block;
    Avx2Place<Tests> places[Probes][MaxPlaces];
    for (int i = 0; i < Probes; ++i) {
        const FixedProbe &probe = m_probes[std::min(i, m_probeCount - 1)];
        for (int j = 0; j < MaxPlaces; ++j) {
            const Place &place = probe.places[std::min(j, probe.placeCount - 1)];
            places[i][j].distance = place.distance;
            for (int k = 0; k < Tests; ++k) {
                const ByteTest &test = place.tests[std::min(k, place.testCount - 1)];
                places[i][j].orMask[k] = _mm256_set1_epi8(char(test.orMask));
                places[i][j].value[k] = _mm256_set1_epi8(char(test.value));
            }
        }
    }
    while (end - p >= Window + m_maxDistance) {
        __m256i hits[Blocks];
        __m256i any = _mm256_setzero_si256();
        for (int b = 0; b < Blocks; ++b) {
            hits[b] = _mm256_setzero_si256();
            for (int i = 0; i < Probes; ++i) {
                __m256i probeHits = matchAvx2(places[i][0], p + b * Block);
                for (int j = 1; j < MaxPlaces; ++j)
                    probeHits = _mm256_and_si256(probeHits, matchAvx2(places[i][j], p + b * Block));
                hits[b] = _mm256_or_si256(hits[b], probeHits);
            }
            any = _mm256_or_si256(any, hits[b]);
        }
        if (_mm256_movemask_epi8(any)) {
            candidates = 0;
            for (int b = 0; b < Blocks; ++b)
                candidates |= quint64(unsigned(_mm256_movemask_epi8(hits[b]))) << (b * Block);
            return p;
        }
        p += Window;
    }
    return nextWindowByByte(p, end, candidates);
}

#endif
