// The butterflies that every stage and leaf of the split-radix network is
// made of. Header-only so that they inline into straight-line code.
//
// A block of M points is split into quarters of Q = M/4 points; the four
// points A0..A3 at j, j+Q, j+2Q, j+3Q form one butterfly. Afterwards quarter 0
// holds what remains of outputs 4k, quarter 1 of 4k+2, quarter 2 of 4k+1 and
// quarter 3 of 4k+3 (bit-reversed order). A "plain" block still owes
// sum y[j] e^(+2 pi i j k / M); a "rotated" one owes
// sum y[j] e^(+2 pi i j (k + 1/2) / M).
#pragma once

#include "kernel_isa.h"

#include <cstdint>

// SSE2 belongs to every x86-64 CPU; elsewhere, or when VORLEN_FFT_NO_SIMD is
// defined (to test the portable path), the same butterflies run on doubles.
// Both paths round every operation alike and give the same results.
#if defined(__SSE2__) && !defined(VORLEN_FFT_NO_SIMD)
#define VORLEN_FFT_SSE2 1
#include <emmintrin.h>
#else
#define VORLEN_FFT_SSE2 0
#endif

// The compiler would otherwise keep the larger butterflies as calls inside
// the stage loops, passing complex values through memory: several times slower.
#if defined(__GNUC__)
#define VORLEN_FFT_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define VORLEN_FFT_INLINE __forceinline
#else
#define VORLEN_FFT_INLINE inline
#endif

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

#if VORLEN_FFT_SSE2

/// A complex value held in one SSE2 register (real part in the low lane)
/// while a butterfly runs.
struct Cx {
    __m128d v;
};

/// A twiddle factor c + i s kept as (c, c) and (-s, s), the two operands that
/// multiply a point and its lane-swapped copy, so that a product costs two
/// multiplications, one shuffle and one addition.
struct Tw {
    __m128d rr;
    __m128d ii;
};

/// Sign masks: the sign bit in the low (real) or high (imaginary) lane.
VORLEN_FFT_INLINE __m128d signLow() {
    return _mm_set_pd(0.0, -0.0);
}
VORLEN_FFT_INLINE __m128d signHigh() {
    return _mm_set_pd(-0.0, 0.0);
}
VORLEN_FFT_INLINE __m128d swapLanes(__m128d a) {
    return _mm_shuffle_pd(a, a, 1);
}

/// The complex value re + i im.
VORLEN_FFT_INLINE Cx complexOf(double re, double im) {
    return {_mm_set_pd(im, re)};
}
/// Sum of two complex values.
VORLEN_FFT_INLINE Cx operator+(Cx a, Cx b) {
    return {_mm_add_pd(a.v, b.v)};
}
/// Difference of two complex values.
VORLEN_FFT_INLINE Cx operator-(Cx a, Cx b) {
    return {_mm_sub_pd(a.v, b.v)};
}
/// Product with a real factor.
VORLEN_FFT_INLINE Cx scaled(Cx a, double s) {
    return {_mm_mul_pd(a.v, _mm_set1_pd(s))};
}
/// Product of the real parts with `re` and of the imaginary parts with `im`.
VORLEN_FFT_INLINE Cx scaledParts(Cx a, Cx factors) {
    return {_mm_mul_pd(a.v, factors.v)};
}
/// Product with i.
VORLEN_FFT_INLINE Cx timesI(Cx a) {
    return {_mm_xor_pd(swapLanes(a.v), signLow())};
}
/// Complex conjugate.
VORLEN_FFT_INLINE Cx conj(Cx a) {
    return {_mm_xor_pd(a.v, signHigh())};
}

