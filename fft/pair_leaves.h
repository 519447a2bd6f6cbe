// The 16-point leaves on blocks in the pair layout of point_pairs.h. The
// first split and half of the 4-point transforms run on pairs of points;
// the last step runs on interleaved points, which the outputs need anyway. Same transforms and
// roundings as leaf16Plain and leaf16Rotated (but for the sign of a zero, as
// in pair_stages.h), outputs in bit-reversed order.
#pragma once

#include "leaf_kernels.h"
#include "point_pairs.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// The twiddles of the 16-point leaves, per lane for the first split.
struct PairLeafTwiddles {
    TwPw plainLow[2];  ///< plain leaf, points 0 and 1: W^j, W^(3j)
    TwPw plainHigh[2]; ///< plain leaf, points 2 and 3
    TwPw rotatedLow[4];
    TwPw rotatedHigh[4];
    Tw eighth1; ///< e^(i pi/4)
    Tw eighth3; ///< e^(3i pi/4)
#if VORLEN_FFT_WIDE
    __m256d eighthsRr{}; ///< `rr` of eighth1 in the low half, of eighth3 in the high half
    __m256d eighthsIi{}; ///< `ii` of the same
#endif
};

/// The leaf twiddles from the segments of length 4 and 16 of table `w`
/// (nw >= 32).
inline PairLeafTwiddles makePairLeafTwiddles(const double* w, int32_t nw) noexcept {
    const double* seg4 = w + nw - 8;
    const double c = seg4[1];
    const double c8 = seg4[2]; // cos(pi/8)
    const double s8 = seg4[3]; // sin(pi/8)
    const double* seg16 = w + nw - 32;
    const double c1 = seg16[4]; // cos(pi/16)
    const double s1 = seg16[5];
    const double c2 = seg16[8]; // cos(2 pi/16)
    const double s2 = seg16[9];
    const double c3 = seg16[12]; // cos(3 pi/16)
    const double s3 = seg16[13];
    // Lane by lane the factors of leaf16PlainPoints and leaf16RotatedPoints;
    // point 0 of both leaves takes 1 where those take no factor.
    PairLeafTwiddles t{
        {widen(TwP{lanes(1.0, c8), lanes(0.0, s8)}), widen(TwP{lanes(1.0, s8), lanes(0.0, c8)})},
        {widen(TwP{lanes(c, s8), lanes(c, c8)}), widen(TwP{lanes(-c, -c8), lanes(c, -s8)})},
        {widen(TwP{lanes(1.0, c1), lanes(0.0, s1)}), widen(TwP{lanes(c, s3), lanes(c, c3)}),
         widen(TwP{lanes(1.0, c3), lanes(0.0, s3)}), widen(TwP{lanes(-c, -c1), lanes(c, s1)})},
        {widen(TwP{lanes(c2, c3), lanes(s2, s3)}), widen(TwP{lanes(s2, s1), lanes(c2, c1)}),
         widen(TwP{lanes(s2, -s1), lanes(c2, c1)}), widen(TwP{lanes(-c2, -s3), lanes(-s2, -c3)})},
        twiddle(c, c),
        twiddle(-c, c),
    };
#if VORLEN_FFT_WIDE
    t.eighthsRr = halves(t.eighth1.rr, t.eighth3.rr);
    t.eighthsIi = halves(t.eighth1.ii, t.eighth3.ii);
#endif
    return t;
}

