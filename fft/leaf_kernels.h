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

template <int32_t... P>
VORLEN_FFT_INLINE void loadLeaf(const double* __restrict a, Leaf16Points& v,
                                std::integer_sequence<int32_t, P...> /*points*/) {
    ((v[P] = loadPoint(a, P)), ...);
}

/// Loads the 16 points at `a`.
VORLEN_FFT_INLINE void loadLeaf(const double* __restrict a, Leaf16Points& v) {
    loadLeaf(a, v, std::make_integer_sequence<int32_t, 16>{});
}

template <int32_t... P>
VORLEN_FFT_INLINE void storeLeaf(double* __restrict a, const Leaf16Points& v,
                                 std::integer_sequence<int32_t, P...> /*points*/) {
    (storePoint(a, P, v[P]), ...);
}

/// Stores the 16 points back at `a`, outputs in bit-reversed order.
VORLEN_FFT_INLINE void storeLeaf(double* __restrict a, const Leaf16Points& v) {
    storeLeaf(a, v, std::make_integer_sequence<int32_t, 16>{});
}

/// Y[k] = sum y[j] e^(+2 pi i j k / 16), outputs in bit-reversed order.
VORLEN_FFT_INLINE void leaf16PlainPoints(Leaf16Points& v, const Leaf16Twiddles& t) {
    splitPlain(v[0], v[4], v[8], v[12]);
    splitPlain(v[1], v[5], v[9], v[13], t.plain[0], t.plain[1]);
    splitPlain(v[2], v[6], v[10], v[14], t.eighth1, t.eighth3);
    splitPlain(v[3], v[7], v[11], v[15], t.plain[2], t.plain[3]);
    dft4Plain(v[0], v[1], v[2], v[3]);
    dft4Rotated(v[4], v[5], v[6], v[7], t.eighth1, t.eighth3);
    dft4Plain(v[8], v[9], v[10], v[11]);
    dft4Plain(v[12], v[13], v[14], v[15]);
}

/// Y[k] = sum y[j] e^(+2 pi i j (2k+1) / 32), outputs in bit-reversed order.
VORLEN_FFT_INLINE void leaf16RotatedPoints(Leaf16Points& v, const Leaf16Twiddles& t) {
    splitRotated(v[0], v[4], v[8], v[12], t.eighth1, t.eighth3);
    splitRotated(v[1], v[5], v[9], v[13], t.rotated[0], t.rotated[1], t.rotated[2], t.rotated[3]);
    splitRotated(v[2], v[6], v[10], v[14], t.rotated[4], t.rotated[5], t.rotated[6], t.rotated[7]);
    splitRotated(v[3], v[7], v[11], v[15], t.rotated[8], t.rotated[9], t.rotated[10],
                 t.rotated[11]);
    dft4Plain(v[0], v[1], v[2], v[3]);
    dft4Rotated(v[4], v[5], v[6], v[7], t.eighth1, t.eighth3);
    dft4Plain(v[8], v[9], v[10], v[11]);
    dft4Rotated(v[12], v[13], v[14], v[15], t.eighth1, t.eighth3);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