/// The twiddle re + i im.
VORLEN_FFT_INLINE Tw twiddle(double re, double im) {
    return {_mm_set1_pd(re), _mm_set_pd(im, -im)};
}
/// The twiddle p[0] + i p[1] read from a table.
VORLEN_FFT_INLINE Tw twiddleAt(const double* p) {
    const __m128d t = _mm_loadu_pd(p);
    return {_mm_unpacklo_pd(t, t), _mm_xor_pd(_mm_unpackhi_pd(t, t), signLow())};
}
/// The twiddle p[0] - i p[1]: a table pair that holds a conjugate.
VORLEN_FFT_INLINE Tw twiddleConjAt(const double* p) {
    const __m128d t = _mm_loadu_pd(p);
    return {_mm_unpacklo_pd(t, t), _mm_xor_pd(_mm_unpackhi_pd(t, t), signHigh())};
}
/// Product of a twiddle and a complex value.
VORLEN_FFT_INLINE Cx operator*(Tw w, Cx x) {
    return {_mm_add_pd(_mm_mul_pd(x.v, w.rr), _mm_mul_pd(swapLanes(x.v), w.ii))};
}
/// (a + b) s: the mid-point rule of the first stage.
VORLEN_FFT_INLINE Tw midpoint(Tw a, Tw b, double s) {
    const __m128d f = _mm_set1_pd(s);
    return {_mm_mul_pd(_mm_add_pd(a.rr, b.rr), f), _mm_mul_pd(_mm_add_pd(a.ii, b.ii), f)};
}
/// i conj(w): the twiddle W^(Q-j) of a plain split from W^j, since W^Q = i.
VORLEN_FFT_INLINE Tw mirrorOnce(Tw w) {
    return {_mm_unpackhi_pd(w.ii, w.ii), _mm_xor_pd(w.rr, signLow())};
}
/// -i conj(w): the twiddle W^(3(Q-j)) from W^(3j), since W^(3Q) = -i.
VORLEN_FFT_INLINE Tw mirrorThrice(Tw w) {
    return {_mm_unpacklo_pd(w.ii, w.ii), _mm_xor_pd(w.rr, signHigh())};
}

/// Point `p` of the interleaved array `a`, conjugated when `Conj` is set.
template <bool Conj = false>
VORLEN_FFT_INLINE Cx loadPoint(const double* a, int32_t p) {
    const Cx v{_mm_loadu_pd(a + 2 * p)};
    return Conj ? conj(v) : v;
}
/// Writes `v` to point `p` of the interleaved array `a`.
VORLEN_FFT_INLINE void storePoint(double* a, int32_t p, Cx v) {
    _mm_storeu_pd(a + 2 * p, v.v);
}

#else

/// A complex value held in registers while a butterfly runs.
struct Cx {
    double re;
    double im;
};

/// A twiddle factor; the scalar path keeps it as a plain complex value.
using Tw = Cx;

