// Two neighbouring points of a transform held as a register of real parts
// and a register of imaginary parts, for the arrays that keep that layout:
// doubles 4p..4p+3 hold re(2p), re(2p+1), im(2p), im(2p+1). Products then
// need no shuffles, since both lanes do the same arithmetic. Every operation
// rounds as its counterpart on interleaved points does.
#pragma once

#include "butterflies.h"

#include <cstdint>

#if VORLEN_FFT_SSE2 && defined(VORLEN_FFT_AVX_BUILD) && defined(__AVX__)
#include <immintrin.h>
#endif

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

#if VORLEN_FFT_SSE2

/// Two doubles, one per lane.
struct V2 {
    __m128d v;
};

/// The lanes (lo, hi).
VORLEN_FFT_INLINE V2 lanes(double lo, double hi) {
    return {_mm_set_pd(hi, lo)};
}
/// Lane-wise sum.
VORLEN_FFT_INLINE V2 operator+(V2 a, V2 b) {
    return {_mm_add_pd(a.v, b.v)};
}
/// Lane-wise difference.
VORLEN_FFT_INLINE V2 operator-(V2 a, V2 b) {
    return {_mm_sub_pd(a.v, b.v)};
}
/// Lane-wise product.
VORLEN_FFT_INLINE V2 operator*(V2 a, V2 b) {
    return {_mm_mul_pd(a.v, b.v)};
}
/// Lane-wise negation.
VORLEN_FFT_INLINE V2 operator-(V2 a) {
    return {_mm_xor_pd(a.v, _mm_set1_pd(-0.0))};
}
/// (a.lo, b.lo).
VORLEN_FFT_INLINE V2 lows(V2 a, V2 b) {
    return {_mm_unpacklo_pd(a.v, b.v)};
}
/// (a.hi, b.hi).
VORLEN_FFT_INLINE V2 highs(V2 a, V2 b) {
    return {_mm_unpackhi_pd(a.v, b.v)};
}
/// (a.hi, b.lo).
VORLEN_FFT_INLINE V2 highLow(V2 a, V2 b) {
    return {_mm_shuffle_pd(a.v, b.v, 1)};
}
/// (a.hi, a.lo).
VORLEN_FFT_INLINE V2 swapped(V2 a) {
    return {_mm_shuffle_pd(a.v, a.v, 1)};
}
/// The two doubles at `p`.
VORLEN_FFT_INLINE V2 load2(const double* p) {
    return {_mm_loadu_pd(p)};
}
/// Writes both lanes to `p`.
VORLEN_FFT_INLINE void store2(double* p, V2 a) {
    _mm_storeu_pd(p, a.v);
}
/// Writes the low lane to `p`.
VORLEN_FFT_INLINE void storeLow(double* p, V2 a) {
    _mm_storel_pd(p, a.v);
}
/// Writes the high lane to `p`.
VORLEN_FFT_INLINE void storeHigh(double* p, V2 a) {
    _mm_storeh_pd(p, a.v);
}
/// Writes the real part of `v` to `re` and its imaginary part to `im`.
VORLEN_FFT_INLINE void storeParts(double* re, double* im, Cx v) {
    _mm_storel_pd(re, v.v);
    _mm_storeh_pd(im, v.v);
}
/// The complex values (re.lo, im.lo) and (re.hi, im.hi).
VORLEN_FFT_INLINE void splitLanes(V2 re, V2 im, Cx& lo, Cx& hi) {
    lo = {_mm_unpacklo_pd(re.v, im.v)};
    hi = {_mm_unpackhi_pd(re.v, im.v)};
}
/// Real and imaginary parts of the complex values lo and hi, as lanes.
VORLEN_FFT_INLINE void joinLanes(Cx lo, Cx hi, V2& re, V2& im) {
    re = {_mm_unpacklo_pd(lo.v, hi.v)};
    im = {_mm_unpackhi_pd(lo.v, hi.v)};
}

#else

/// Two doubles, one per lane.
struct V2 {
    double lo;
    double hi;
};

