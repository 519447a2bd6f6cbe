#include "leaves.h"

#include "butterflies.h"
#include "leaf_kernels.h"

#include <utility>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
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
    const Leaf16Twiddles t = makeLeaf16Twiddles(w, nw);
    Leaf16Points v;
    loadLeaf(a, v);
    leaf16PlainPoints(v, t);
    storeLeaf(a, v);
}

void leaf16Rotated(double* a, const double* w, int32_t nw) noexcept {
    const Leaf16Twiddles t = makeLeaf16Twiddles(w, nw);
    Leaf16Points v;
    loadLeaf(a, v);
    leaf16RotatedPoints(v, t);
    storeLeaf(a, v);
}

void leaf8Plain(double* a, const double* w, int32_t /*nw*/) noexcept {
    const double c = w[1];
    Cx v[8];
    load(a, v);
    splitPlain(v[0], v[2], v[4], v[6]);
    splitPlain(v[1], v[3], v[5], v[7], twiddle(c, c), twiddle(-c, c));
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
    splitRotated(v[0], v[2], v[4], v[6], twiddle(c, c), twiddle(-c, c));
    splitRotated(v[1], v[3], v[5], v[7], twiddle(c8, s8), twiddle(s8, c8), twiddle(s8, c8),
                 twiddle(-c8, -s8));
    dft2Plain(v[0], v[1]);
    dft2Rotated(v[2], v[3]);
    dft2Plain(v[4], v[5]);
    dft2Rotated(v[6], v[7]);
    store(a, v);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
