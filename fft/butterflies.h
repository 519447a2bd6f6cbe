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

#include <cstdint>

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

/// A complex value held in registers while a butterfly runs.
struct Cx {
    double re;
    double im;
};

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
/// Product with i.
VORLEN_FFT_INLINE Cx timesI(Cx a) {
    return {-a.im, a.re};
}
/// i conj(w): the twiddle W^(Q-j) of a plain split from W^j, since W^Q = i.
VORLEN_FFT_INLINE Cx mirrorOnce(Cx w) {
    return {w.im, w.re};
}
/// -i conj(w): the twiddle W^(3(Q-j)) from W^(3j), since W^(3Q) = -i.
VORLEN_FFT_INLINE Cx mirrorThrice(Cx w) {
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

/// Plain split of one butterfly with the twiddles W^j and W^(3j).
VORLEN_FFT_INLINE void splitPlain(Cx& a0, Cx& a1, Cx& a2, Cx& a3, Cx w1, Cx w3) {
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
VORLEN_FFT_INLINE void splitRotated(Cx& a0, Cx& a1, Cx& a2, Cx& a3, Cx w1, Cx v1, Cx w3, Cx v3) {
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
VORLEN_FFT_INLINE void splitRotated(Cx& a0, Cx& a1, Cx& a2, Cx& a3, Cx v1, Cx v3) {
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

/// Plain split of the butterfly at point `j` of a block at `a` with quarters
/// of `q` points, read (conjugated when `Conj` is set) and written in place.
template <bool Conj = false>
VORLEN_FFT_INLINE void splitPlainAt(double* a, int32_t j, int32_t q, Cx w1, Cx w3) {
    Cx a0 = loadPoint<Conj>(a, j);
    Cx a1 = loadPoint<Conj>(a, j + q);
    Cx a2 = loadPoint<Conj>(a, j + 2 * q);
    Cx a3 = loadPoint<Conj>(a, j + 3 * q);
    splitPlain(a0, a1, a2, a3, w1, w3);
    storePoint(a, j, a0);
    storePoint(a, j + q, a1);
    storePoint(a, j + 2 * q, a2);
    storePoint(a, j + 3 * q, a3);
}

/// Plain split of the butterfly at point 0 of a block (no twiddles).
template <bool Conj = false>
VORLEN_FFT_INLINE void splitPlainAtZero(double* a, int32_t q) {
    Cx a0 = loadPoint<Conj>(a, 0);
    Cx a1 = loadPoint<Conj>(a, q);
    Cx a2 = loadPoint<Conj>(a, 2 * q);
    Cx a3 = loadPoint<Conj>(a, 3 * q);
    splitPlain(a0, a1, a2, a3);
    storePoint(a, 0, a0);
    storePoint(a, q, a1);
    storePoint(a, 2 * q, a2);
    storePoint(a, 3 * q, a3);
}

/// Rotated split of the butterfly at point `j` of a block at `a`.
VORLEN_FFT_INLINE void splitRotatedAt(double* a, int32_t j, int32_t q, Cx w1, Cx v1, Cx w3, Cx v3) {
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

/// Rotated transform of four points, outputs in bit-reversed order; `c` is
/// cos(pi/4).
VORLEN_FFT_INLINE void dft4Rotated(Cx& y0, Cx& y1, Cx& y2, Cx& y3, double c) {
    splitRotated(y0, y1, y2, y3, Cx{c, c}, Cx{-c, c});
}

} // namespace vorlen::fft
