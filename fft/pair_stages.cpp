#include "pair_stages.h"

#include "point_pairs.h"

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// In the pair layout point j of a block still starts at double 2j when j is
// even, so quarters keep their offsets of 2q doubles.

// Where a split reads its points: the array itself, in the pair layout, or
// the interleaved input of the first stage, windowed or not.
struct FromPairs {
    const double* a;
    VORLEN_FFT_INLINE Pw at(int32_t j) const { return loadPairWide(a + 2 * j); }
};

struct FromInterleaved {
    const double* a;
    VORLEN_FFT_INLINE Pw at(int32_t j) const { return loadInterleavedWide(a, j); }
};

struct FromWindowed {
    const double* a;
    const double* win;
    VORLEN_FFT_INLINE Pw at(int32_t j) const { return loadWindowedWide(a, win, j); }
};

template <class Source>
VORLEN_FFT_INLINE void splitPlainAt(const Source& src, double* a, int32_t j, int32_t q, TwPw w1,
                                    TwPw w3) {
    Pw a0 = src.at(j);
    Pw a1 = src.at(j + q);
    Pw a2 = src.at(j + 2 * q);
    Pw a3 = src.at(j + 3 * q);
    splitPlainPairs(a0, a1, a2, a3, w1, w3);
    storePairWide(a + 2 * j, a0);
    storePairWide(a + 2 * (j + q), a1);
    storePairWide(a + 2 * (j + 2 * q), a2);
    storePairWide(a + 2 * (j + 3 * q), a3);
}

VORLEN_FFT_INLINE void splitRotatedAt(double* a, int32_t j, int32_t q, TwPw w1, TwPw v1, TwPw w3,
                                      TwPw v3) {
    Pw a0 = loadPairWide(a + 2 * j);
    Pw a1 = loadPairWide(a + 2 * (j + q));
    Pw a2 = loadPairWide(a + 2 * (j + 2 * q));
    Pw a3 = loadPairWide(a + 2 * (j + 3 * q));
    splitRotatedPairs(a0, a1, a2, a3, w1, v1, w3, v3);
    storePairWide(a + 2 * j, a0);
    storePairWide(a + 2 * (j + q), a1);
    storePairWide(a + 2 * (j + 2 * q), a2);
    storePairWide(a + 2 * (j + 3 * q), a3);
}

// The first stage takes the even powers W^(2k) from group k of its segment
// and forms each odd power W^(2k+1) as their mid-point. One pass handles the
// points 2k, 2k+1 and their mirrors q-2k-2, q-2k-1, whose twiddles follow
// from W^(2k), W^(2k+1) and W^(2k+2). The lanes of `cosines` and `sines`
// hold the cosines and sines of W^(2k) and W^(2k+2); those of `cosines3`
// and `negSines3` the cosines and negated sines of W^(6k) and W^(6k+6).
#if VORLEN_FFT_WIDE
// Twiddles for `Pw` from registers that hold one twiddle per lane as real
// parts `re` and imaginary parts `im`: the low halves give `first`, the high
// halves give `second`, whose imaginary parts `im` holds negated.
VORLEN_FFT_INLINE void spreadTwiddles(__m256d re, __m256d im, TwPw& first, TwPw& second) {
    const __m256d lowSign = _mm256_set_pd(0.0, 0.0, -0.0, -0.0);
    const __m256d highSign = _mm256_set_pd(-0.0, -0.0, 0.0, 0.0);
    first = {_mm256_permute2f128_pd(re, re, 0x00),
             _mm256_xor_pd(_mm256_permute2f128_pd(im, im, 0x00), lowSign)};
    second = {_mm256_permute2f128_pd(re, re, 0x11),
              _mm256_xor_pd(_mm256_permute2f128_pd(im, im, 0x11), highSign)};
}

// The same pass with the twiddles spread for `Pw` straight away: the low
// halves of `cosines` and `sines` hold the cosines and sines of W^(2k) and
// W^(2k+2), their high halves the cosines and negated sines of W^(6k) and
// W^(6k+6); `midScales` holds the mid-point scale of W in its low half and
// that of W^3 in its high half.
template <class Source>
VORLEN_FFT_INLINE void firstStagePass(const Source& src, double* a, int32_t k, int32_t q,
                                      __m256d cosines, __m256d sines, __m256d midScales) {
    const __m256d midCos =
        _mm256_mul_pd(_mm256_add_pd(cosines, _mm256_permute_pd(cosines, 0b0101)), midScales);
    const __m256d midSin =
        _mm256_mul_pd(_mm256_add_pd(sines, _mm256_permute_pd(sines, 0b0101)), midScales);
    // Halves: W^j and W^(3j) (negated sine) for j = 2k, 2k+1; then the
    // mirrors' i conj(W^j) and -i conj(W^(3j)) for j = 2k+2, 2k+1.
    TwPw w1;
    TwPw w3;
    TwPw m1;
    TwPw m3;
    spreadTwiddles(_mm256_unpacklo_pd(cosines, midCos), _mm256_unpacklo_pd(sines, midSin), w1, w3);
    spreadTwiddles(_mm256_unpackhi_pd(sines, midSin), _mm256_unpackhi_pd(cosines, midCos), m1, m3);
    splitPlainAt(src, a, 2 * k, q, w1, w3);
    splitPlainAt(src, a, q - 2 * k - 2, q, m1, m3);
}
#endif