/// The complex value re + i im.
VORLEN_FFT_INLINE Cx complexOf(double re, double im) {
    return {re, im};
}
/// Sum of two complex values.
VORLEN_FFT_INLINE Cx operator+(Cx a, Cx b) {
    return {a.re + b.re, a.im + b.im};
}
/// Difference of two complex values.
VORLEN_FFT_INLINE Cx operator-(Cx a, Cx b) {
    return {a.re - b.re, a.im - b.im};
}
/// Product of two complex values.
VORLEN_FFT_INLINE Cx operator*(Cx a, Cx b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
/// Product with a real factor.
VORLEN_FFT_INLINE Cx scaled(Cx a, double s) {
    return {a.re * s, a.im * s};
}
/// Product of the real parts with `re` and of the imaginary parts with `im`.
VORLEN_FFT_INLINE Cx scaledParts(Cx a, Cx factors) {
    return {a.re * factors.re, a.im * factors.im};
}
/// Product with i.
VORLEN_FFT_INLINE Cx timesI(Cx a) {
    return {-a.im, a.re};
}
/// Complex conjugate.
VORLEN_FFT_INLINE Cx conj(Cx a) {
    return {a.re, -a.im};
}

/// The twiddle re + i im.
VORLEN_FFT_INLINE Tw twiddle(double re, double im) {
    return {re, im};
}
/// The twiddle p[0] + i p[1] read from a table.
VORLEN_FFT_INLINE Tw twiddleAt(const double* p) {
    return {p[0], p[1]};
}
/// The twiddle p[0] - i p[1]: a table pair that holds a conjugate.
VORLEN_FFT_INLINE Tw twiddleConjAt(const double* p) {
    return {p[0], -p[1]};
}
/// (a + b) s: the mid-point rule of the first stage.
VORLEN_FFT_INLINE Tw midpoint(Tw a, Tw b, double s) {
    return scaled(a + b, s);
}
/// i conj(w): the twiddle W^(Q-j) of a plain split from W^j, since W^Q = i.
VORLEN_FFT_INLINE Tw mirrorOnce(Tw w) {
    return {w.im, w.re};
}
/// -i conj(w): the twiddle W^(3(Q-j)) from W^(3j), since W^(3Q) = -i.
VORLEN_FFT_INLINE Tw mirrorThrice(Tw w) {
    return {-w.im, -w.re};
}

/// Point `p` of the interleaved array `a`, conjugated when `Conj` is set.
template <bool Conj = false>
VORLEN_FFT_INLINE Cx loadPoint(const double* a, int32_t p) {
    return {a[2 * p], Conj ? -a[2 * p + 1] : a[2 * p + 1]};
}
/// Writes `v` to point `p` of the interleaved array `a`.
VORLEN_FFT_INLINE void storePoint(double* a, int32_t p, Cx v) {
    a[2 * p] = v.re;
    a[2 * p + 1] = v.im;
}

#endif

/// Plain split of one butterfly with the twiddles W^j and W^(3j).
VORLEN_FFT_INLINE void splitPlain(Cx& a0, Cx& a1, Cx& a2, Cx& a3, Tw w1, Tw w3) {
    const Cx x0 = a0 + a2;
    const Cx x1 = a0 - a2;
    const Cx x2 = a1 + a3;
    const Cx x3 = a1 - a3;
    a0 = x0 + x2;
    a1 = x0 - x2;
    a2 = w1 * (x1 + timesI(x3));
    a3 = w3 * (x1 - timesI(x3));
}

/// Plain split of the butterfly at j = 0, where both twiddles are 1.
VORLEN_FFT_INLINE void splitPlain(Cx& a0, Cx& a1, Cx& a2, Cx& a3) {
    const Cx x0 = a0 + a2;
    const Cx x1 = a0 - a2;
    const Cx x2 = a1 + a3;
    const Cx x3 = a1 - a3;
    a0 = x0 + x2;
    a1 = x0 - x2;
    a2 = x1 + timesI(x3);
    a3 = x1 - timesI(x3);
}

/// Rotated split of one butterfly; with w = e^(i pi / M) the factors are
/// w1 = w^j, v1 = e^(i pi/4) w^j, w3 = w^(3j), v3 = e^(3i pi/4) w^(3j).
VORLEN_FFT_INLINE void splitRotated(Cx& a0, Cx& a1, Cx& a2, Cx& a3, Tw w1, Tw v1, Tw w3, Tw v3) {
    const Cx x0 = a0 + timesI(a2);
    const Cx x1 = a0 - timesI(a2);
    const Cx x2 = a1 + timesI(a3);
    const Cx x3 = a1 - timesI(a3);
    const Cx y0 = w1 * x0;
    const Cx y2 = v1 * x2;
    const Cx z0 = w3 * x1;
    const Cx z2 = v3 * x3;
    a0 = y0 + y2;
    a1 = y0 - y2;
    a2 = z0 + z2;
    a3 = z0 - z2;
}

/// Rotated split of the butterfly at j = 0: v1 = e^(i pi/4), v3 = e^(3i pi/4).
VORLEN_FFT_INLINE void splitRotated(Cx& a0, Cx& a1, Cx& a2, Cx& a3, Tw v1, Tw v3) {
    const Cx x0 = a0 + timesI(a2);
    const Cx x1 = a0 - timesI(a2);
    const Cx x2 = a1 + timesI(a3);
    const Cx x3 = a1 - timesI(a3);
    const Cx y2 = v1 * x2;
    const Cx z2 = v3 * x3;
    a0 = x0 + y2;
    a1 = x0 - y2;
    a2 = x1 + z2;
    a3 = x1 - z2;
}

/// Plain split of the butterfly at point `j` of a block with quarters of `q`
/// points, read from `src` (conjugated when `Conj` is set) and written to
/// `dst`, which may be `src`.
template <bool Conj = false>
VORLEN_FFT_INLINE void splitPlainAt(const double* src, double* dst, int32_t j, int32_t q, Tw w1,
                                    Tw w3) {
    Cx a0 = loadPoint<Conj>(src, j);
    Cx a1 = loadPoint<Conj>(src, j + q);
    Cx a2 = loadPoint<Conj>(src, j + 2 * q);
    Cx a3 = loadPoint<Conj>(src, j + 3 * q);
    splitPlain(a0, a1, a2, a3, w1, w3);
    storePoint(dst, j, a0);
    storePoint(dst, j + q, a1);
    storePoint(dst, j + 2 * q, a2);
    storePoint(dst, j + 3 * q, a3);
}

/// Plain split of the butterfly at point `j` of a block at `a`, in place.
template <bool Conj = false>
VORLEN_FFT_INLINE void splitPlainAt(double* a, int32_t j, int32_t q, Tw w1, Tw w3) {
    splitPlainAt<Conj>(a, a, j, q, w1, w3);
}

/// Plain split of the butterfly at point 0 of a block (no twiddles), from
/// `src` to `dst`, which may be `src`.
template <bool Conj = false>
VORLEN_FFT_INLINE void splitPlainAtZero(const double* src, double* dst, int32_t q) {
    Cx a0 = loadPoint<Conj>(src, 0);
    Cx a1 = loadPoint<Conj>(src, q);
    Cx a2 = loadPoint<Conj>(src, 2 * q);
    Cx a3 = loadPoint<Conj>(src, 3 * q);
    splitPlain(a0, a1, a2, a3);
    storePoint(dst, 0, a0);
    storePoint(dst, q, a1);
    storePoint(dst, 2 * q, a2);
    storePoint(dst, 3 * q, a3);
}

/// Plain split of the butterfly at point 0 of a block at `a`, in place.
template <bool Conj = false>
VORLEN_FFT_INLINE void splitPlainAtZero(double* a, int32_t q) {
    splitPlainAtZero<Conj>(a, a, q);
}

/// Rotated split of the butterfly at point `j` of a block at `a`.
VORLEN_FFT_INLINE void splitRotatedAt(double* a, int32_t j, int32_t q, Tw w1, Tw v1, Tw w3, Tw v3) {
    Cx a0 = loadPoint(a, j);
    Cx a1 = loadPoint(a, j + q);
    Cx a2 = loadPoint(a, j + 2 * q);
    Cx a3 = loadPoint(a, j + 3 * q);
    splitRotated(a0, a1, a2, a3, w1, v1, w3, v3);
    storePoint(a, j, a0);
    storePoint(a, j + q, a1);
    storePoint(a, j + 2 * q, a2);
    storePoint(a, j + 3 * q, a3);
}

/// Plain transform of two points.
VORLEN_FFT_INLINE void dft2Plain(Cx& y0, Cx& y1) {
    const Cx s = y0 + y1;
    y1 = y0 - y1;
    y0 = s;
}

/// Rotated transform of two points: y0 + i y1, y0 - i y1.
VORLEN_FFT_INLINE void dft2Rotated(Cx& y0, Cx& y1) {
    const Cx t = timesI(y1);
    y1 = y0 - t;
    y0 = y0 + t;
}

/// Plain transform of four points, outputs in bit-reversed order.
VORLEN_FFT_INLINE void dft4Plain(Cx& y0, Cx& y1, Cx& y2, Cx& y3) {
    splitPlain(y0, y1, y2, y3);
}

/// Rotated transform of four points, outputs in bit-reversed order;
/// `eighth1` and `eighth3` are e^(i pi/4) and e^(3i pi/4).
VORLEN_FFT_INLINE void dft4Rotated(Cx& y0, Cx& y1, Cx& y2, Cx& y3, Tw eighth1, Tw eighth3) {
    splitRotated(y0, y1, y2, y3, eighth1, eighth3);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
