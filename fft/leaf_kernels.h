// The arithmetic of the 16-point leaves on interleaved points, shared by the
// leaf functions and the network's leaf blocks, where it inlines into
// straight-line code.
#pragma once

#include "butterflies.h"

#include <cstdint>
#include <utility>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// The twiddles of both 16-point leaves, built once per transform so that
/// no leaf rebuilds them.
struct Leaf16Twiddles {
    Tw eighth1; ///< e^(i pi/4)
    Tw eighth3; ///< e^(3i pi/4)
    Tw plain[4];
    Tw rotated[12];
};

/// The leaf twiddles from the segments of length 4 and 16 of table `w`; a
/// table too small to hold the segment of length 16 (nw < 32) serves only
/// the plain leaf, and the rotated twiddles are left as 1.
inline Leaf16Twiddles makeLeaf16Twiddles(const double* w, int32_t nw) noexcept {
    const double* seg4 = w + nw - 8;
    const double c = seg4[1];
    const double c8 = seg4[2]; // cos(pi/8)
    const double s8 = seg4[3]; // sin(pi/8)
    // Plain: W^j and W^(3j) with W = e^(i pi/8), for j = 1 and 3 (j = 2 is
    // e^(i pi/4) and e^(3i pi/4)).
    Leaf16Twiddles t{twiddle(c, c),
                     twiddle(-c, c),
                     {twiddle(c8, s8), twiddle(s8, c8), twiddle(s8, c8), twiddle(-c8, -s8)},
                     {}};
    if (nw < 32) {
        for (Tw& r : t.rotated) {
            r = twiddle(1.0, 0.0);
        }
        return t;
    }
    const double* seg16 = w + nw - 32;
    const double c1 = seg16[4]; // cos(pi/16)
    const double s1 = seg16[5];
    const double c2 = seg16[8]; // cos(2 pi/16)
    const double s2 = seg16[9];
    const double c3 = seg16[12]; // cos(3 pi/16)
    const double s3 = seg16[13];
    // Rotated: w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j) with
    // w = e^(i pi/16); angles in sixteenths of pi: j=1: 1, 5, 3, 15;
    // j=2: 2, 6, 6, 18; j=3: 3, 7, 9, 21.
    const Tw rotated[12] = {twiddle(c1, s1), twiddle(s3, c3), twiddle(c3, s3),  twiddle(-c1, s1),
                            twiddle(c2, s2), twiddle(s2, c2), twiddle(s2, c2),  twiddle(-c2, -s2),
                            twiddle(c3, s3), twiddle(s1, c1), twiddle(-s1, c1), twiddle(-s3, -c3)};
    for (int32_t i = 0; i < 12; ++i) {
        t.rotated[i] = rotated[i];
    }
    return t;
}

/// Sixteen points of a leaf, held in registers.
using Leaf16Points = Cx[16];

// Straight-line loads and stores with constant indices, so that the block's
// points stay in registers for the whole leaf.
template <int32_t Points, int32_t... P>
VORLEN_FFT_INLINE void loadBlock(const double* __restrict a, Cx (&v)[Points],
                                 std::integer_sequence<int32_t, P...> = {}) {
    if constexpr (sizeof...(P) == 0) {
        loadBlock(a, v, std::make_integer_sequence<int32_t, Points>{});
    } else {
        ((v[P] = loadPoint(a, P)), ...);
    }
}

template <int32_t Points, int32_t... P>
VORLEN_FFT_INLINE void storeBlock(double* __restrict a, const Cx (&v)[Points],
                                  std::integer_sequence<int32_t, P...> = {}) {
    if constexpr (sizeof...(P) == 0) {
        storeBlock(a, v, std::make_integer_sequence<int32_t, Points>{});
    } else {
        (storePoint(a, P, v[P]), ...);
    }
}

/// Y[k] = sum y[j] e^(+2 pi i j k / 16) or, `Rotated`, sum y[j]
/// e^(+2 pi i j (2k+1) / 32); outputs in bit-reversed order.
template <bool Rotated>
VORLEN_FFT_INLINE void leaf16Points(Leaf16Points& v, const Leaf16Twiddles& t) {
    if constexpr (Rotated) {
        const Tw* r = t.rotated;
        splitRotated(v[0], v[4], v[8], v[12], One{}, t.eighth1, One{}, t.eighth3);
        splitRotated(v[1], v[5], v[9], v[13], r[0], r[1], r[2], r[3]);
        splitRotated(v[2], v[6], v[10], v[14], r[4], r[5], r[6], r[7]);
        splitRotated(v[3], v[7], v[11], v[15], r[8], r[9], r[10], r[11]);
    } else {
        splitPlain(v[0], v[4], v[8], v[12], One{}, One{});
        splitPlain(v[1], v[5], v[9], v[13], t.plain[0], t.plain[1]);
        splitPlain(v[2], v[6], v[10], v[14], t.eighth1, t.eighth3);
        splitPlain(v[3], v[7], v[11], v[15], t.plain[2], t.plain[3]);
    }
    dft4Plain(v[0], v[1], v[2], v[3]);
    dft4Rotated(v[4], v[5], v[6], v[7], t.eighth1, t.eighth3);
    dft4Plain(v[8], v[9], v[10], v[11]);
    if constexpr (Rotated) {
        dft4Rotated(v[12], v[13], v[14], v[15], t.eighth1, t.eighth3);
    } else {
        dft4Plain(v[12], v[13], v[14], v[15]);
    }
}

/// The leaf of the 16 points at `a`, in place.
template <bool Rotated>
VORLEN_FFT_INLINE void leaf16(double* a, const Leaf16Twiddles& t) {
    Leaf16Points v;
    loadBlock(a, v);
    leaf16Points<Rotated>(v, t);
    storeBlock(a, v);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