template <class Source>
VORLEN_FFT_INLINE void firstStagePass(const Source& src, double* a, int32_t k, int32_t q,
                                      V2 cosines, V2 sines, V2 cosines3, V2 negSines3, V2 midScale1,
                                      V2 midScale3) {
#if VORLEN_FFT_WIDE
    firstStagePass(src, a, k, q, halves(cosines.v, cosines3.v), halves(sines.v, negSines3.v),
                   halves(midScale1.v, midScale3.v));
#else
    const V2 midCos = (cosines + swapped(cosines)) * midScale1;
    const V2 midSin = (sines + swapped(sines)) * midScale1;
    const V2 midCos3 = (cosines3 + swapped(cosines3)) * midScale3;
    const V2 midNegSin3 = (negSines3 + swapped(negSines3)) * midScale3;
    const TwP w1{lows(cosines, midCos), lows(sines, midSin)};
    const TwP w3{lows(cosines3, midCos3), -lows(negSines3, midNegSin3)};
    // i conj(W^j) and -i conj(W^(3j)) serve the mirrors.
    const TwP m1{highLow(sines, midSin), highLow(cosines, midCos)};
    const TwP m3{highLow(negSines3, midNegSin3), -highLow(cosines3, midCos3)};
    splitPlainAt(src, a, 2 * k, q, widen(w1), widen(w3));
    splitPlainAt(src, a, q - 2 * k - 2, q, widen(m1), widen(m3));
#endif
}

template <class Source>
void firstStage(int32_t n, const Source& src, double* a, const double* w, int32_t nw) noexcept {
    const int32_t points = n / 2;
    const int32_t q = points / 4;
    const double* seg = w + nw - points / 2;
    const double c = seg[1];
    const V2 midScale1 = lanes(seg[2], seg[2]);
    const V2 midScale3 = lanes(seg[3], seg[3]);
    const int32_t last = q / 4 - 1;
    {
        // W^0 = 1 is not a table group.
        const double* g = seg + 4;
        firstStagePass(src, a, 0, q, lanes(1.0, g[0]), lanes(0.0, g[1]), lanes(1.0, g[2]),
                       lanes(0.0, g[3]), midScale1, midScale3);
    }
#if VORLEN_FFT_WIDE
    const __m256d midScales = halves(midScale1.v, midScale3.v);
    for (int32_t k = 1; k < last; ++k) {
        const double* g = seg + 4 * k;
        const __m256d even = _mm256_loadu_pd(g);
        const __m256d next = _mm256_loadu_pd(g + 4);
        firstStagePass(src, a, k, q, _mm256_unpacklo_pd(even, next), _mm256_unpackhi_pd(even, next),
                       midScales);
    }
#else
    for (int32_t k = 1; k < last; ++k) {
        const double* g = seg + 4 * k;
        const V2 even = load2(g);
        const V2 next = load2(g + 4);
        const V2 even3 = load2(g + 2);
        const V2 next3 = load2(g + 6);
        firstStagePass(src, a, k, q, lows(even, next), highs(even, next), lows(even3, next3),
                       highs(even3, next3), midScale1, midScale3);
    }
#endif
    {
        // W^(q/2) = e^(i pi/4) and W^(3q/2) = e^(3i pi/4) are not table groups.
        const double* g = seg + 4 * last;
        firstStagePass(src, a, last, q, lanes(g[0], c), lanes(g[1], c), lanes(g[2], -c),
                       lanes(g[3], -c), midScale1, midScale3);
    }
}

