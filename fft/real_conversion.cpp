#include "real_conversion.h"

#include "butterflies.h"
#include "oct_points.h"
#include "point_pairs.h"

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

#if VORLEN_FFT_SSE2
// Points k and k+1 at once, with the real parts in one register and the
// imaginary parts in another: the same operations as convertPoint, rounded
// alike, without a shuffle per multiplication. Needs a step of 1 in the
// cosine table (nc = n/4), so that both twiddles are neighbours.
template <bool Backward>
VORLEN_FFT_INLINE void convertTwoPoints(const double* in, double* a, int32_t k, int32_t points,
                                        const double* c, int32_t nc) {
    const int32_t m = points - k;
    const __m128d p0 = _mm_loadu_pd(in + 2 * k);
    const __m128d p1 = _mm_loadu_pd(in + 2 * k + 2);
    const __m128d q0 = _mm_loadu_pd(in + 2 * m);
    const __m128d q1 = _mm_loadu_pd(in + 2 * m - 2);
    const __m128d ar = _mm_unpacklo_pd(p0, p1);
    const __m128d ai = _mm_unpackhi_pd(p0, p1);
    const __m128d br = _mm_unpacklo_pd(q0, q1);
    const __m128d bi = _mm_unpackhi_pd(q0, q1);
    const __m128d sines = _mm_loadu_pd(c + nc - k - 1);
    const __m128d wr = _mm_sub_pd(_mm_set1_pd(0.5), _mm_shuffle_pd(sines, sines, 1));
    const __m128d wi = _mm_loadu_pd(c + k);
    const __m128d xr = _mm_sub_pd(ar, br);
    const __m128d xi = _mm_add_pd(ai, bi);
    __m128d yr;
    __m128d yi;
    if constexpr (Backward) {
        yr = _mm_add_pd(_mm_mul_pd(wr, xr), _mm_mul_pd(wi, xi));
        yi = _mm_sub_pd(_mm_mul_pd(wr, xi), _mm_mul_pd(wi, xr));
    } else {
        yr = _mm_sub_pd(_mm_mul_pd(wr, xr), _mm_mul_pd(wi, xi));
        yi = _mm_add_pd(_mm_mul_pd(wr, xi), _mm_mul_pd(wi, xr));
    }
    const __m128d nar = _mm_sub_pd(ar, yr);
    const __m128d nai = _mm_sub_pd(ai, yi);
    const __m128d nbr = _mm_add_pd(br, yr);
    const __m128d nbi = _mm_sub_pd(bi, yi);
    _mm_storeu_pd(a + 2 * k, _mm_unpacklo_pd(nar, nai));
    _mm_storeu_pd(a + 2 * k + 2, _mm_unpackhi_pd(nar, nai));
    _mm_storeu_pd(a + 2 * m, _mm_unpacklo_pd(nbr, nbi));
    _mm_storeu_pd(a + 2 * m - 2, _mm_unpackhi_pd(nbr, nbi));
}
#endif

#if VORLEN_FFT_WIDE
// The two doubles at `p` in both halves: a load, with no shuffle.
VORLEN_FFT_INLINE __m256d bothHalves(const double* p) {
    return _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(p));
}

// Points k to k+3 and their mirrors, with the conversion's correction y. The
// lanes hold the points k, k+2, k+1, k+3 and the mirrors N-k, N-k-2, N-k-1,
// N-k-3: the order that unpacking interleaved points gives.
struct FourPoints {
    __m256d ar; ///< real parts of the points
    __m256d ai; ///< imaginary parts of the points
    __m256d br; ///< real parts of the mirrors
    __m256d bi; ///< imaginary parts of the mirrors
    __m256d yr; ///< real parts of y
    __m256d yi; ///< imaginary parts of y
};

