#include "real_spectrum.h"

#include "butterflies.h"

namespace vorlen::fft {

// With Z the half-length transform and theta = 2 pi k / n, bin k of the real
// sequence is Z[k] - (wr + i wi)(Z[k] - conj(Z[N-k])) where
// wr = 0.5 (1 - sin theta) and wi = 0.5 cos theta; the cosine table holds
// 0.5 cos at stride `step` from the front and 0.5 sin from the back. With
// y = w x, point k loses y and point N-k gains conj(y).

void realForwardPost(int32_t n, double* __restrict a, int32_t nc, const double* c) noexcept {
    const int32_t step = 4 * nc / n;
    const int32_t points = n / 2;
    for (int32_t k = 1; k < n / 4; ++k) {
        const int32_t e = k * step;
        const Tw w = twiddle(0.5 - c[nc - e], c[e]);
        const Cx zk = loadPoint(a, k);
        const Cx zm = loadPoint(a, points - k);
        const Cx y = w * (zk - conj(zm));
        storePoint(a, k, zk - y);
        storePoint(a, points - k, zm + conj(y));
    }
}

void realBackwardPreFrom(int32_t n, const double* in, double* a, int32_t nc,
                         const double* c) noexcept {
    const int32_t step = 4 * nc / n;
    const int32_t points = n / 2;
    for (int32_t k = 1; k < n / 4; ++k) {
        const int32_t e = k * step;
        const Tw w = twiddle(0.5 - c[nc - e], -c[e]);
        const Cx zk = loadPoint(in, k);
        const Cx zm = loadPoint(in, points - k);
        const Cx y = w * (zk - conj(zm));
        storePoint(a, k, zk - y);
        storePoint(a, points - k, zm + conj(y));
    }
    if (n >= 4) {
        storePoint(a, n / 4, loadPoint(in, n / 4));
    }
}

void realBackwardPre(int32_t n, double* a, int32_t nc, const double* c) noexcept {
    realBackwardPreFrom(n, a, a, nc, c);
}

} // namespace vorlen::fft