namespace pairleaf {

#if VORLEN_FFT_WIDE

// The points x0, x1 (in `x01`) and x2, x3 (in `x23`) of a 4-point quarter
// whose first split gave `s` (x0, x2) and `d` (x1, x3), one interleaved
// point per half: the last step then does two points per instruction.
VORLEN_FFT_INLINE void interleaveQuarter(Pw s, Pw d, __m256d& x01, __m256d& x23) {
    const __m256d re = _mm256_permute2f128_pd(s.v, d.v, 0x20);
    const __m256d im = _mm256_permute2f128_pd(s.v, d.v, 0x31);
    x01 = _mm256_unpacklo_pd(re, im);
    x23 = _mm256_unpackhi_pd(re, im);
}

// The plain 4-point transform of the quarter held in (y0, y1) and (y2, y3);
// its outputs are slots First..First+3 of the leaf.
template <int32_t First, class Sink>
VORLEN_FFT_INLINE void finishPlain(Pw low, Pw high, const PairLeafTwiddles& /*t*/,
                                   const Sink& sink) {
    __m256d x01;
    __m256d x23;
    interleaveQuarter(low + high, low - high, x01, x23);
    // x2 and i x3.
    const __m256d t =
        _mm256_xor_pd(_mm256_permute_pd(x23, 0b0110), _mm256_set_pd(0.0, -0.0, 0.0, 0.0));
    sink.template put2<First, First + 2>(_mm256_add_pd(x01, t));
    sink.template put2<First + 1, First + 3>(_mm256_sub_pd(x01, t));
}

// The rotated 4-point transform of the quarter held in (y0, y1), (y2, y3).
template <int32_t First, class Sink>
VORLEN_FFT_INLINE void finishRotated(Pw low, Pw high, const PairLeafTwiddles& t, const Sink& sink) {
    __m256d x01;
    __m256d x23;
    interleaveQuarter(plusI(low, high), minusI(low, high), x01, x23);
    // eighth1 x2 and eighth3 x3, each as `Tw` times `Cx` rounds.
    const __m256d y = _mm256_add_pd(_mm256_mul_pd(x23, t.eighthsRr),
                                    _mm256_mul_pd(_mm256_permute_pd(x23, 0b0101), t.eighthsIi));
    sink.template put2<First, First + 2>(_mm256_add_pd(x01, y));
    sink.template put2<First + 1, First + 3>(_mm256_sub_pd(x01, y));
}

#else

// The plain 4-point transform of the quarter held in (y0, y1) and (y2, y3);
// its outputs are slots First..First+3 of the leaf.
template <int32_t First, class Sink>
VORLEN_FFT_INLINE void finishPlain(Pw low, Pw high, const PairLeafTwiddles& /*t*/,
                                   const Sink& sink) {
    const Px s = narrow(low + high);
    const Px d = narrow(low - high);
    Cx x0;
    Cx x2;
    Cx x1;
    Cx x3;
    splitLanes(s.re, s.im, x0, x2);
    splitLanes(d.re, d.im, x1, x3);
    sink.template put<First>(x0 + x2);
    sink.template put<First + 1>(x0 - x2);
    sink.template put<First + 2>(x1 + timesI(x3));
    sink.template put<First + 3>(x1 - timesI(x3));
}

// The rotated 4-point transform of the quarter held in (y0, y1), (y2, y3).
template <int32_t First, class Sink>
VORLEN_FFT_INLINE void finishRotated(Pw low, Pw high, const PairLeafTwiddles& t, const Sink& sink) {
    const Px s = narrow(plusI(low, high));
    const Px d = narrow(minusI(low, high));
    Cx x0;
    Cx x2;
    Cx x1;
    Cx x3;
    splitLanes(s.re, s.im, x0, x2);
    splitLanes(d.re, d.im, x1, x3);
    const Cx y2 = t.eighth1 * x2;
    const Cx z2 = t.eighth3 * x3;
    sink.template put<First>(x0 + y2);
    sink.template put<First + 1>(x0 - y2);
    sink.template put<First + 2>(x1 + z2);
    sink.template put<First + 3>(x1 - z2);
}

#endif

} // namespace pairleaf

/// Y[k] = sum y[j] e^(+2 pi i j k / 16) of the 16 points at `a` (pair
/// layout); output slot i (holding Y[rev(i)]) goes to `sink.put<i>`.
template <class Sink>
VORLEN_FFT_INLINE void leaf16PlainPairs(const double* a, const PairLeafTwiddles& t,
                                        const Sink& sink) {
    Pw p0 = loadPairWide(a);
    Pw p2 = loadPairWide(a + 8);
    Pw p4 = loadPairWide(a + 16);
    Pw p6 = loadPairWide(a + 24);
    splitPlainPairs(p0, p2, p4, p6, t.plainLow[0], t.plainLow[1]);
    Pw p1 = loadPairWide(a + 4);
    Pw p3 = loadPairWide(a + 12);
    Pw p5 = loadPairWide(a + 20);
    Pw p7 = loadPairWide(a + 28);
    splitPlainPairs(p1, p3, p5, p7, t.plainHigh[0], t.plainHigh[1]);
    pairleaf::finishPlain<0>(p0, p1, t, sink);
    pairleaf::finishRotated<4>(p2, p3, t, sink);
    pairleaf::finishPlain<8>(p4, p5, t, sink);
    pairleaf::finishPlain<12>(p6, p7, t, sink);
}

/// Y[k] = sum y[j] e^(+2 pi i j (2k+1) / 32) of the 16 points at `a` (pair
/// layout); output slot i (holding Y[rev(i)]) goes to `sink.put<i>`.
template <class Sink>
VORLEN_FFT_INLINE void leaf16RotatedPairs(const double* a, const PairLeafTwiddles& t,
                                          const Sink& sink) {
    Pw p0 = loadPairWide(a);
    Pw p2 = loadPairWide(a + 8);
    Pw p4 = loadPairWide(a + 16);
    Pw p6 = loadPairWide(a + 24);
    splitRotatedPairs(p0, p2, p4, p6, t.rotatedLow[0], t.rotatedLow[1], t.rotatedLow[2],
                      t.rotatedLow[3]);
    Pw p1 = loadPairWide(a + 4);
    Pw p3 = loadPairWide(a + 12);
    Pw p5 = loadPairWide(a + 20);
    Pw p7 = loadPairWide(a + 28);
    splitRotatedPairs(p1, p3, p5, p7, t.rotatedHigh[0], t.rotatedHigh[1], t.rotatedHigh[2],
                      t.rotatedHigh[3]);
    pairleaf::finishPlain<0>(p0, p1, t, sink);
    pairleaf::finishRotated<4>(p2, p3, t, sink);
    pairleaf::finishPlain<8>(p4, p5, t, sink);
    pairleaf::finishRotated<12>(p6, p7, t, sink);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
