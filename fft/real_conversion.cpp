#include "real_conversion.h"

#include "butterflies.h"

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// With Z the half-length transform and theta = 2 pi k / n, bin k of the real
// sequence is Z[k] - (wr + i wi)(Z[k] - conj(Z[N-k])) where
// wr = 0.5 (1 - sin theta) and wi = 0.5 cos theta; the cosine table holds
// 0.5 cos at stride `step` from the front and 0.5 sin from the back. With
// y = w x, point k loses y and point N-k gains conj(y); the backward step
// uses conj(w).
template <bool Backward>
VORLEN_FFT_INLINE void convertPoint(const double* in, double* a, int32_t k, int32_t points,
                                    double wr, double wi) {
    const Tw w = twiddle(wr, Backward ? -wi : wi);
    const Cx zk = loadPoint(in, k);
    const Cx zm = loadPoint(in, points - k);
    const Cx y = w * (zk - conj(zm));
    storePoint(a, k, zk - y);
    storePoint(a, points - k, zm + conj(y));
}

// Points k..k+W-1 (`z`), their mirrors N-k-i in lane i (`mirror`) and the
// correction y of each, the operations of convertPoint lane by lane. Needs
// a step of 1 in the cosine table (nc = n/4), so that the twiddles are
// neighbours.
template <int W>
struct Converted {
    Points<W> z;
    Points<W> mirror;
    Points<W> y;
};

template <int W, bool Backward>
VORLEN_FFT_INLINE Converted<W> convertLanes(const double* in, int32_t k, int32_t points,
                                            const double* c, int32_t nc) {
    const int32_t m = points - k;
    Converted<W> f{
        loadInterleaved<W>(in + 2 * k), loadInterleavedReversed<W>(in + 2 * (m - W + 1)), {}};
    const Vec<W> sines = load<W>(c + nc - k - W + 1);
    const Vec<W> wr = splat<W>(0.5) - arrange<W, reversedLane>(sines, sines);
    const Vec<W> wi = load<W>(c + k);
    const Vec<W> xr = f.z.re - f.mirror.re;
    const Vec<W> xi = f.z.im + f.mirror.im;
    if constexpr (Backward) {
        f.y = {wr * xr + wi * xi, wr * xi - wi * xr};
    } else {
        f.y = {wr * xr - wi * xi, wr * xi + wi * xr};
    }
    return f;
}

// Points k.. in steps of W lanes while a whole step fits below n/4, then of
// narrower ones; returns the first point left.
template <int W, bool Backward>
int32_t convertRun(int32_t n, const double* in, double* a, int32_t k, const double* c,
                   int32_t nc) noexcept {
    const int32_t points = n / 2;
    for (; k + W - 1 < n / 4; k += W) {
        const Converted<W> f = convertLanes<W, Backward>(in, k, points, c, nc);
        const int32_t m = points - k;
        storeInterleaved<W>(a + 2 * k, f.z - f.y);
        storeInterleavedReversed<W>(a + 2 * (m - W + 1),
                                    {f.mirror.re + f.y.re, f.mirror.im - f.y.im});
    }
    if constexpr (W > 2) {
        return convertRun<W / 2, Backward>(n, in, a, k, c, nc);
    } else {
        return k;
    }
}

template <bool Backward>
void convert(int32_t n, const double* in, double* a, int32_t nc, const double* c) noexcept {
    const int32_t step = 4 * nc / n;
    const int32_t points = n / 2;
    int32_t k = 1;
    if (step == 1 && n >= 8) {
        convertPoint<Backward>(in, a, 1, points, 0.5 - c[nc - 1], c[1]);
        k = convertRun<kWidth, Backward>(n, in, a, 2, c, nc);
    }
    for (; k < n / 4; ++k) {
        const int32_t e = k * step;
        convertPoint<Backward>(in, a, k, points, 0.5 - c[nc - e], c[e]);
    }
}

constexpr int mirrorLane(int lane, int width) {
    return lane == 0 ? 0 : width - lane;
}

} // namespace

void realForwardPost(int32_t n, double* a, int32_t nc, const double* c) noexcept {
    convert<false>(n, a, a, nc, c);
}

void realBackwardPre(int32_t n, double* a, int32_t nc, const double* c) noexcept {
    convert<true>(n, a, a, nc, c);
}

void realBackwardPreLanes(int32_t n, const double* in, double* a, const double* c) noexcept {
    constexpr int W = kWidth;
    const int32_t points = n / 2;
    const int32_t nc = n / 4;
    // Points 0..W-1 and the mirrors of 1..W-1, one at a time: point 0 holds
    // (DC + Nyquist) / 2 and (DC - Nyquist) / 2.
    double first[2 * W];
    double last[2 * W] = {};
    const double half = 0.5 * (in[0] - in[n]);
    first[0] = in[0] - half;
    first[W] = -half;
    {
        const Tw w = twiddle(0.5 - c[nc - 1], -c[1]);
        const Cx zk = loadPoint(in, 1);
        const Cx zm = loadPoint(in, points - 1);
        const Cx y = w * (zk - conj(zm));
        const Cx point = conj(zk - y);
        const Cx mirror = conj(zm + conj(y));
        first[1] = point.v[0];
        first[W + 1] = point.v[1];
        last[W - 1] = mirror.v[0];
        last[2 * W - 1] = mirror.v[1];
    }
    // Negating an imaginary part costs nothing from here on: the
    // subtraction swaps its operands.
    for (int32_t k = 2; k < W; ++k) {
        const int32_t m = points - k;
        const double wr = 0.5 - c[nc - k];
        const double wi = c[k];
        const double xr = in[2 * k] - in[2 * m];
        const double xi = in[2 * k + 1] + in[2 * m + 1];
        const double yr = wr * xr + wi * xi;
        const double yi = wr * xi - wi * xr;
        first[k] = in[2 * k] - yr;
        first[W + k] = yi - in[2 * k + 1];
        last[W - k] = in[2 * m] + yr;
        last[2 * W - k] = yi - in[2 * m + 1];
    }
    storePoints<W>(a, loadPoints<W>(first));
    // Points k..k+W-1 fill the lanes at k; their mirrors N-k-i, i < W, fill
    // lane 0 of those at N-k, finishing them, and lanes W-1..1 of the ones
    // before.
    Points<W> pending = loadPoints<W>(last);
    for (int32_t k = W; k < n / 4; k += W) {
        const Converted<W> f = convertLanes<W, true>(in, k, points, c, nc);
        storePoints<W>(a + 2 * k, {f.z.re - f.y.re, f.y.im - f.z.im});
        const Vec<W> re = f.mirror.re + f.y.re;
        const Vec<W> im = f.y.im - f.mirror.im;
        const Points<W> lanes{arrange<W, mirrorLane>(re, re), arrange<W, mirrorLane>(im, im)};
        storePoints<W>(a + 2 * (points - k), blended<1>(pending, lanes));
        pending = lanes;
    }
    // Point N/2 is its own mirror.
    const Points<W> middle{splat<W>(in[points]), -splat<W>(in[points + 1])};
    storePoints<W>(a + points, blended<1>(pending, middle));
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
