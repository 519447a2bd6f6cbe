// Four neighbouring points of a transform held as a register of real parts
// and a register of imaginary parts, for the AVX build's arrays in the quad
// layout: doubles 8q..8q+7 hold re(4q)..re(4q+3), then im(4q)..im(4q+3).
// Every lane does what a lane of the pair layout (point_pairs.h) does, with
// the same operands in the same order, so the results are the same bits;
// products need no shuffles, and the shuffles left move whole registers.
#pragma once

#include "point_pairs.h"

#include <cstdint>

#if VORLEN_FFT_WIDE

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Four neighbouring points.
struct P4 {
    __m256d re;
    __m256d im;
};

/// One twiddle per lane.
struct Tw4 {
    __m256d re;
    __m256d im;
};

/// Lane-wise negation, exact.
VORLEN_FFT_INLINE __m256d negated(__m256d a) {
    return _mm256_xor_pd(a, _mm256_set1_pd(-0.0));
}
/// Sum of two quads.
VORLEN_FFT_INLINE P4 operator+(P4 a, P4 b) {
    return {_mm256_add_pd(a.re, b.re), _mm256_add_pd(a.im, b.im)};
}
/// Difference of two quads.
VORLEN_FFT_INLINE P4 operator-(P4 a, P4 b) {
    return {_mm256_sub_pd(a.re, b.re), _mm256_sub_pd(a.im, b.im)};
}
/// a + i b.
VORLEN_FFT_INLINE P4 plusI(P4 a, P4 b) {
    return {_mm256_sub_pd(a.re, b.im), _mm256_add_pd(a.im, b.re)};
}
/// a - i b.
VORLEN_FFT_INLINE P4 minusI(P4 a, P4 b) {
    return {_mm256_add_pd(a.re, b.im), _mm256_sub_pd(a.im, b.re)};
}
/// i b, exactly.
VORLEN_FFT_INLINE P4 timesI(P4 b) {
    return {negated(b.im), b.re};
}
/// Product of each lane's twiddle and point.
VORLEN_FFT_INLINE P4 operator*(Tw4 w, P4 x) {
    return {_mm256_sub_pd(_mm256_mul_pd(x.re, w.re), _mm256_mul_pd(x.im, w.im)),
            _mm256_add_pd(_mm256_mul_pd(x.im, w.re), _mm256_mul_pd(x.re, w.im))};
}
/// Lanes of `b` where `Mask` has a bit, of `a` elsewhere.
template <int Mask>
VORLEN_FFT_INLINE P4 blended(P4 a, P4 b) {
    return {_mm256_blend_pd(a.re, b.re, Mask), _mm256_blend_pd(a.im, b.im, Mask)};
}

/// Points 4q..4q+3 of an array in the quad layout, from its double 8q.
VORLEN_FFT_INLINE P4 loadQuad(const double* a) {
    return {_mm256_loadu_pd(a), _mm256_loadu_pd(a + 4)};
}
/// Writes four points to an array in the quad layout at its double 8q.
VORLEN_FFT_INLINE void storeQuad(double* a, P4 v) {
    _mm256_storeu_pd(a, v.re);
    _mm256_storeu_pd(a + 4, v.im);
}

/// Where four neighbouring points lie in an array whose layout keeps
/// `kLanes` points to a register pair: point p, a multiple of 4, has its
/// real parts at double `offset(p)` and its imaginary parts `kLanes` later.
template <int32_t Lanes>
struct LanesLayout {
    static constexpr int32_t kLanes = Lanes;
    static constexpr int32_t offset(int32_t p) { return 2 * p - p % Lanes; }
};
/// The quad layout above.
using QuadLayout = LanesLayout<4>;
/// Eight points to a register pair (oct_points.h).
using OctLayout = LanesLayout<8>;

/// Points p..p+3 of an array in `Layout`, p a multiple of 4.
template <class Layout>
VORLEN_FFT_INLINE P4 loadQuadAt(const double* a, int32_t p) {
    const double* at = a + Layout::offset(p);
    return {_mm256_loadu_pd(at), _mm256_loadu_pd(at + Layout::kLanes)};
}
/// Writes points p..p+3 to an array in `Layout`, p a multiple of 4.
template <class Layout>
VORLEN_FFT_INLINE void storeQuadAt(double* a, int32_t p, P4 v) {
    double* at = a + Layout::offset(p);
    _mm256_storeu_pd(at, v.re);
    _mm256_storeu_pd(at + Layout::kLanes, v.im);
}

