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

#include "lanes.h"

#include <cstddef>
#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// A complex value held in two lanes (real part in lane 0) while a
/// butterfly runs.
struct Cx {
    Vec<2> v;
};

/// A twiddle factor c + i s kept as (c, c) and (-s, s), the two operands that
/// multiply a point and its lane-swapped copy, so that a product costs two
/// multiplications, one shuffle and one addition.
struct Tw {
    Vec<2> rr;
    Vec<2> ii;
};

VORLEN_FFT_INLINE Vec<2> swapLanes(Vec<2> a) {
    return __builtin_shufflevector(a, a, 1, 0);
}

VORLEN_FFT_INLINE Cx operator+(Cx a, Cx b) {
    return {a.v + b.v};
}
VORLEN_FFT_INLINE Cx operator-(Cx a, Cx b) {
    return {a.v - b.v};
}
/// Product with i.
VORLEN_FFT_INLINE Cx timesI(Cx a) {
    return {flipSigns<2, 0b01>(swapLanes(a.v))};
}
/// a + i b.
VORLEN_FFT_INLINE Cx plusI(Cx a, Cx b) {
    return a + timesI(b);
}
/// a - i b.
VORLEN_FFT_INLINE Cx minusI(Cx a, Cx b) {
    return a - timesI(b);
}
/// Complex conjugate.
VORLEN_FFT_INLINE Cx conj(Cx a) {
    return {flipSigns<2, 0b10>(a.v)};
}

/// The twiddle re + i im.
VORLEN_FFT_INLINE Tw twiddle(double re, double im) {
    return {splat<2>(re), flipSigns<2, 0b01>(splat<2>(im))};
}
/// Product of a twiddle and a complex value.
VORLEN_FFT_INLINE Cx operator*(Tw w, Cx x) {
    return {x.v * w.rr + swapLanes(x.v) * w.ii};
}
/// (a + b) s: the mid-point rule of the first stage.
VORLEN_FFT_INLINE Tw midpoint(Tw a, Tw b, double s) {
    return {(a.rr + b.rr) * splat<2>(s), (a.ii + b.ii) * splat<2>(s)};
}
/// i conj(w): the twiddle W^(Q-j) of a plain split from W^j, since W^Q = i.
VORLEN_FFT_INLINE Tw mirrorOnce(Tw w) {
    return {__builtin_shufflevector(w.ii, w.ii, 1, 1), flipSigns<2, 0b01>(w.rr)};
}
/// -i conj(w): the twiddle W^(3(Q-j)) from W^(3j), since W^(3Q) = -i.
VORLEN_FFT_INLINE Tw mirrorThrice(Tw w) {
    return {__builtin_shufflevector(w.ii, w.ii, 0, 0), flipSigns<2, 0b10>(w.rr)};
}

/// Point `p` of the interleaved array `a`, conjugated when `Conj` is set.
template <bool Conj = false>
VORLEN_FFT_INLINE Cx loadPoint(const double* a, std::ptrdiff_t p) {
    const Cx v{load<2>(a + 2 * p)};
    return Conj ? conj(v) : v;
}
/// Writes `v` to point `p` of the interleaved array `a`.
VORLEN_FFT_INLINE void storePoint(double* a, std::ptrdiff_t p, Cx v) {
    store<2>(a + 2 * p, v.v);
}

/// The factor 1 where a split skips its product.
struct One {};
template <class P>
VORLEN_FFT_INLINE P operator*(One /*one*/, P x) {
    return x;
}

/// Plain split of butterflies with the twiddles W^j and W^(3j): one point
/// (Cx, Tw) or W lanes (Points).
template <class P, class T1, class T3>
VORLEN_FFT_INLINE void splitPlain(P& a0, P& a1, P& a2, P& a3, T1 w1, T3 w3) {
    const P x0 = a0 + a2;
    const P x1 = a0 - a2;
    const P x2 = a1 + a3;
    const P x3 = a1 - a3;
    a0 = x0 + x2;
    a1 = x0 - x2;
    a2 = w1 * plusI(x1, x3);
    a3 = w3 * minusI(x1, x3);
}

/// Rotated split of butterflies; with w = e^(i pi / M) the factors are
/// w1 = w^j, v1 = e^(i pi/4) w^j, w3 = w^(3j), v3 = e^(3i pi/4) w^(3j).
template <class P, class T, class U>
VORLEN_FFT_INLINE void splitRotated(P& a0, P& a1, P& a2, P& a3, T w1, U v1, T w3, U v3) {
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

/// Interleaved points that a split reads from `src` (conjugated when `Conj`
/// is set) and writes to `dst`, which may be `src`.
template <bool Conj = false>
struct Interleaved {
    const double* src;
    double* dst;
    VORLEN_FFT_INLINE Cx at(std::ptrdiff_t j) const { return loadPoint<Conj>(src, j); }
    VORLEN_FFT_INLINE void put(std::ptrdiff_t j, Cx v) const { storePoint(dst, j, v); }
};

/// Plain split of butterfly j of a block with quarters of `q` points, read
/// and written by `x` (Interleaved, or lane_stages.h's arrays).
template <class Array, class T1, class T3>
VORLEN_FFT_INLINE void splitPlainAt(const Array& x, std::ptrdiff_t j, std::ptrdiff_t q, T1 w1,
                                    T3 w3) {
    auto a0 = x.at(j);
    auto a1 = x.at(j + q);
    auto a2 = x.at(j + 2 * q);
    auto a3 = x.at(j + 3 * q);
    splitPlain(a0, a1, a2, a3, w1, w3);
    x.put(j, a0);
    x.put(j + q, a1);
    x.put(j + 2 * q, a2);
    x.put(j + 3 * q, a3);
}

/// Rotated split of butterfly j of a block, read and written by `x`.
template <class Array, class T, class U>
VORLEN_FFT_INLINE void splitRotatedAt(const Array& x, std::ptrdiff_t j, std::ptrdiff_t q, T w1,
                                      U v1, T w3, U v3) {
    auto a0 = x.at(j);
    auto a1 = x.at(j + q);
    auto a2 = x.at(j + 2 * q);
    auto a3 = x.at(j + 3 * q);
    splitRotated(a0, a1, a2, a3, w1, v1, w3, v3);
    x.put(j, a0);
    x.put(j + q, a1);
    x.put(j + 2 * q, a2);
    x.put(j + 3 * q, a3);
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

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
