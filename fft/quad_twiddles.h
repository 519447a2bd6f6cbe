// The twiddles of four neighbouring butterflies of the splits, one per lane,
// made from the twiddle table as the pair stages make them: shared by the
// quad stages and the eight-lane stages, which join two quads' worth.
#pragma once

#include "quad_points.h"

#include <cstdint>

#if VORLEN_FFT_WIDE

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// The twiddles of one pass of the first stage, over the points 4k..4k+3
/// (`w1`, `w3`) and their mirrors q-4k-4..q-4k-1 (`m1`, `m3`). `g0`, `g1`
/// and `g2` are the table groups of W^(4k), W^(4k+2) and W^(4k+4); the odd
/// powers are their mid-points, (cos + cos) times the scale of W or W^3 in
/// `scales` (two lanes each), as the pair stage forms them. The mirrors take
/// i conj(W^j) and -i conj(W^(3j)) for j = 4k+4 down to 4k+1.
VORLEN_FFT_INLINE void firstStageTwiddles(__m256d g0, __m256d g1, __m256d g2, __m256d scales,
                                          Tw4& w1, Tw4& w3, Tw4& m1, Tw4& m3) {
    // cos and cos 3 of W^(4k), W^(4k+2), then of W^(4k+2), W^(4k+4); the
    // same for sin and -sin 3.
    const __m256d cosLow = _mm256_unpacklo_pd(g0, g1);
    const __m256d sinLow = _mm256_unpackhi_pd(g0, g1);
    const __m256d cosHigh = _mm256_unpacklo_pd(g1, g2);
    const __m256d sinHigh = _mm256_unpackhi_pd(g1, g2);
    const __m256d midCos = _mm256_mul_pd(_mm256_add_pd(cosLow, cosHigh), scales);
    const __m256d midSin = _mm256_mul_pd(_mm256_add_pd(sinLow, sinHigh), scales);
    {
        const __m256d lo = _mm256_unpacklo_pd(cosLow, midCos);
        const __m256d hi = _mm256_unpackhi_pd(cosLow, midCos);
        w1.re = _mm256_permute2f128_pd(lo, hi, 0x20);
        w3.re = _mm256_permute2f128_pd(lo, hi, 0x31);
    }
    {
        const __m256d lo = _mm256_unpacklo_pd(sinLow, midSin);
        const __m256d hi = _mm256_unpackhi_pd(sinLow, midSin);
        w1.im = _mm256_permute2f128_pd(lo, hi, 0x20);
        w3.im = negated(_mm256_permute2f128_pd(lo, hi, 0x31));
    }
    {
        const __m256d lo = _mm256_unpacklo_pd(sinHigh, midSin);
        const __m256d hi = _mm256_unpackhi_pd(sinHigh, midSin);
        m1.re = _mm256_permute2f128_pd(hi, lo, 0x20);
        m3.re = _mm256_permute2f128_pd(hi, lo, 0x31);
    }
    {
        const __m256d lo = _mm256_unpacklo_pd(cosHigh, midCos);
        const __m256d hi = _mm256_unpackhi_pd(cosHigh, midCos);
        m1.im = _mm256_permute2f128_pd(hi, lo, 0x20);
        m3.im = negated(_mm256_permute2f128_pd(hi, lo, 0x31));
    }
}

/// The groups of W^j, j+1, j+2, j+3 (`Step` 1) or of W^j, j-1, j-2, j-3
/// (`Step` -1) from the segment `seg`, the first one given.
template <int32_t Step>
VORLEN_FFT_INLINE void groupsFrom(const double* seg, int32_t j, __m256d first, __m256d& g0,
                                  __m256d& g1, __m256d& g2, __m256d& g3) {
    g0 = first;
    g1 = _mm256_loadu_pd(seg + 4 * (j + Step));
    g2 = _mm256_loadu_pd(seg + 4 * (j + 2 * Step));
    g3 = _mm256_loadu_pd(seg + 4 * (j + 3 * Step));
}

// In a split of 4q points, group j of the segment `seg` holds W^j and
// conj(W^(3j)) for 0 < j < q/2; W^0 and W^(q/2) = e^(i pi/4) (`c` = cos
// pi/4) are made here, with the zero signs that the pair stages give them.

/// W^j and W^(3j) of the lanes of quad j of a plain split, j < q/2.
VORLEN_FFT_INLINE void plainLowTwiddles(const double* seg, int32_t j, Tw4& w1, Tw4& w3) {
    __m256d g0;
    __m256d g1;
    __m256d g2;
    __m256d g3;
    const __m256d first = j == 0 ? group(1.0, 0.0, 1.0, -0.0) : _mm256_loadu_pd(seg + 4 * j);
    groupsFrom<1>(seg, j, first, g0, g1, g2, g3);
    groupTwiddles(g0, g1, g2, g3, w1, w3);
}

/// The same for q/2 <= j < q, from the groups of q - j.
VORLEN_FFT_INLINE void plainHighTwiddles(const double* seg, int32_t j, int32_t q, double c, Tw4& w1,
                                         Tw4& w3) {
    __m256d g0;
    __m256d g1;
    __m256d g2;
    __m256d g3;
    const __m256d first = j == q / 2 ? group(c, c, -c, -c) : _mm256_loadu_pd(seg + 4 * (q - j));
    groupsFrom<-1>(seg, q - j, first, g0, g1, g2, g3);
    mirroredGroupTwiddles(g0, g1, g2, g3, w1, w3);
}

/// The twiddles of quad j of a rotated split of 4q points, from a segment
/// of 8q: group j gives w^j and w^(3j), group q - j gives e^(i pi/4) w^j =
/// i conj(w^(q-j)) and e^(3i pi/4) w^(3j) = -i conj(w^(3(q-j))).
VORLEN_FFT_INLINE void rotatedQuadTwiddles(const double* seg, int32_t j, int32_t q, double c,
                                           Tw4& w1, Tw4& v1, Tw4& w3, Tw4& v3) {
    __m256d g0;
    __m256d g1;
    __m256d g2;
    __m256d g3;
    const __m256d first = j == 0 ? group(1.0, 0.0, 1.0, -0.0) : _mm256_loadu_pd(seg + 4 * j);
    groupsFrom<1>(seg, j, first, g0, g1, g2, g3);
    groupTwiddles(g0, g1, g2, g3, w1, w3);
    const __m256d mirror = j == 0 ? group(c, c, -c, -c) : _mm256_loadu_pd(seg + 4 * (q - j));
    groupsFrom<-1>(seg, q - j, mirror, g0, g1, g2, g3);
    mirroredGroupTwiddles(g0, g1, g2, g3, v1, v3);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