/// The points j, j+2 (`even`) and j+1, j+3 (`odd`) of an interleaved array,
/// one point per half: unpacked, they give the four in order.
VORLEN_FFT_INLINE void loadSpread(const double* a, int32_t j, __m256d& even, __m256d& odd) {
    even = halves(_mm_loadu_pd(a + 2 * j), _mm_loadu_pd(a + 2 * j + 4));
    odd = halves(_mm_loadu_pd(a + 2 * j + 2), _mm_loadu_pd(a + 2 * j + 6));
}
/// Points j..j+3 of an interleaved array.
VORLEN_FFT_INLINE P4 loadInterleavedQuad(const double* a, int32_t j) {
    __m256d even;
    __m256d odd;
    loadSpread(a, j, even, odd);
    return {_mm256_unpacklo_pd(even, odd), _mm256_unpackhi_pd(even, odd)};
}
/// Points j..j+3 of an interleaved array, each double times its counterpart
/// in `win`.
VORLEN_FFT_INLINE P4 loadWindowedQuad(const double* a, const double* win, int32_t j) {
    // Multiplied where they lie, the products need one exchange of halves
    // each instead of one per input and one per window.
    const __m256d low = _mm256_mul_pd(_mm256_loadu_pd(a + 2 * j), _mm256_loadu_pd(win + 2 * j));
    const __m256d high =
        _mm256_mul_pd(_mm256_loadu_pd(a + 2 * j + 4), _mm256_loadu_pd(win + 2 * j + 4));
    const __m256d even = _mm256_permute2f128_pd(low, high, 0x20);
    const __m256d odd = _mm256_permute2f128_pd(low, high, 0x31);
    return {_mm256_unpacklo_pd(even, odd), _mm256_unpackhi_pd(even, odd)};
}

/// The twiddles at `p` (real parts, then imaginary parts).
VORLEN_FFT_INLINE Tw4 loadTwiddles(const double* p) {
    return {_mm256_loadu_pd(p), _mm256_loadu_pd(p + 4)};
}
/// Writes the twiddles `t` to `p`.
VORLEN_FFT_INLINE void storeTwiddles(double* p, Tw4 t) {
    _mm256_storeu_pd(p, t.re);
    _mm256_storeu_pd(p + 4, t.im);
}

/// Transposes the 4x4 matrix whose rows are r0..r3.
VORLEN_FFT_INLINE void transpose4(__m256d& r0, __m256d& r1, __m256d& r2, __m256d& r3) {
    const __m256d t0 = _mm256_unpacklo_pd(r0, r1);
    const __m256d t1 = _mm256_unpackhi_pd(r0, r1);
    const __m256d t2 = _mm256_unpacklo_pd(r2, r3);
    const __m256d t3 = _mm256_unpackhi_pd(r2, r3);
    r0 = _mm256_permute2f128_pd(t0, t2, 0x20);
    r1 = _mm256_permute2f128_pd(t1, t3, 0x20);
    r2 = _mm256_permute2f128_pd(t0, t2, 0x31);
    r3 = _mm256_permute2f128_pd(t1, t3, 0x31);
}

/// The twiddles W^j and W^(3j) of four lanes from four table groups
/// (cos, sin, cos 3, -sin 3) of W^j, one group per lane.
VORLEN_FFT_INLINE void groupTwiddles(__m256d g0, __m256d g1, __m256d g2, __m256d g3, Tw4& w1,
                                     Tw4& w3) {
    transpose4(g0, g1, g2, g3);
    w1 = {g0, g1};
    w3 = {g2, negated(g3)};
}

/// The twiddles i conj(W^j) = W^(Q-j) and -i conj(W^(3j)) = W^(3(Q-j)) of
/// four lanes from the groups of W^j, one per lane.
VORLEN_FFT_INLINE void mirroredGroupTwiddles(__m256d g0, __m256d g1, __m256d g2, __m256d g3,
                                             Tw4& w1, Tw4& w3) {
    transpose4(g0, g1, g2, g3);
    w1 = {g1, g0};
    w3 = {g3, negated(g2)};
}

/// A table group (cos, sin, cos 3, -sin 3) made of its four values.
VORLEN_FFT_INLINE __m256d group(double c, double s, double c3, double ns3) {
    return _mm256_set_pd(ns3, c3, s, c);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