// The operations of convertPoint on four points, rounded alike. Needs a step
// of 1 in the cosine table (nc = n/4).
template <bool Backward>
VORLEN_FFT_INLINE FourPoints convertFour(const double* in, int32_t k, int32_t points,
                                         const double* c, int32_t nc) {
    const int32_t m = points - k;
    const __m256d p0 = _mm256_loadu_pd(in + 2 * k);
    const __m256d p1 = _mm256_loadu_pd(in + 2 * k + 4);
    // Points m, m-1 and m-2, m-3 one per half, from loads that fill both
    // halves: exchanging halves would compete with the additions.
    const __m256d q0 = _mm256_blend_pd(bothHalves(in + 2 * m), bothHalves(in + 2 * m - 2), 0b1100);
    const __m256d q1 =
        _mm256_blend_pd(bothHalves(in + 2 * m - 4), bothHalves(in + 2 * m - 6), 0b1100);
    FourPoints f;
    f.ar = _mm256_unpacklo_pd(p0, p1);
    f.ai = _mm256_unpackhi_pd(p0, p1);
    f.br = _mm256_unpacklo_pd(q0, q1);
    f.bi = _mm256_unpackhi_pd(q0, q1);
    // 0.5 cos of k, k+2, k+1, k+3 and 0.5 sin, read backwards from the end.
    const __m256d wi = _mm256_shuffle_pd(bothHalves(c + k), bothHalves(c + k + 2), 0b1100);
    const __m256d sines =
        _mm256_shuffle_pd(bothHalves(c + nc - k - 1), bothHalves(c + nc - k - 3), 0b0011);
    const __m256d wr = _mm256_sub_pd(_mm256_set1_pd(0.5), sines);
    const __m256d xr = _mm256_sub_pd(f.ar, f.br);
    const __m256d xi = _mm256_add_pd(f.ai, f.bi);
    if constexpr (Backward) {
        f.yr = _mm256_add_pd(_mm256_mul_pd(wr, xr), _mm256_mul_pd(wi, xi));
        f.yi = _mm256_sub_pd(_mm256_mul_pd(wr, xi), _mm256_mul_pd(wi, xr));
    } else {
        f.yr = _mm256_sub_pd(_mm256_mul_pd(wr, xr), _mm256_mul_pd(wi, xi));
        f.yi = _mm256_add_pd(_mm256_mul_pd(wr, xi), _mm256_mul_pd(wi, xr));
    }
    return f;
}

// Points k to k+3 at once, as convertTwoPoints does two.
template <bool Backward>
VORLEN_FFT_INLINE void convertFourPoints(const double* in, double* a, int32_t k, int32_t points,
                                         const double* c, int32_t nc) {
    const int32_t m = points - k;
    const FourPoints f = convertFour<Backward>(in, k, points, c, nc);
    const __m256d nar = _mm256_sub_pd(f.ar, f.yr);
    const __m256d nai = _mm256_sub_pd(f.ai, f.yi);
    const __m256d nbr = halvesSwapped(_mm256_add_pd(f.br, f.yr));
    const __m256d nbi = halvesSwapped(_mm256_sub_pd(f.bi, f.yi));
    _mm256_storeu_pd(a + 2 * k, _mm256_unpacklo_pd(nar, nai));
    _mm256_storeu_pd(a + 2 * k + 4, _mm256_unpackhi_pd(nar, nai));
    _mm256_storeu_pd(a + 2 * m - 2, _mm256_unpacklo_pd(nbr, nbi));
    _mm256_storeu_pd(a + 2 * m - 6, _mm256_unpackhi_pd(nbr, nbi));
}
#endif

#if VORLEN_FFT_OCTS
// Points m, m-1, .., m-7 of an interleaved array, in lanes 0 to 7.
VORLEN_FFT_INLINE P8 loadMirroredOct(const double* in, int32_t m) {
    const __m512d q0 = _mm512_loadu_pd(in + 2 * m - 14);
    const __m512d q1 = _mm512_loadu_pd(in + 2 * m - 6);
    const __m512i re = _mm512_setr_epi64(14, 12, 10, 8, 6, 4, 2, 0);
    const __m512i im = _mm512_setr_epi64(15, 13, 11, 9, 7, 5, 3, 1);
    return {_mm512_permutex2var_pd(q0, re, q1), _mm512_permutex2var_pd(q0, im, q1)};
}

// 0.5 sin of points k..k+7 from the cosine table of nc = n/4 entries, read
// backwards from its end.
VORLEN_FFT_INLINE __m512d sinesOct(const double* c, int32_t nc, int32_t k) {
    const __m512i reversed = _mm512_setr_epi64(7, 6, 5, 4, 3, 2, 1, 0);
    return _mm512_permutexvar_pd(reversed, _mm512_loadu_pd(c + nc - k - 7));
}

