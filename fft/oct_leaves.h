// Two 16-point leaves at once on blocks in the oct layout of oct_points.h:
// leaf `a` in lanes 0..3, leaf `b` in lanes 4..7, each as the quad leaves
// (quad_leaves.h) hold one, rounded alike. Leaves of one kind take their
// first split on octs; a plain and a rotated one take theirs as quads, since
// the two splits differ in their operations and not only in their twiddles.
#pragma once

#include "oct_points.h"
#include "quad_leaves.h"

#include <cstdint>

#if VORLEN_FFT_OCTS

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// transpose4 of each half of r0..r3.
VORLEN_FFT_INLINE void transpose4Halves(__m512d& r0, __m512d& r1, __m512d& r2, __m512d& r3) {
    const __m512d t0 = _mm512_unpacklo_pd(r0, r1);
    const __m512d t1 = _mm512_unpackhi_pd(r0, r1);
    const __m512d t2 = _mm512_unpacklo_pd(r2, r3);
    const __m512d t3 = _mm512_unpackhi_pd(r2, r3);
    // The low 128 bits of each half of the first operand, then of the second;
    // then the high ones.
    const __m512i lows = _mm512_set_epi64(13, 12, 5, 4, 9, 8, 1, 0);
    const __m512i highs = _mm512_set_epi64(15, 14, 7, 6, 11, 10, 3, 2);
    r0 = _mm512_permutex2var_pd(t0, lows, t2);
    r1 = _mm512_permutex2var_pd(t1, lows, t3);
    r2 = _mm512_permutex2var_pd(t0, highs, t2);
    r3 = _mm512_permutex2var_pd(t1, highs, t3);
}

/// Quad p of leaf `a` in the low half, of leaf `b` in the high half.
VORLEN_FFT_INLINE P8 loadQuadsOfLeaves(const double* a, const double* b, int32_t p) {
    return joined(loadQuadAt<OctLayout>(a, p), loadQuadAt<OctLayout>(b, p));
}

/// The leaves at `a` (rotated when `RotatedA`) and `b` (when `RotatedB`);
/// output slot 4L + l of leaf a is lane L of the oct passed to
/// `sink.put8<l>`, and of leaf b lane 4 + L.
template <bool RotatedA, bool RotatedB, class Sink>
VORLEN_FFT_INLINE void leaf16OctPair(const double* a, const double* b, const QuadLeafTwiddles& t,
                                     const Sink& sink) {
    P8 y0;
    P8 y1;
    P8 y2;
    P8 y3;
    if constexpr (RotatedA == RotatedB) {
        y0 = loadQuadsOfLeaves(a, b, 0);
        y1 = loadQuadsOfLeaves(a, b, 4);
        y2 = loadQuadsOfLeaves(a, b, 8);
        y3 = loadQuadsOfLeaves(a, b, 12);
        if constexpr (RotatedA) {
            splitRotatedPairs(y0, y1, y2, y3, broadcastTwiddles(t.rotated[0]),
                              broadcastTwiddles(t.rotated[1]), broadcastTwiddles(t.rotated[2]),
                              broadcastTwiddles(t.rotated[3]));
        } else {
            splitPlainPairs(y0, y1, y2, y3, broadcastTwiddles(t.plain[0]),
                            broadcastTwiddles(t.plain[1]));
        }
    } else {
        P4 ya[4];
        P4 yb[4];
        leafSplitQuads<RotatedA, OctLayout>(a, t, ya[0], ya[1], ya[2], ya[3]);
        leafSplitQuads<RotatedB, OctLayout>(b, t, yb[0], yb[1], yb[2], yb[3]);
        y0 = joined(ya[0], yb[0]);
        y1 = joined(ya[1], yb[1]);
        y2 = joined(ya[2], yb[2]);
        y3 = joined(ya[3], yb[3]);
    }
    transpose4Halves(y0.re, y1.re, y2.re, y3.re);
    transpose4Halves(y0.im, y1.im, y2.im, y3.im);
    // As in leaf16Quads, per half.
    constexpr int kRotatedA = RotatedA ? 0b1010 : 0b0010;
    constexpr int kRotatedB = RotatedB ? 0b1010 : 0b0010;
    constexpr int kRotatedLanes = kRotatedA | (kRotatedB << 4);
    const P8 s2 = blended<kRotatedLanes>(y2, timesI(y2));
    const P8 s3 = blended<kRotatedLanes>(y3, timesI(y3));
    const P8 x0 = y0 + s2;
    const P8 x1 = y0 - s2;
    const P8 x2 = y1 + s3;
    const P8 x3 = y1 - s3;
    const __m512d c = _mm512_set1_pd(t.eighth);
    const __m512d minusC = negated(c);
    const P8 t2 = blended<kRotatedLanes>(x2, Tw8{c, c} * x2);
    const P8 t3 = blended<kRotatedLanes>(timesI(x3), Tw8{minusC, c} * x3);
    sink.template put8<0>(x0 + t2);
    sink.template put8<1>(x0 - t2);
    sink.template put8<2>(x1 + t3);
    sink.template put8<3>(x1 - t3);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
