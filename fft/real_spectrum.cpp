#include "real_spectrum.h"

namespace vorlen::fft {

// With Z the half-length transform and theta = 2 pi k / n, bin k of the real
// sequence is Z[k] - (wr + i wi)(Z[k] - conj(Z[N-k])) where
// wr = 0.5 (1 - sin theta) and wi = 0.5 cos theta; the cosine table holds
// 0.5 cos at stride `step` from the front and 0.5 sin from the back.

void realForwardPost(int32_t n, double* __restrict a, int32_t nc, const double* c) noexcept {
    const int32_t step = 4 * nc / n;
    for (int32_t k = 1; k < n / 4; ++k) {
        const int32_t j = 2 * k;
        const int32_t q = n - j;
        const int32_t e = k * step;
        const double wr = 0.5 - c[nc - e];
        const double wi = c[e];
        const double xr = a[j] - a[q];
        const double xi = a[j + 1] + a[q + 1];
        const double yr = wr * xr - wi * xi;
        const double yi = wr * xi + wi * xr;
        a[j] -= yr;
        a[j + 1] -= yi;
        a[q] += yr;
        a[q + 1] -= yi;
    }
}

void realBackwardPre(int32_t n, double* __restrict a, int32_t nc, const double* c) noexcept {
    const int32_t step = 4 * nc / n;
    for (int32_t k = 1; k < n / 4; ++k) {
        const int32_t j = 2 * k;
        const int32_t q = n - j;
        const int32_t e = k * step;
        const double wr = 0.5 - c[nc - e];
        const double wi = c[e];
        const double xr = a[j] - a[q];
        const double xi = a[j + 1] + a[q + 1];
        const double yr = wr * xr + wi * xi;
        const double yi = wr * xi - wi * xr;
        a[j] -= yr;
        a[j + 1] -= yi;
        a[q] += yr;
        a[q + 1] -= yi;
    }
}

} // namespace vorlen::fft