// Points k to k+7 and their mirrors N-k to N-k-7 lane by lane, as
// convertFourPoints does four, rounded alike. Needs a step of 1 in the
// cosine table (nc = n/4).
template <bool Backward>
VORLEN_FFT_INLINE void convertEightPoints(const double* in, double* a, int32_t k, int32_t points,
                                          const double* c, int32_t nc) {
    const int32_t m = points - k;
    const P8 z = loadInterleavedOct(in, k);
    const P8 mirror = loadMirroredOct(in, m);
    const __m512d br = mirror.re;
    const __m512d bi = mirror.im;
    const __m512d wr = _mm512_sub_pd(_mm512_set1_pd(0.5), sinesOct(c, nc, k));
    const __m512d wi = _mm512_loadu_pd(c + k);
    const __m512d xr = _mm512_sub_pd(z.re, br);
    const __m512d xi = _mm512_add_pd(z.im, bi);
    __m512d yr;
    __m512d yi;
    if constexpr (Backward) {
        yr = _mm512_add_pd(_mm512_mul_pd(wr, xr), _mm512_mul_pd(wi, xi));
        yi = _mm512_sub_pd(_mm512_mul_pd(wr, xi), _mm512_mul_pd(wi, xr));
    } else {
        yr = _mm512_sub_pd(_mm512_mul_pd(wr, xr), _mm512_mul_pd(wi, xi));
        yi = _mm512_add_pd(_mm512_mul_pd(wr, xi), _mm512_mul_pd(wi, xr));
    }
    const __m512d nar = _mm512_sub_pd(z.re, yr);
    const __m512d nai = _mm512_sub_pd(z.im, yi);
    const __m512d nbr = _mm512_add_pd(br, yr);
    const __m512d nbi = _mm512_sub_pd(bi, yi);
    const __m512i pointsLow = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
    const __m512i pointsHigh = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
    const __m512i mirrorsLow = _mm512_setr_epi64(7, 15, 6, 14, 5, 13, 4, 12);
    const __m512i mirrorsHigh = _mm512_setr_epi64(3, 11, 2, 10, 1, 9, 0, 8);
    _mm512_storeu_pd(a + 2 * k, _mm512_permutex2var_pd(nar, pointsLow, nai));
    _mm512_storeu_pd(a + 2 * k + 8, _mm512_permutex2var_pd(nar, pointsHigh, nai));
    _mm512_storeu_pd(a + 2 * m - 14, _mm512_permutex2var_pd(nbr, mirrorsLow, nbi));
    _mm512_storeu_pd(a + 2 * m - 6, _mm512_permutex2var_pd(nbr, mirrorsHigh, nbi));
}
#endif

template <bool Backward>
void convert(int32_t n, const double* in, double* a, int32_t nc, const double* c) noexcept {
    const int32_t step = 4 * nc / n;
    const int32_t points = n / 2;
    int32_t k = 1;
#if VORLEN_FFT_SSE2
    if (step == 1 && n >= 8) {
        convertPoint<Backward>(in, a, 1, points, 0.5 - c[nc - 1], c[1]);
        k = 2;
#if VORLEN_FFT_OCTS
        for (; k + 7 < n / 4; k += 8) {
            convertEightPoints<Backward>(in, a, k, points, c, nc);
        }
#endif
#if VORLEN_FFT_WIDE
        for (; k + 3 < n / 4; k += 4) {
            convertFourPoints<Backward>(in, a, k, points, c, nc);
        }
#endif
        for (; k + 1 < n / 4; k += 2) {
            convertTwoPoints<Backward>(in, a, k, points, c, nc);
        }
    }
#endif
    for (; k < n / 4; ++k) {
        const int32_t e = k * step;
        convertPoint<Backward>(in, a, k, points, 0.5 - c[nc - e], c[e]);
    }
}

} // namespace

void realForwardPost(int32_t n, double* a, int32_t nc, const double* c) noexcept {
    convert<false>(n, a, a, nc, c);
}

void realBackwardPre(int32_t n, double* a, int32_t nc, const double* c) noexcept {
    convert<true>(n, a, a, nc, c);
}

