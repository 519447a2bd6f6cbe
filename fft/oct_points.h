// Eight neighbouring points of a transform held as a register of real parts
// and a register of imaginary parts, for the AVX-512 build's arrays in the
// oct layout: doubles 16o..16o+15 hold re(8o)..re(8o+7), then
// im(8o)..im(8o+7). Every lane does what a lane of the quad layout
// (quad_points.h) does, with the same operands in the same order, so the
// results are the same bits; each instruction does twice the work.
#pragma once

#include "quad_points.h"

#include <cstdint>

#if VORLEN_FFT_WIDE && defined(VORLEN_FFT_AVX512_BUILD) && defined(__AVX512F__) &&                 \
    defined(__AVX512DQ__)
#define VORLEN_FFT_OCTS 1

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Eight neighbouring points.
struct P8 {
    __m512d re;
    __m512d im;
};

/// One twiddle per lane.
struct Tw8 {
    __m512d re;
    __m512d im;
};

/// Lane-wise negation, exact.
VORLEN_FFT_INLINE __m512d negated(__m512d a) {
    return _mm512_xor_pd(a, _mm512_set1_pd(-0.0));
}
/// Sum of two octs.
VORLEN_FFT_INLINE P8 operator+(P8 a, P8 b) {
    return {_mm512_add_pd(a.re, b.re), _mm512_add_pd(a.im, b.im)};
}
/// Difference of two octs.
VORLEN_FFT_INLINE P8 operator-(P8 a, P8 b) {
    return {_mm512_sub_pd(a.re, b.re), _mm512_sub_pd(a.im, b.im)};
}
/// a + i b.
VORLEN_FFT_INLINE P8 plusI(P8 a, P8 b) {
    return {_mm512_sub_pd(a.re, b.im), _mm512_add_pd(a.im, b.re)};
}
/// a - i b.
VORLEN_FFT_INLINE P8 minusI(P8 a, P8 b) {
    return {_mm512_add_pd(a.re, b.im), _mm512_sub_pd(a.im, b.re)};
}
/// i b, exactly.
VORLEN_FFT_INLINE P8 timesI(P8 b) {
    return {negated(b.im), b.re};
}
/// Product of each lane's twiddle and point.
VORLEN_FFT_INLINE P8 operator*(Tw8 w, P8 x) {
    return {_mm512_sub_pd(_mm512_mul_pd(x.re, w.re), _mm512_mul_pd(x.im, w.im)),
            _mm512_add_pd(_mm512_mul_pd(x.im, w.re), _mm512_mul_pd(x.re, w.im))};
}
/// Lanes of `b` where `Mask` has a bit, of `a` elsewhere.
template <int Mask>
VORLEN_FFT_INLINE P8 blended(P8 a, P8 b) {
    return {_mm512_mask_blend_pd(Mask, a.re, b.re), _mm512_mask_blend_pd(Mask, a.im, b.im)};
}

/// `lo` in lanes 0..3 and `hi` in lanes 4..7.
VORLEN_FFT_INLINE __m512d joined(__m256d lo, __m256d hi) {
    return _mm512_insertf64x4(_mm512_castpd256_pd512(lo), hi, 1);
}
/// Two quads of points as one oct.
VORLEN_FFT_INLINE P8 joined(P4 lo, P4 hi) {
    return {joined(lo.re, hi.re), joined(lo.im, hi.im)};
}
/// Two quads of twiddles as one oct.
VORLEN_FFT_INLINE Tw8 joined(Tw4 lo, Tw4 hi) {
    return {joined(lo.re, hi.re), joined(lo.im, hi.im)};
}

/// Points 8o..8o+7 of an array in the oct layout, from its double 16o.
VORLEN_FFT_INLINE P8 loadOct(const double* a) {
    return {_mm512_loadu_pd(a), _mm512_loadu_pd(a + 8)};
}
/// Writes eight points to an array in the oct layout at its double 16o.
VORLEN_FFT_INLINE void storeOct(double* a, P8 v) {
    _mm512_storeu_pd(a, v.re);
    _mm512_storeu_pd(a + 8, v.im);
}

/// The real parts (even doubles) and imaginary parts (odd doubles) of the
/// interleaved points in `lo` and then `hi`.
VORLEN_FFT_INLINE P8 deinterleaved(__m512d lo, __m512d hi) {
    const __m512i evens = _mm512_set_epi64(14, 12, 10, 8, 6, 4, 2, 0);
    const __m512i odds = _mm512_set_epi64(15, 13, 11, 9, 7, 5, 3, 1);
    return {_mm512_permutex2var_pd(lo, evens, hi), _mm512_permutex2var_pd(lo, odds, hi)};
}
/// Points j..j+7 of an interleaved array.
VORLEN_FFT_INLINE P8 loadInterleavedOct(const double* a, int32_t j) {
    return deinterleaved(_mm512_loadu_pd(a + 2 * j), _mm512_loadu_pd(a + 2 * j + 8));
}
/// Points j..j+7 of an interleaved array, each double times its counterpart
/// in `win`, multiplied where they lie.
VORLEN_FFT_INLINE P8 loadWindowedOct(const double* a, const double* win, int32_t j) {
    return deinterleaved(
        _mm512_mul_pd(_mm512_loadu_pd(a + 2 * j), _mm512_loadu_pd(win + 2 * j)),
        _mm512_mul_pd(_mm512_loadu_pd(a + 2 * j + 8), _mm512_loadu_pd(win + 2 * j + 8)));
}

/// The twiddles at `p` (real parts, then imaginary parts).
VORLEN_FFT_INLINE Tw8 loadTwiddles8(const double* p) {
    return {_mm512_loadu_pd(p), _mm512_loadu_pd(p + 8)};
}
/// Writes the twiddles `t` to `p`.
VORLEN_FFT_INLINE void storeTwiddles8(double* p, Tw8 t) {
    _mm512_storeu_pd(p, t.re);
    _mm512_storeu_pd(p + 8, t.im);
}
/// The four twiddles at `p` (as `loadTwiddles`) in both halves.
VORLEN_FFT_INLINE Tw8 broadcastTwiddles(const double* p) {
    return {_mm512_broadcast_f64x4(_mm256_loadu_pd(p)),
            _mm512_broadcast_f64x4(_mm256_loadu_pd(p + 4))};
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#else
#define VORLEN_FFT_OCTS 0
#endif
