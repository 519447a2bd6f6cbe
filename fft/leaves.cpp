#include "leaves.h"

#include "butterflies.h"

#include <utility>

namespace vorlen::fft {
namespace {

// Straight-line loads and stores with constant indices, so that the block's
// points stay in registers for the whole leaf.
template <int32_t Points, int32_t... P>
VORLEN_FFT_INLINE void loadAll(const double* __restrict a, Cx (&v)[Points],
                               std::integer_sequence<int32_t, P...> /*points*/) {
    ((v[P] = loadPoint(a, P)), ...);
}

template <int32_t Points, int32_t... P>
VORLEN_FFT_INLINE void storeAll(double* __restrict a, const Cx (&v)[Points],
                                std::integer_sequence<int32_t, P...> /*points*/) {
    (storePoint(a, P, v[P]), ...);
}

template <int32_t Points>
VORLEN_FFT_INLINE void load(const double* __restrict a, Cx (&v)[Points]) {
    loadAll(a, v, std::make_integer_sequence<int32_t, Points>{});
}

template <int32_t Points>
VORLEN_FFT_INLINE void store(double* __restrict a, const Cx (&v)[Points]) {
    storeAll(a, v, std::make_integer_sequence<int32_t, Points>{});
}

} // namespace

void leaf16Plain(double* a, const double* w, int32_t nw) noexcept {
    const double* seg = w + nw - 8;
    const double c = seg[1];
    const double c8 = seg[2]; // cos(pi/8)
    const double s8 = seg[3]; // sin(pi/8)
    Cx v[16];
    load(a, v);
    // Twiddles W^j and W^(3j) with W = e^(i pi/8), for j = 1, 2, 3.
    splitPlain(v[0], v[4], v[8], v[12]);
    splitPlain(v[1], v[5], v[9], v[13], Cx{c8, s8}, Cx{s8, c8});
    splitPlain(v[2], v[6], v[10], v[14], Cx{c, c}, Cx{-c, c});
    splitPlain(v[3], v[7], v[11], v[15], Cx{s8, c8}, Cx{-c8, -s8});
    dft4Plain(v[0], v[1], v[2], v[3]);
    dft4Rotated(v[4], v[5], v[6], v[7], c);
    dft4Plain(v[8], v[9], v[10], v[11]);
    dft4Plain(v[12], v[13], v[14], v[15]);
    store(a, v);
}

void leaf16Rotated(double* a, const double* w, int32_t nw) noexcept {
    const double* seg = w + nw - 32;
    const double c = seg[1];
    const double c1 = seg[4]; // cos(pi/16)
    const double s1 = seg[5];
    const double c2 = seg[8]; // cos(2 pi/16)
    const double s2 = seg[9];
    const double c3 = seg[12]; // cos(3 pi/16)
    const double s3 = seg[13];
    Cx v[16];
    load(a, v);
    // Factors w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j) with
    // w = e^(i pi/16); angles in sixteenths of pi: j=1: 1, 5, 3, 15;
    // j=2: 2, 6, 6, 18; j=3: 3, 7, 9, 21.
    splitRotated(v[0], v[4], v[8], v[12], Cx{c, c}, Cx{-c, c});
    splitRotated(v[1], v[5], v[9], v[13], Cx{c1, s1}, Cx{s3, c3}, Cx{c3, s3}, Cx{-c1, s1});
    splitRotated(v[2], v[6], v[10], v[14], Cx{c2, s2}, Cx{s2, c2}, Cx{s2, c2}, Cx{-c2, -s2});
    splitRotated(v[3], v[7], v[11], v[15], Cx{c3, s3}, Cx{s1, c1}, Cx{-s1, c1}, Cx{-s3, -c3});
    dft4Plain(v[0], v[1], v[2], v[3]);
    dft4Rotated(v[4], v[5], v[6], v[7], c);
    dft4Plain(v[8], v[9], v[10], v[11]);
    dft4Rotated(v[12], v[13], v[14], v[15], c);
    store(a, v);
}

void leaf8Plain(double* a, const double* w, int32_t /*nw*/) noexcept {
    const double c = w[1];
    Cx v[8];
    load(a, v);
    splitPlain(v[0], v[2], v[4], v[6]);
    splitPlain(v[1], v[3], v[5], v[7], Cx{c, c}, Cx{-c, c});
    dft2Plain(v[0], v[1]);
    dft2Rotated(v[2], v[3]);
    dft2Plain(v[4], v[5]);
    dft2Plain(v[6], v[7]);
    store(a, v);
}

void leaf8Rotated(double* a, const double* w, int32_t nw) noexcept {
    const double* seg = w + nw - 8;
    const double c = seg[1];
    const double c8 = seg[2]; // cos(pi/8)
    const double s8 = seg[3]; // sin(pi/8)
    Cx v[8];
    load(a, v);
    // With w = e^(i pi/8), j = 1: w, e^(3i pi/8), w^3, e^(9i pi/8).
    splitRotated(v[0], v[2], v[4], v[6], Cx{c, c}, Cx{-c, c});
    splitRotated(v[1], v[3], v[5], v[7], Cx{c8, s8}, Cx{s8, c8}, Cx{s8, c8}, Cx{-c8, -s8});
    dft2Plain(v[0], v[1]);
    dft2Rotated(v[2], v[3]);
    dft2Plain(v[4], v[5]);
    dft2Rotated(v[6], v[7]);
    store(a, v);
}

} // namespace vorlen::fft