void realBackwardPrePairs(int32_t n, const double* in, double* a, const double* c) noexcept {
    const int32_t points = n / 2;
    const int32_t nc = n / 4;
    // Doubles 0 and 1 become (DC + Nyquist) / 2 and (DC - Nyquist) / 2.
    const double half = 0.5 * (in[0] - in[n]);
    storePointOfPairs(a, 0, complexOf(in[0] - half, -half));
    storePointOfPairs(a, n / 4, conj(loadPoint(in, n / 4)));
    {
        const Tw w = twiddle(0.5 - c[nc - 1], -c[1]);
        const Cx zk = loadPoint(in, 1);
        const Cx zm = loadPoint(in, points - 1);
        const Cx y = w * (zk - conj(zm));
        storePointOfPairs(a, 1, conj(zk - y));
        storePointOfPairs(a, points - 1, conj(zm + conj(y)));
    }
    // Points k, k+1 fill one pair; their mirrors m = N-k and m-1 are the
    // first lane of pair m/2 and the second of pair m/2 - 1. Negating an
    // imaginary part costs nothing here: the subtraction swaps its operands.
    int32_t k = 2;
#if VORLEN_FFT_WIDE
    // Points k..k+3 fill two pairs; of their mirrors, m-2 and m-1 fill one,
    // m is the first lane of pair m/2 and m-3 the second of pair m/2 - 2.
    for (; k + 3 < n / 4; k += 4) {
        const int32_t m = points - k;
        const FourPoints f = convertFour<true>(in, k, points, c, nc);
        const __m256d re = _mm256_sub_pd(f.ar, f.yr);
        const __m256d im = _mm256_sub_pd(f.yi, f.ai);
        const __m256d lo = _mm256_permute2f128_pd(re, im, 0x20);
        const __m256d hi = _mm256_permute2f128_pd(re, im, 0x31);
        _mm256_storeu_pd(a + 2 * k, _mm256_unpacklo_pd(lo, hi));
        _mm256_storeu_pd(a + 2 * k + 4, _mm256_unpackhi_pd(lo, hi));
        const __m256d mre = _mm256_add_pd(f.br, f.yr);
        const __m256d mim = _mm256_sub_pd(f.yi, f.bi);
        const __m256d mlo = _mm256_permute2f128_pd(mre, mim, 0x20);
        const __m256d mhi = _mm256_permute2f128_pd(mre, mim, 0x31);
        _mm256_storeu_pd(a + 2 * m - 4, _mm256_shuffle_pd(mlo, mhi, 0b0101));
        _mm_storel_pd(a + 2 * m, _mm256_castpd256_pd128(mlo));
        _mm_storel_pd(a + 2 * m + 2, _mm256_extractf128_pd(mlo, 1));
        _mm_storeh_pd(a + 2 * m - 7, _mm256_castpd256_pd128(mhi));
        _mm_storeh_pd(a + 2 * m - 5, _mm256_extractf128_pd(mhi, 1));
    }
#endif
    for (; k + 1 < n / 4; k += 2) {
        const int32_t m = points - k;
        const Px z = loadInterleaved(in, k);
        Px mirror;
        joinLanes(loadPoint(in, m), loadPoint(in, m - 1), mirror.re, mirror.im);
        const V2 sines = load2(c + nc - k - 1);
        const V2 wr = lanes(0.5, 0.5) - swapped(sines);
        const V2 wi = load2(c + k);
        const V2 xr = z.re - mirror.re;
        const V2 xi = z.im + mirror.im;
        const V2 yr = wr * xr + wi * xi;
        const V2 yi = wr * xi - wi * xr;
        store2(a + 2 * k, z.re - yr);
        store2(a + 2 * k + 2, yi - z.im);
        const V2 mr = mirror.re + yr;
        const V2 mi = yi - mirror.im;
        storeLow(a + 2 * m, mr);
        storeLow(a + 2 * m + 2, mi);
        storeHigh(a + 2 * m - 3, mr);
        storeHigh(a + 2 * m - 1, mi);
    }
}