// Calls apply(j, q, w1, w3) for every pair j of a plain split of m points,
// with the twiddles W^j and W^(3j) of both lanes.
template <int32_t FixedM, class Apply>
VORLEN_FFT_INLINE void plainTwiddles(int32_t m, const double* w, int32_t nw, const Apply& apply) {
    const int32_t q = (FixedM != 0 ? FixedM : m) / 4;
    const double* seg = w + nw - 4 * q;
    const double c = seg[1];
    {
        const double* g = seg + 4;
        apply(0, q, widen(TwP{lanes(1.0, g[0]), lanes(0.0, g[1])}),
              widen(TwP{lanes(1.0, g[2]), lanes(0.0, -g[3])}));
    }
    // Group j holds W^j and conj(W^(3j)) for 0 < j < q/2.
#if VORLEN_FFT_WIDE
    for (int32_t j = 2; j < q / 2; j += 2) {
        const __m256d g0 = _mm256_loadu_pd(seg + 4 * j);
        const __m256d g1 = _mm256_loadu_pd(seg + 4 * j + 4);
        TwPw w1;
        TwPw w3;
        spreadTwiddles(_mm256_unpacklo_pd(g0, g1), _mm256_unpackhi_pd(g0, g1), w1, w3);
        apply(j, q, w1, w3);
    }
#else
    for (int32_t j = 2; j < q / 2; j += 2) {
        const double* g = seg + 4 * j;
        const V2 g0 = load2(g);
        const V2 g1 = load2(g + 4);
        const V2 g03 = load2(g + 2);
        const V2 g13 = load2(g + 6);
        apply(j, q, widen(TwP{lows(g0, g1), highs(g0, g1)}),
              widen(TwP{lows(g03, g13), -highs(g03, g13)}));
    }
#endif
    {
        // e^(i pi/4) and e^(3i pi/4), then the mirror of group q/2 - 1.
        const double* g = seg + 2 * q - 4;
        apply(q / 2, q, widen(TwP{lanes(c, g[1]), lanes(c, g[0])}),
              widen(TwP{lanes(-c, g[3]), lanes(c, -g[2])}));
    }
    // W^j = i conj(W^(q-j)) and W^(3j) = -i conj(W^(3(q-j))).
#if VORLEN_FFT_WIDE
    for (int32_t j = q / 2 + 2; j < q; j += 2) {
        const __m256d g0 = _mm256_loadu_pd(seg + 4 * (q - j));
        const __m256d g1 = _mm256_loadu_pd(seg + 4 * (q - j) - 4);
        TwPw w1;
        TwPw w3;
        spreadTwiddles(_mm256_unpackhi_pd(g0, g1), _mm256_unpacklo_pd(g0, g1), w1, w3);
        apply(j, q, w1, w3);
    }
#else
    for (int32_t j = q / 2 + 2; j < q; j += 2) {
        const double* g = seg + 4 * (q - j);
        const V2 g0 = load2(g);
        const V2 g1 = load2(g - 4);
        const V2 g03 = load2(g + 2);
        const V2 g13 = load2(g - 2);
        apply(j, q, widen(TwP{highs(g0, g1), lows(g0, g1)}),
              widen(TwP{highs(g03, g13), -lows(g03, g13)}));
    }
#endif
}

// Calls apply(j, q, w1, v1, w3, v3) for every pair j of a rotated split of
// m points, with the factors of both lanes.
template <int32_t FixedM, class Apply>
VORLEN_FFT_INLINE void rotatedTwiddles(int32_t m, const double* w, int32_t nw, const Apply& apply) {
    const int32_t q = (FixedM != 0 ? FixedM : m) / 4;
    const double* seg = w + nw - 8 * q;
    const double c = seg[1];
    {
        // Point 0 needs w^0 = 1 and e^(i pi/4), e^(3i pi/4) (not table groups).
        const double* g = seg + 4;
        const double* h = seg + 4 * (q - 1);
        apply(0, q, widen(TwP{lanes(1.0, g[0]), lanes(0.0, g[1])}),
              widen(TwP{lanes(c, h[1]), lanes(c, h[0])}),
              widen(TwP{lanes(1.0, g[2]), lanes(0.0, -g[3])}),
              widen(TwP{lanes(-c, h[3]), lanes(c, -h[2])}));
    }
    // Group j gives w^j and w^(3j); group q - j gives e^(i pi/4) w^j =
    // i conj(w^(q-j)) and e^(3i pi/4) w^(3j) = -i conj(w^(3(q-j))).
#if VORLEN_FFT_WIDE
    for (int32_t j = 2; j < q; j += 2) {
        const __m256d g0 = _mm256_loadu_pd(seg + 4 * j);
        const __m256d g1 = _mm256_loadu_pd(seg + 4 * j + 4);
        const __m256d h0 = _mm256_loadu_pd(seg + 4 * (q - j));
        const __m256d h1 = _mm256_loadu_pd(seg + 4 * (q - j) - 4);
        TwPw w1;
        TwPw v1;
        TwPw w3;
        TwPw v3;
        spreadTwiddles(_mm256_unpacklo_pd(g0, g1), _mm256_unpackhi_pd(g0, g1), w1, w3);
        spreadTwiddles(_mm256_unpackhi_pd(h0, h1), _mm256_unpacklo_pd(h0, h1), v1, v3);
        apply(j, q, w1, v1, w3, v3);
    }
#else
    for (int32_t j = 2; j < q; j += 2) {
        const double* g = seg + 4 * j;
        const double* h = seg + 4 * (q - j);
        const V2 g0 = load2(g);
        const V2 g1 = load2(g + 4);
        const V2 g03 = load2(g + 2);
        const V2 g13 = load2(g + 6);
        const V2 h0 = load2(h);
        const V2 h1 = load2(h - 4);
        const V2 h03 = load2(h + 2);
        const V2 h13 = load2(h - 2);
        apply(j, q, widen(TwP{lows(g0, g1), highs(g0, g1)}),
              widen(TwP{highs(h0, h1), lows(h0, h1)}), widen(TwP{lows(g03, g13), -highs(g03, g13)}),
              widen(TwP{highs(h03, h13), -lows(h03, h13)}));
    }
#endif
}

