#include "leaves.h"

#include "butterflies.h"
#include "leaf_kernels.h"

#include <utility>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
void leaf16Plain(double* a, const double* w, int32_t nw) noexcept {
    leaf16<false>(a, makeLeaf16Twiddles(w, nw));
}

void leaf16Rotated(double* a, const double* w, int32_t nw) noexcept {
    leaf16<true>(a, makeLeaf16Twiddles(w, nw));
}

void leaf8Plain(double* a, const double* w, int32_t /*nw*/) noexcept {
    const double c = w[1];
    Cx v[8];
    loadBlock(a, v);
    splitPlain(v[0], v[2], v[4], v[6], One{}, One{});
    splitPlain(v[1], v[3], v[5], v[7], twiddle(c, c), twiddle(-c, c));
    dft2Plain(v[0], v[1]);
    dft2Rotated(v[2], v[3]);
    dft2Plain(v[4], v[5]);
    dft2Plain(v[6], v[7]);
    storeBlock(a, v);
}

void leaf8Rotated(double* a, const double* w, int32_t nw) noexcept {
    const double* seg = w + nw - 8;
    const double c = seg[1];
    const double c8 = seg[2]; // cos(pi/8)
    const double s8 = seg[3]; // sin(pi/8)
    Cx v[8];
    loadBlock(a, v);
    // With w = e^(i pi/8), j = 1: w, e^(3i pi/8), w^3, e^(9i pi/8).
    splitRotated(v[0], v[2], v[4], v[6], One{}, twiddle(c, c), One{}, twiddle(-c, c));
    splitRotated(v[1], v[3], v[5], v[7], twiddle(c8, s8), twiddle(s8, c8), twiddle(s8, c8),
                 twiddle(-c8, -s8));
    dft2Plain(v[0], v[1]);
    dft2Rotated(v[2], v[3]);
    dft2Plain(v[4], v[5]);
    dft2Rotated(v[6], v[7]);
    storeBlock(a, v);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