#if VORLEN_FFT_WIDE
namespace {

// The correction of the backward conversion for point k and its mirror
// m = N - k, as the pair loop of realBackwardPrePairs computes it, written
// conjugated to `point` and `mirror`.
void convertBackwardPoint(const double* in, int32_t k, int32_t points, const double* c, int32_t nc,
                          double (&point)[2], double (&mirror)[2]) noexcept {
    const int32_t m = points - k;
    const double wr = 0.5 - c[nc - k];
    const double wi = c[k];
    const double xr = in[2 * k] - in[2 * m];
    const double xi = in[2 * k + 1] + in[2 * m + 1];
    const double yr = wr * xr + wi * xi;
    const double yi = wr * xi - wi * xr;
    point[0] = in[2 * k] - yr;
    point[1] = yi - in[2 * k + 1];
    mirror[0] = in[2 * m] + yr;
    mirror[1] = yi - in[2 * m + 1];
}

// (v0, v3, v2, v1) of v = (v0, v1, v2, v3): lane i of v is the mirror
// N - k - i, which lands in lane 0 of quad (N - k)/4 for i = 0 and in lane
// 4 - i of the quad before it otherwise.
VORLEN_FFT_INLINE __m256d mirrorLanes(__m256d v) {
    return _mm256_shuffle_pd(v, _mm256_permute2f128_pd(v, v, 1), 0b1010);
}

// Points 0 to 3 (`quad0`) and the mirrors of 1 to 3 (lanes 3 to 1 of
// `pending`) as realBackwardPrePairs makes them.
void firstQuads(int32_t n, const double* in, const double* c, P4& quad0, P4& pending) noexcept {
    const int32_t points = n / 2;
    const int32_t nc = n / 4;
    const double half = 0.5 * (in[0] - in[n]);
    Cx first;
    Cx firstMirror;
    {
        const Tw w = twiddle(0.5 - c[nc - 1], -c[1]);
        const Cx zk = loadPoint(in, 1);
        const Cx zm = loadPoint(in, points - 1);
        const Cx y = w * (zk - conj(zm));
        first = conj(zk - y);
        firstMirror = conj(zm + conj(y));
    }
    double p2[2];
    double m2[2];
    double p3[2];
    double m3[2];
    convertBackwardPoint(in, 2, points, c, nc, p2, m2);
    convertBackwardPoint(in, 3, points, c, nc, p3, m3);
    double quad[8];
    storeParts(&quad[1], &quad[5], first);
    quad[0] = in[0] - half;
    quad[4] = -half;
    quad[2] = p2[0];
    quad[6] = p2[1];
    quad[3] = p3[0];
    quad[7] = p3[1];
    double lastQuad[8];
    storeParts(&lastQuad[3], &lastQuad[7], firstMirror);
    lastQuad[0] = 0.0;
    lastQuad[4] = 0.0;
    lastQuad[2] = m2[0];
    lastQuad[6] = m2[1];
    lastQuad[1] = m3[0];
    lastQuad[5] = m3[1];
    quad0 = loadQuad(quad);
    pending = loadQuad(lastQuad);
}

// Points k..k+3 (`z`) and their mirrors N-k-i, i = 0..3, in the lanes of
// mirrorLanes (`lanes`).
VORLEN_FFT_INLINE void backwardQuad(const double* in, int32_t k, int32_t points, const double* c,
                                    int32_t nc, P4& z, P4& lanes) {
    const int32_t m = points - k;
    z = loadInterleavedQuad(in, k);
    P4 mirror;
    {
        const __m256d even = halves(_mm_loadu_pd(in + 2 * m), _mm_loadu_pd(in + 2 * m - 4));
        const __m256d odd = halves(_mm_loadu_pd(in + 2 * m - 2), _mm_loadu_pd(in + 2 * m - 6));
        mirror = {_mm256_unpacklo_pd(even, odd), _mm256_unpackhi_pd(even, odd)};
    }
    // 0.5 sin of points k..k+3, read backwards from the end.
    const __m256d sines = _mm256_loadu_pd(c + nc - k - 3);
    const __m256d wr = _mm256_sub_pd(
        _mm256_set1_pd(0.5), _mm256_permute_pd(_mm256_permute2f128_pd(sines, sines, 1), 0b0101));
    const __m256d wi = _mm256_loadu_pd(c + k);
    const __m256d xr = _mm256_sub_pd(z.re, mirror.re);
    const __m256d xi = _mm256_add_pd(z.im, mirror.im);
    const __m256d yr = _mm256_add_pd(_mm256_mul_pd(wr, xr), _mm256_mul_pd(wi, xi));
    const __m256d yi = _mm256_sub_pd(_mm256_mul_pd(wr, xi), _mm256_mul_pd(wi, xr));
    z = {_mm256_sub_pd(z.re, yr), _mm256_sub_pd(yi, z.im)};
    lanes = {mirrorLanes(_mm256_add_pd(mirror.re, yr)), mirrorLanes(_mm256_sub_pd(yi, mirror.im))};
}

} // namespace