struct ApplyPlain {
    double* a;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t q, TwPw w1, TwPw w3) const {
        splitPlainAt(FromPairs{a}, a, j, q, w1, w3);
    }
};

struct ApplyRotated {
    double* a;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t q, TwPw w1, TwPw v1, TwPw w3,
                                      TwPw v3) const {
        splitRotatedAt(a, j, q, w1, v1, w3, v3);
    }
};

struct KeepPlain {
    QuarterTwiddles& t;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t /*q*/, TwPw w1, TwPw w3) const {
        t.plain[j / 2][0] = w1;
        t.plain[j / 2][1] = w3;
    }
};

struct KeepRotated {
    QuarterTwiddles& t;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t /*q*/, TwPw w1, TwPw v1, TwPw w3,
                                      TwPw v3) const {
        t.rotated[j / 2][0] = w1;
        t.rotated[j / 2][1] = v1;
        t.rotated[j / 2][2] = w3;
        t.rotated[j / 2][3] = v3;
    }
};

template <int32_t FixedM>
VORLEN_FFT_INLINE void middleStage1Of(int32_t m, double* a, const double* w, int32_t nw) {
    plainTwiddles<FixedM>(m, w, nw, ApplyPlain{a});
}

template <int32_t FixedM>
VORLEN_FFT_INLINE void middleStage2Of(int32_t m, double* a, const double* w, int32_t nw) {
    rotatedTwiddles<FixedM>(m, w, nw, ApplyRotated{a});
}

// The splits of 256-point blocks; with their size known the compiler
// unrolls them.
constexpr int32_t kLeafBlockPoints = 256;

} // namespace

void firstStageForwardPairs(int32_t n, const double* src, const double* window, double* a,
                            const double* w, int32_t nw) noexcept {
    if (window != nullptr) {
        firstStage(n, FromWindowed{src, window}, a, w, nw);
    } else {
        firstStage(n, FromInterleaved{src}, a, w, nw);
    }
}

void firstStageForwardPairsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    firstStage(n, FromPairs{a}, a, w, nw);
}

void middleStage1Pairs(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    if (m == kLeafBlockPoints) {
        middleStage1Of<kLeafBlockPoints>(m, a, w, nw);
    } else {
        middleStage1Of<0>(m, a, w, nw);
    }
}

void middleStage2Pairs(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    if (m == kLeafBlockPoints) {
        middleStage2Of<kLeafBlockPoints>(m, a, w, nw);
    } else {
        middleStage2Of<0>(m, a, w, nw);
    }
}

void makeQuarterTwiddles(const double* w, int32_t nw, QuarterTwiddles& t) noexcept {
    plainTwiddles<QuarterTwiddles::kPoints>(QuarterTwiddles::kPoints, w, nw, KeepPlain{t});
    rotatedTwiddles<QuarterTwiddles::kPoints>(QuarterTwiddles::kPoints, w, nw, KeepRotated{t});
}

void middleStage1Quarter(double* a, const QuarterTwiddles& t) noexcept {
    constexpr int32_t q = QuarterTwiddles::kPoints / 4;
    for (int32_t p = 0; p < q / 2; ++p) {
        splitPlainAt(FromPairs{a}, a, 2 * p, q, t.plain[p][0], t.plain[p][1]);
    }
}

void middleStage2Quarter(double* a, const QuarterTwiddles& t) noexcept {
    constexpr int32_t q = QuarterTwiddles::kPoints / 4;
    for (int32_t p = 0; p < q / 2; ++p) {
        splitRotatedAt(a, 2 * p, q, t.rotated[p][0], t.rotated[p][1], t.rotated[p][2],
                       t.rotated[p][3]);
    }
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
