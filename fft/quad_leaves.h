// The 16-point leaves on blocks in the quad layout of quad_points.h: the AVX
// build's counterparts of pair_leaves.h, rounded alike. The first split runs
// on the four quads; a transposition then puts point l of every quarter in
// one register, so that the 4-point transforms of all four quarters run at
// once, the rotated quarters' lanes taking their own steps by blending.
#pragma once

#include "quad_points.h"

#include <cstdint>

#if VORLEN_FFT_WIDE

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// The twiddles of the 16-point leaves' first split, one per lane, as the
/// pair leaves take them (point 0 takes 1 where the interleaved leaves take
/// no factor). Plain doubles, read with unaligned loads.
struct QuadLeafTwiddles {
    double plain[2][8];   ///< W^j, W^(3j): real parts of lanes 0..3, then imaginary parts
    double rotated[4][8]; ///< w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j)
    double eighth;        ///< cos(pi/4)
};

/// The leaf twiddles from the segments of length 4 and 16 of table `w`
/// (nw >= 32).
inline QuadLeafTwiddles makeQuadLeafTwiddles(const double* w, int32_t nw) noexcept {
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
    return {
        {{1.0, c8, c, s8, 0.0, s8, c, c8}, {1.0, s8, -c, -c8, 0.0, c8, c, -s8}},
        {{1.0, c1, c2, c3, 0.0, s1, s2, s3},
         {c, s3, s2, s1, c, c3, c2, c1},
         {1.0, c3, s2, -s1, 0.0, s3, c2, c1},
         {-c, -c1, -c2, -s3, c, s1, -s2, -c3}},
        c,
    };
}

/// The first split of a leaf at `a`, in `Layout`, into quads y0..y3.
template <bool Rotated, class Layout>
VORLEN_FFT_INLINE void leafSplitQuads(const double* a, const QuadLeafTwiddles& t, P4& y0, P4& y1,
                                      P4& y2, P4& y3) {
    y0 = loadQuadAt<Layout>(a, 0);
    y1 = loadQuadAt<Layout>(a, 4);
    y2 = loadQuadAt<Layout>(a, 8);
    y3 = loadQuadAt<Layout>(a, 12);
    if constexpr (Rotated) {
        splitRotatedPairs(y0, y1, y2, y3, loadTwiddles(t.rotated[0]), loadTwiddles(t.rotated[1]),
                          loadTwiddles(t.rotated[2]), loadTwiddles(t.rotated[3]));
    } else {
        splitPlainPairs(y0, y1, y2, y3, loadTwiddles(t.plain[0]), loadTwiddles(t.plain[1]));
    }
}

/// The sixteen outputs of a leaf at `a` (quad layout): Y[k] = sum y[j]
/// e^(+2 pi i j k / 16) when plain, sum y[j] e^(+2 pi i j (2k+1) / 32) when
/// `Rotated`. Output slot 4L + l (holding Y[rev(4L + l)]) is lane L of the
/// quad passed to `sink.put4<l>`.
template <bool Rotated, class Sink>
VORLEN_FFT_INLINE void leaf16Quads(const double* a, const QuadLeafTwiddles& t, const Sink& sink) {
    P4 y0;
    P4 y1;
    P4 y2;
    P4 y3;
    leafSplitQuads<Rotated, QuadLayout>(a, t, y0, y1, y2, y3);
    transpose4(y0.re, y1.re, y2.re, y3.re);
    transpose4(y0.im, y1.im, y2.im, y3.im);
    // Lane L now holds quarter L, of which quarter 1, and for a rotated leaf
    // quarter 3, owes a rotated transform: y0 + i y2 where the others add y2,
    // and e^(i pi/4), e^(3i pi/4) times x2, x3 where the others take x2 and
    // i x3.
    constexpr int kRotatedLanes = Rotated ? 0b1010 : 0b0010;
    const P4 s2 = blended<kRotatedLanes>(y2, timesI(y2));
    const P4 s3 = blended<kRotatedLanes>(y3, timesI(y3));
    const P4 x0 = y0 + s2;
    const P4 x1 = y0 - s2;
    const P4 x2 = y1 + s3;
    const P4 x3 = y1 - s3;
    const __m256d c = _mm256_set1_pd(t.eighth);
    const __m256d minusC = negated(c);
    const P4 t2 = blended<kRotatedLanes>(x2, Tw4{c, c} * x2);
    const P4 t3 = blended<kRotatedLanes>(timesI(x3), Tw4{minusC, c} * x3);
    sink.template put4<0>(x0 + t2);
    sink.template put4<1>(x0 - t2);
    sink.template put4<2>(x1 + t3);
    sink.template put4<3>(x1 - t3);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