/// The lanes (lo, hi).
VORLEN_FFT_INLINE V2 lanes(double lo, double hi) {
    return {lo, hi};
}
/// Lane-wise sum.
VORLEN_FFT_INLINE V2 operator+(V2 a, V2 b) {
    return {a.lo + b.lo, a.hi + b.hi};
}
/// Lane-wise difference.
VORLEN_FFT_INLINE V2 operator-(V2 a, V2 b) {
    return {a.lo - b.lo, a.hi - b.hi};
}
/// Lane-wise product.
VORLEN_FFT_INLINE V2 operator*(V2 a, V2 b) {
    return {a.lo * b.lo, a.hi * b.hi};
}
/// Lane-wise negation.
VORLEN_FFT_INLINE V2 operator-(V2 a) {
    return {-a.lo, -a.hi};
}
/// (a.lo, b.lo).
VORLEN_FFT_INLINE V2 lows(V2 a, V2 b) {
    return {a.lo, b.lo};
}
/// (a.hi, b.hi).
VORLEN_FFT_INLINE V2 highs(V2 a, V2 b) {
    return {a.hi, b.hi};
}
/// (a.hi, b.lo).
VORLEN_FFT_INLINE V2 highLow(V2 a, V2 b) {
    return {a.hi, b.lo};
}
/// (a.hi, a.lo).
VORLEN_FFT_INLINE V2 swapped(V2 a) {
    return {a.hi, a.lo};
}
/// The two doubles at `p`.
VORLEN_FFT_INLINE V2 load2(const double* p) {
    return {p[0], p[1]};
}
/// Writes both lanes to `p`.
VORLEN_FFT_INLINE void store2(double* p, V2 a) {
    p[0] = a.lo;
    p[1] = a.hi;
}
/// Writes the low lane to `p`.
VORLEN_FFT_INLINE void storeLow(double* p, V2 a) {
    p[0] = a.lo;
}
/// Writes the high lane to `p`.
VORLEN_FFT_INLINE void storeHigh(double* p, V2 a) {
    p[0] = a.hi;
}
/// Writes the real part of `v` to `re` and its imaginary part to `im`.
VORLEN_FFT_INLINE void storeParts(double* re, double* im, Cx v) {
    *re = v.re;
    *im = v.im;
}
/// The complex values (re.lo, im.lo) and (re.hi, im.hi).
VORLEN_FFT_INLINE void splitLanes(V2 re, V2 im, Cx& lo, Cx& hi) {
    lo = {re.lo, im.lo};
    hi = {re.hi, im.hi};
}
/// Real and imaginary parts of the complex values lo and hi, as lanes.
VORLEN_FFT_INLINE void joinLanes(Cx lo, Cx hi, V2& re, V2& im) {
    re = {lo.re, hi.re};
    im = {lo.im, hi.im};
}

#endif

/// Two neighbouring points: real parts in `re`, imaginary parts in `im`.
struct Px {
    V2 re;
    V2 im;
};

/// One twiddle per lane, as real and imaginary parts.
struct TwP {
    V2 re;
    V2 im;
};

/// Sum of two pairs.
VORLEN_FFT_INLINE Px operator+(Px a, Px b) {
    return {a.re + b.re, a.im + b.im};
}
/// Difference of two pairs.
VORLEN_FFT_INLINE Px operator-(Px a, Px b) {
    return {a.re - b.re, a.im - b.im};
}
/// a + i b.
VORLEN_FFT_INLINE Px plusI(Px a, Px b) {
    return {a.re - b.im, a.im + b.re};
}
/// a - i b.
VORLEN_FFT_INLINE Px minusI(Px a, Px b) {
    return {a.re + b.im, a.im - b.re};
}
/// Product of each lane's twiddle and point.
VORLEN_FFT_INLINE Px operator*(TwP w, Px x) {
    return {x.re * w.re - x.im * w.im, x.im * w.re + x.re * w.im};
}
/// Complex conjugate of both points.
VORLEN_FFT_INLINE Px conj(Px a) {
    return {a.re, -a.im};
}

