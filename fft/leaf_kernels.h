// The arithmetic of the 16-point leaves on interleaved points, shared by the
// leaf functions and the network's leaf blocks, where it inlines into
// straight-line code.
#pragma once

#include "butterflies.h"

#include <cstdint>
#include <utility>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

inline constexpr double kNoSegment16[16] = {};

/// The twiddles of the leaves' first split for points 0..3, real parts then
/// imaginary parts (point 0 takes 1 where the interleaved leaves take no
/// factor), and cos(pi/4). Plain doubles, aligned to 16 bytes at most (see
/// BlockTwiddles).
struct alignas(16) LeafTwiddles {
    double plain[2][8];   ///< W^j, W^(3j)
    double rotated[4][8]; ///< w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j)
    double eighth;
    Tw eighth1; ///< e^(i pi/4)
    Tw eighth3; ///< e^(3i pi/4)
};

/// The leaf twiddles from the segments of length 4 and 16 of table `w`; a
/// table too small to hold the one of length 16 (nw < 32) serves only the
/// plain leaf, and the rotated twiddles are left as 0.
inline LeafTwiddles makeLeafTwiddles(const double* w, int32_t nw) noexcept {
    const double* seg4 = w + nw - 8;
    const double c = seg4[1];
    const double c8 = seg4[2]; // cos(pi/8)
    const double s8 = seg4[3]; // sin(pi/8)
    const double* seg16 = nw >= 32 ? w + nw - 32 : kNoSegment16;
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
        twiddle(c, c),
        twiddle(-c, c),
    };
}

/// The twiddles of the interleaved 16-point leaves, built once per
/// transform so that no leaf rebuilds them.
struct Leaf16Twiddles {
    Tw eighth1;     ///< e^(i pi/4)
    Tw eighth3;     ///< e^(3i pi/4)
    Tw plain[4];    ///< W^j, W^(3j) for j = 1, 3 (j = 2 takes the eighths)
    Tw rotated[12]; ///< w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j) for j = 1..3
};

/// Lane `lane` of the twiddles at `p` (LeafTwiddles' layout).
inline Tw laneTwiddle(const double* p, int32_t lane) noexcept {
    return twiddle(p[lane], p[4 + lane]);
}

/// The interleaved leaves' twiddles from table `w` (see makeLeafTwiddles).
inline Leaf16Twiddles makeLeaf16Twiddles(const double* w, int32_t nw) noexcept {
    const LeafTwiddles l = makeLeafTwiddles(w, nw);
    Leaf16Twiddles t{l.eighth1,
                     l.eighth3,
                     {laneTwiddle(l.plain[0], 1), laneTwiddle(l.plain[1], 1),
                      laneTwiddle(l.plain[0], 3), laneTwiddle(l.plain[1], 3)},
                     {}};
    for (int32_t j = 1; j < 4; ++j) {
        for (int32_t f = 0; f < 4; ++f) {
            t.rotated[4 * (j - 1) + f] = laneTwiddle(l.rotated[f], j);
        }
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
    splitPlain(v[0], v[1], v[2], v[3], One{}, One{});
    splitRotated(v[4], v[5], v[6], v[7], One{}, t.eighth1, One{}, t.eighth3);
    splitPlain(v[8], v[9], v[10], v[11], One{}, One{});
    if constexpr (Rotated) {
        splitRotated(v[12], v[13], v[14], v[15], One{}, t.eighth1, One{}, t.eighth3);
    } else {
        splitPlain(v[12], v[13], v[14], v[15], One{}, One{});
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