void realBackwardPreQuads(int32_t n, const double* in, double* a, const double* c) noexcept {
    const int32_t points = n / 2;
    const int32_t nc = n / 4;
    P4 quad0;
    P4 pending;
    firstQuads(n, in, c, quad0, pending);
    storeQuad(a, quad0);
    // Points k..k+3 fill quad k/4; their mirrors N-k-i, i = 0..3, fill lane
    // 0 of quad (N-k)/4, finishing it, and lanes 3..1 of the quad before.
    for (int32_t k = 4; k < n / 4; k += 4) {
        P4 z;
        P4 lanes;
        backwardQuad(in, k, points, c, nc, z, lanes);
        storeQuad(a + 2 * k, z);
        storeQuad(a + 2 * (points - k), blended<0b0001>(pending, lanes));
        pending = lanes;
    }
    // Point N/2 is its own mirror.
    const P4 middle{_mm256_set1_pd(in[points]), negated(_mm256_set1_pd(in[points + 1]))};
    storeQuad(a + points, blended<0b0001>(pending, middle));
}

#if VORLEN_FFT_OCTS
void realBackwardPreOcts(int32_t n, const double* in, double* a, const double* c) noexcept {
    const int32_t points = n / 2;
    const int32_t nc = n / 4;
    // Points 0 to 7 and the mirrors of 1 to 7 as the quads make them.
    P4 quad0;
    P4 quadPending;
    firstQuads(n, in, c, quad0, quadPending);
    P4 quad1;
    P4 quadLanes;
    backwardQuad(in, 4, points, c, nc, quad1, quadLanes);
    storeOct(a, joined(quad0, quad1));
    P8 pending = joined(quadLanes, blended<0b0001>(quadPending, quadLanes));
    // Points k..k+7 fill oct k/8; their mirrors N-k-i, i = 0..7, fill lane
    // 0 of oct (N-k)/8, finishing it, and lanes 7..1 of the oct before: lane
    // i goes to lane 8 - i.
    const __m512i mirrorLanes = _mm512_setr_epi64(0, 7, 6, 5, 4, 3, 2, 1);
    for (int32_t k = 8; k < n / 4; k += 8) {
        const int32_t m = points - k;
        const P8 z = loadInterleavedOct(in, k);
        const P8 mirror = loadMirroredOct(in, m);
        const __m512d wr = _mm512_sub_pd(_mm512_set1_pd(0.5), sinesOct(c, nc, k));
        const __m512d wi = _mm512_loadu_pd(c + k);
        const __m512d xr = _mm512_sub_pd(z.re, mirror.re);
        const __m512d xi = _mm512_add_pd(z.im, mirror.im);
        const __m512d yr = _mm512_add_pd(_mm512_mul_pd(wr, xr), _mm512_mul_pd(wi, xi));
        const __m512d yi = _mm512_sub_pd(_mm512_mul_pd(wr, xi), _mm512_mul_pd(wi, xr));
        storeOct(a + 2 * k, {_mm512_sub_pd(z.re, yr), _mm512_sub_pd(yi, z.im)});
        const P8 lanes{_mm512_permutexvar_pd(mirrorLanes, _mm512_add_pd(mirror.re, yr)),
                       _mm512_permutexvar_pd(mirrorLanes, _mm512_sub_pd(yi, mirror.im))};
        storeOct(a + 2 * m, blended<0b00000001>(pending, lanes));
        pending = lanes;
    }
    const P8 middle{_mm512_set1_pd(in[points]), negated(_mm512_set1_pd(in[points + 1]))};
    storeOct(a + points, blended<0b00000001>(pending, middle));
}
#endif
#endif

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