/// Points 2p and 2p+1 of an array in the pair layout, from its double 4p.
VORLEN_FFT_INLINE Px loadPair(const double* a) {
    return {load2(a), load2(a + 2)};
}
/// Writes two points to an array in the pair layout at its double 4p.
VORLEN_FFT_INLINE void storePair(double* a, Px v) {
    store2(a, v.re);
    store2(a + 2, v.im);
}
/// Writes point p to an array in the pair layout.
VORLEN_FFT_INLINE void storePointOfPairs(double* a, int32_t p, Cx v) {
    double* pair = a + 4 * (p / 2) + (p % 2);
    storeParts(pair, pair + 2, v);
}
/// Points j and j+1 of an interleaved array.
VORLEN_FFT_INLINE Px loadInterleaved(const double* a, int32_t j) {
    Px v;
    joinLanes(loadPoint(a, j), loadPoint(a, j + 1), v.re, v.im);
    return v;
}
/// Points j and j+1 of an interleaved array, each double times its
/// counterpart in `win`.
VORLEN_FFT_INLINE Px loadWindowed(const double* a, const double* win, int32_t j) {
    Px v;
    joinLanes(scaledParts(loadPoint(a, j), loadPoint(win, j)),
              scaledParts(loadPoint(a, j + 1), loadPoint(win, j + 1)), v.re, v.im);
    return v;
}

// The AVX build holds a pair of points in one register, as it lies in
// memory: re(2p), re(2p+1), im(2p), im(2p+1). Additions then cover both
// points at once, and a product costs one shuffle of the halves more than on
// separate registers. Every lane does what it does there, so the results are
// the same bits. The plans' 2048-point transforms on AVX keep four points to
// a register pair instead (quad_points.h), which needs no such shuffle.
#if VORLEN_FFT_SSE2 && defined(VORLEN_FFT_AVX_BUILD) && defined(__AVX__)
#define VORLEN_FFT_WIDE 1

/// Two neighbouring points in one AVX register, in the pair layout.
struct Pw {
    __m256d v;
};

/// One twiddle per lane, spread for `Pw`: the real parts in both halves of
/// `rr`, the imaginary parts in both halves of `ii`, negated in the low one.
struct TwPw {
    __m256d rr;
    __m256d ii;
};

/// The register with its two halves exchanged.
VORLEN_FFT_INLINE __m256d halvesSwapped(__m256d a) {
    return _mm256_permute2f128_pd(a, a, 1);
}
/// The low half `lo` and the high half `hi` in one register.
VORLEN_FFT_INLINE __m256d halves(__m128d lo, __m128d hi) {
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(lo), hi, 1);
}
/// A pair in one register.
VORLEN_FFT_INLINE Pw widen(Px a) {
    return {halves(a.re.v, a.im.v)};
}
/// A pair in two registers.
VORLEN_FFT_INLINE Px narrow(Pw a) {
    return {{_mm256_castpd256_pd128(a.v)}, {_mm256_extractf128_pd(a.v, 1)}};
}
/// Twiddles spread for `Pw`.
VORLEN_FFT_INLINE TwPw widen(TwP w) {
    return {halves(w.re.v, w.re.v), halves((-w.im).v, w.im.v)};
}
/// Sum of two pairs.
VORLEN_FFT_INLINE Pw operator+(Pw a, Pw b) {
    return {_mm256_add_pd(a.v, b.v)};
}
/// Difference of two pairs.
VORLEN_FFT_INLINE Pw operator-(Pw a, Pw b) {
    return {_mm256_sub_pd(a.v, b.v)};
}
/// i b, exactly: the parts exchanged, the new real parts negated.
VORLEN_FFT_INLINE Pw timesI(Pw b) {
    return {_mm256_xor_pd(halvesSwapped(b.v), _mm256_set_pd(0.0, 0.0, -0.0, -0.0))};
}
/// a + i b; a.re - b.im rounds as a.re + (-b.im).
VORLEN_FFT_INLINE Pw plusI(Pw a, Pw b) {
    return a + timesI(b);
}
/// a - i b.
VORLEN_FFT_INLINE Pw minusI(Pw a, Pw b) {
    return a - timesI(b);
}
/// Product of each lane's twiddle and point; x.re w.re - x.im w.im rounds as
/// x.re w.re + x.im (-w.im).
VORLEN_FFT_INLINE Pw operator*(TwPw w, Pw x) {
    return {_mm256_add_pd(_mm256_mul_pd(x.v, w.rr), _mm256_mul_pd(halvesSwapped(x.v), w.ii))};
}
/// Points 2p and 2p+1 of an array in the pair layout, from its double 4p.
VORLEN_FFT_INLINE Pw loadPairWide(const double* a) {
    return {_mm256_loadu_pd(a)};
}
/// Points j and j+1 of an interleaved array, in the pair layout. Loads that
/// fill both halves cost no shuffle, which leaves one instead of three.
VORLEN_FFT_INLINE Pw loadInterleavedWide(const double* a, int32_t j) {
    const __m128d z0 = _mm_loadu_pd(a + 2 * j);
    const __m128d z1 = _mm_loadu_pd(a + 2 * j + 2);
    const __m256d p0 = halves(z0, z0);
    const __m256d p1 = halves(z1, z1);
    return {_mm256_shuffle_pd(p0, p1, 0b1100)};
}
/// `loadInterleavedWide` of the products with `win`. Multiplying the
/// doubled halves costs a product more but no shuffle.
VORLEN_FFT_INLINE Pw loadWindowedWide(const double* a, const double* win, int32_t j) {
    const __m128d z0 = _mm_loadu_pd(a + 2 * j);
    const __m128d z1 = _mm_loadu_pd(a + 2 * j + 2);
    const __m128d v0 = _mm_loadu_pd(win + 2 * j);
    const __m128d v1 = _mm_loadu_pd(win + 2 * j + 2);
    const __m256d p0 = _mm256_mul_pd(halves(z0, z0), halves(v0, v0));
    const __m256d p1 = _mm256_mul_pd(halves(z1, z1), halves(v1, v1));
    return {_mm256_shuffle_pd(p0, p1, 0b1100)};
}
/// Writes two points to an array in the pair layout at its double 4p.
VORLEN_FFT_INLINE void storePairWide(double* a, Pw v) {
    _mm256_storeu_pd(a, v.v);
}

#else
#define VORLEN_FFT_WIDE 0

/// Two neighbouring points, as wide as the build holds them.
using Pw = Px;
/// Twiddles for `Pw`.
using TwPw = TwP;

/// A pair as `Pw`.
VORLEN_FFT_INLINE Pw widen(Px a) {
    return a;
}
/// A `Pw` as a pair.
VORLEN_FFT_INLINE Px narrow(Pw a) {
    return a;
}
/// Twiddles for `Pw`.
VORLEN_FFT_INLINE TwPw widen(TwP w) {
    return w;
}
/// Points 2p and 2p+1 of an array in the pair layout, from its double 4p.
VORLEN_FFT_INLINE Pw loadPairWide(const double* a) {
    return loadPair(a);
}
/// Writes two points to an array in the pair layout at its double 4p.
VORLEN_FFT_INLINE void storePairWide(double* a, Pw v) {
    storePair(a, v);
}
/// Points j and j+1 of an interleaved array, in the pair layout.
VORLEN_FFT_INLINE Pw loadInterleavedWide(const double* a, int32_t j) {
    return loadInterleaved(a, j);
}
/// `loadInterleavedWide` of the products with `win`.
VORLEN_FFT_INLINE Pw loadWindowedWide(const double* a, const double* win, int32_t j) {
    return loadWindowed(a, win, j);
}

#endif

/// `splitPlain` of butterflies j and j+1, lane by lane.
template <class P, class T>
VORLEN_FFT_INLINE void splitPlainPairs(P& a0, P& a1, P& a2, P& a3, T w1, T w3) {
    const P x0 = a0 + a2;
    const P x1 = a0 - a2;
    const P x2 = a1 + a3;
    const P x3 = a1 - a3;
    a0 = x0 + x2;
    a1 = x0 - x2;
    a2 = w1 * plusI(x1, x3);
    a3 = w3 * minusI(x1, x3);
}

/// `splitRotated` of butterflies j and j+1, lane by lane.
template <class P, class T>
VORLEN_FFT_INLINE void splitRotatedPairs(P& a0, P& a1, P& a2, P& a3, T w1, T v1, T w3, T v3) {
    const P x0 = plusI(a0, a2);
    const P x1 = minusI(a0, a2);
    const P x2 = plusI(a1, a3);
    const P x3 = minusI(a1, a3);
    const P y0 = w1 * x0;
    const P y2 = v1 * x2;
    const P z0 = w3 * x1;
    const P z2 = v3 * x3;
    a0 = y0 + y2;
    a1 = y0 - y2;
    a2 = z0 + z2;
    a3 = z0 - z2;
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
