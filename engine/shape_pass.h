// The fused magnitudes, smoothing and shaping of a hop, as templates over the number of bins
// handled at once. Each translation unit that includes this builds its own copy for its
// own instruction set: hop_stages.cpp the baseline, AVX and NEON paths, shape_fma.cpp the path
// for processors with AVX2 and FMA. Everything here has internal linkage, so the copies
// never meet in the linker.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "fft_plan.h"
#include "smoothing.h"

#if defined(__FMA__)
#include <immintrin.h>
#endif

#if defined(__GNUC__)
#define VORLEN_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VORLEN_ALWAYS_INLINE inline
#endif

namespace vorlen {

/// shapeNoise built for processors with AVX-512 (shape_avx512.cpp).
void shapeNoiseAvx512(int32_t h, const ComplexBin* __restrict left,
                      const ComplexBin* __restrict right, const ComplexBin* __restrict noise,
                      double* __restrict magL, double* __restrict magR, double* __restrict magNoise,
                      ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept;

/// shapeNoise built for processors with AVX2 and FMA (shape_fma.cpp).
void shapeNoiseFma(int32_t h, const ComplexBin* __restrict left, const ComplexBin* __restrict right,
                   const ComplexBin* __restrict noise, double* __restrict magL,
                   double* __restrict magR, double* __restrict magNoise,
                   ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept;

namespace {

constexpr int32_t kLastBin = kSpectrumBins - 1;

/// |bin|, with the plain square root: no hypotenuse routine.
inline double magnitude(ComplexBin bin) noexcept {
    return std::sqrt(bin.re * bin.re + bin.im * bin.im);
}

/// The magnitudes of bins [begin, end) of the three spectra.
VORLEN_ALWAYS_INLINE void measureBins(int32_t begin, int32_t end, const ComplexBin* __restrict left,
                                      const ComplexBin* __restrict right,
                                      const ComplexBin* __restrict noise, double* __restrict magL,
                                      double* __restrict magR,
                                      double* __restrict magNoise) noexcept {
    // Vectorises because sqrt need not set errno: the effect is built so.
    for (int32_t k = begin; k < end; ++k) {
        magL[k] = magnitude(left[k]);
        magR[k] = magnitude(right[k]);
        magNoise[k] = magnitude(noise[k]);
    }
}

/// The window sums of one bin and the number of bins in its window.
struct BinSums {
    double count;
    double left;
    double right;
    double noise;
};

/// Writes bin k of both shaped spectra from the sums of its window.
inline void shapeBin(int32_t k, const BinSums& s, const ComplexBin* __restrict noise,
                     ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    // The count cancels from the ratio in exact arithmetic, but not in rounded arithmetic:
    // dividing each sum into its average first keeps every bit of the smoothed envelopes
    // that smoothSpectrum would give.
    const double envelopeNoise = s.noise / s.count;
    // A zero noise envelope has no phase to lend: the bin stays silent rather than 0/0.
    const bool silent = envelopeNoise == 0.0;
    const double gainL = silent ? 0.0 : (s.left / s.count) / envelopeNoise;
    const double gainR = silent ? 0.0 : (s.right / s.count) / envelopeNoise;
    const ComplexBin bin = noise[k];
    shapedL[k] = {gainL * bin.re, gainL * bin.im};
    shapedR[k] = {gainR * bin.re, gainR * bin.im};
}

#if defined(__GNUC__)
/// One double for each bin of a group, in one vector register where the instruction set
/// has one that wide: two for SSE2 or NEON, four for AVX, eight for AVX-512. The compiler does not
/// group the shaping's divisions by itself.
template <int Lanes>
struct DoubleGroup;
/// Two bins: one SSE2 or NEON register.
template <>
struct DoubleGroup<2> {
    using Vector = double __attribute__((vector_size(2 * sizeof(double))));
    using Mask = long long __attribute__((vector_size(2 * sizeof(long long))));
};
/// Four bins: one AVX register.
template <>
struct DoubleGroup<4> {
    using Vector = double __attribute__((vector_size(4 * sizeof(double))));
    using Mask = long long __attribute__((vector_size(4 * sizeof(long long))));
};
/// Eight bins: one AVX-512 register.
template <>
struct DoubleGroup<8> {
    using Vector = double __attribute__((vector_size(8 * sizeof(double))));
    using Mask = long long __attribute__((vector_size(8 * sizeof(long long))));
};

/// One field of every bin of a group, built from registers in one go: lane by lane
/// through memory would stall.
template <int Lanes, size_t... Lane>
VORLEN_ALWAYS_INLINE void gatherField(const BinSums (&s)[Lanes], double BinSums::*field,
                                      std::index_sequence<Lane...> /*lanes*/,
                                      typename DoubleGroup<Lanes>::Vector& out) noexcept {
    out = typename DoubleGroup<Lanes>::Vector{(s[Lane].*field)...};
}

/// gatherField over all lanes.
template <int Lanes>
VORLEN_ALWAYS_INLINE void gather(const BinSums (&s)[Lanes], double BinSums::*field,
                                 typename DoubleGroup<Lanes>::Vector& out) noexcept {
    gatherField<Lanes>(s, field, std::make_index_sequence<Lanes>{}, out);
}

/// Writes bins first .. first + Lanes - 1 of both shaped spectra from their quotients.
template <int Lanes>
VORLEN_ALWAYS_INLINE void
writeGroup(int32_t first, const typename DoubleGroup<Lanes>::Vector& envelopeNoise,
           const typename DoubleGroup<Lanes>::Vector& ratioL,
           const typename DoubleGroup<Lanes>::Vector& ratioR, const ComplexBin* __restrict noise,
           ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    using Vector = typename DoubleGroup<Lanes>::Vector;
    using Mask = typename DoubleGroup<Lanes>::Mask;
    // Silent bins are masked to zero, all lanes at once: all bits set where the envelope
    // is not zero (or is NaN, which then passes on as shapeBin lets it).
    const Mask audible = (Mask)(envelopeNoise != 0.0);
    const Vector gainL = (Vector)((Mask)ratioL & audible);
    const Vector gainR = (Vector)((Mask)ratioR & audible);
#pragma GCC unroll 8
    for (int j = 0; j < Lanes; ++j) {
        const ComplexBin bin = noise[first + j];
        shapedL[first + j] = {gainL[j] * bin.re, gainL[j] * bin.im};
        shapedR[first + j] = {gainR[j] * bin.re, gainR[j] * bin.im};
    }
}

/// Writes bins first .. first + Lanes - 1 of both shaped spectra from the sums of their
/// windows, with every division done for all of them at once.
template <int Lanes>
VORLEN_ALWAYS_INLINE void
shapeGroup(int32_t first, const BinSums (&s)[Lanes], const ComplexBin* __restrict noise,
           ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    using Vector = typename DoubleGroup<Lanes>::Vector;
    Vector count;
    Vector sumL;
    Vector sumR;
    Vector sumNoise;
    gather(s, &BinSums::count, count);
    gather(s, &BinSums::left, sumL);
    gather(s, &BinSums::right, sumR);
    gather(s, &BinSums::noise, sumNoise);
    // The same quotients as shapeBin's, in the same order.
    const Vector envelopeNoise = sumNoise / count;
    const Vector ratioL = (sumL / count) / envelopeNoise;
    const Vector ratioR = (sumR / count) / envelopeNoise;
    writeGroup<Lanes>(first, envelopeNoise, ratioL, ratioR, noise, shapedL, shapedR);
}

#if defined(__FMA__)
/// The correctly rounded a / b from y = RN(1/b) without a division: q = RN(a * y) lies
/// within an ulp of a / b, so r = a - q * b is exact in one fused operation, and
/// RN(q + r * y) is then the correctly rounded quotient (Markstein's theorem). It holds
/// while no step comes near underflow or overflow, which `safeLanes` makes sure of.
inline __m256d quotient(__m256d a, __m256d b, __m256d y) noexcept {
    const __m256d q = _mm256_mul_pd(a, y);
    const __m256d r = _mm256_fnmadd_pd(q, b, a);
    return _mm256_fmadd_pd(r, y, q);
}

/// Whether every lane of the three vectors is zero or lies within 2^-400..2^400 in
/// magnitude. For sums so bounded, the averages (divided by a count up to 1025) and their
/// quotients stay hundreds of binades away from underflow and overflow.
inline bool allSafe(__m256d a, __m256d b, __m256d c) noexcept {
    const auto safeLanes = [](__m256d x) {
        const __m256d size = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
        const __m256d inside =
            _mm256_and_pd(_mm256_cmp_pd(size, _mm256_set1_pd(0x1p-400), _CMP_GE_OQ),
                          _mm256_cmp_pd(size, _mm256_set1_pd(0x1p400), _CMP_LE_OQ));
        return _mm256_or_pd(inside, _mm256_cmp_pd(x, _mm256_setzero_pd(), _CMP_EQ_OQ));
    };
    const __m256d safe = _mm256_and_pd(_mm256_and_pd(safeLanes(a), safeLanes(b)), safeLanes(c));
    return _mm256_movemask_pd(safe) == 0xF;
}
#endif

#if defined(__AVX512F__)
/// `quotient` on eight lanes.
inline __m512d quotient(__m512d a, __m512d b, __m512d y) noexcept {
    const __m512d q = _mm512_mul_pd(a, y);
    const __m512d r = _mm512_fnmadd_pd(q, b, a);
    return _mm512_fmadd_pd(r, y, q);
}

/// `allSafe` on eight lanes.
inline bool allSafe(__m512d a, __m512d b, __m512d c) noexcept {
    const auto safeLanes = [](__m512d x) {
        const __m512d size = _mm512_abs_pd(x);
        const __mmask8 inside =
            _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(size, _mm512_set1_pd(0x1p-400), _CMP_GE_OQ),
                                    size, _mm512_set1_pd(0x1p400), _CMP_LE_OQ);
        return static_cast<__mmask8>(inside |
                                     _mm512_cmp_pd_mask(x, _mm512_setzero_pd(), _CMP_EQ_OQ));
    };
    return (safeLanes(a) & safeLanes(b) & safeLanes(c)) == 0xFF;
}
#endif

#if defined(__FMA__)
/// The register type of a group of Lanes bins, for the intrinsics.
template <int Lanes>
struct NativeGroup;
/// Four bins: AVX.
template <>
struct NativeGroup<4> {
    using Type = __m256d;
};
#if defined(__AVX512F__)
/// Eight bins: AVX-512.
template <>
struct NativeGroup<8> {
    using Type = __m512d;
};
#endif
#endif

/// shapeGroup for a group away from the edges, whose windows all hold `fullCount` bins;
/// `countReciprocal` is 1 / fullCount. With FMA, four of the five divisions of each bin
/// become products, giving the same bits.
template <int Lanes>
VORLEN_ALWAYS_INLINE void
shapeInsideGroup(int32_t first, const BinSums (&s)[Lanes], double fullCount, double countReciprocal,
                 const ComplexBin* __restrict noise, ComplexBin* __restrict shapedL,
                 ComplexBin* __restrict shapedR) noexcept {
#if defined(__FMA__)
#if defined(__AVX512F__)
    constexpr bool fused = Lanes == 4 || Lanes == 8;
#else
    constexpr bool fused = Lanes == 4;
#endif
    if constexpr (fused) {
        using Vector = typename DoubleGroup<Lanes>::Vector;
        using Native = typename NativeGroup<Lanes>::Type;
        Vector left;
        Vector right;
        Vector noiseSum;
        gather(s, &BinSums::left, left);
        gather(s, &BinSums::right, right);
        gather(s, &BinSums::noise, noiseSum);
        const Native sumL = (Native)left;
        const Native sumR = (Native)right;
        const Native sumNoise = (Native)noiseSum;
        // Infinities, NaNs and extreme values take the divisions, which are always right.
        if (allSafe(sumL, sumR, sumNoise)) {
            const Native count = (Native)(Vector{} + fullCount);
            const Native byCount = (Native)(Vector{} + countReciprocal);
            const Native envelopeNoise = quotient(sumNoise, count, byCount);
            const Native byNoise = (Native)(1.0 / (Vector)envelopeNoise);
            const Native ratioL = quotient(quotient(sumL, count, byCount), envelopeNoise, byNoise);
            const Native ratioR = quotient(quotient(sumR, count, byCount), envelopeNoise, byNoise);
            writeGroup<Lanes>(first, (Vector)envelopeNoise, (Vector)ratioL, (Vector)ratioR, noise,
                              shapedL, shapedR);
            return;
        }
    }
#else
    (void)fullCount;
    (void)countReciprocal;
#endif
    shapeGroup<Lanes>(first, s, noise, shapedL, shapedR);
}
#else
/// Writes bins first .. first + Lanes - 1 of both shaped spectra, one after the other.
template <int Lanes>
inline void shapeGroup(int32_t first, const BinSums (&s)[Lanes], const ComplexBin* __restrict noise,
                       ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    for (int j = 0; j < Lanes; ++j) {
        shapeBin(first + j, s[j], noise, shapedL, shapedR);
    }
}

/// shapeGroup for a group away from the edges.
template <int Lanes>
inline void shapeInsideGroup(int32_t first, const BinSums (&s)[Lanes], double /*fullCount*/,
                             double /*countReciprocal*/, const ComplexBin* __restrict noise,
                             ComplexBin* __restrict shapedL,
                             ComplexBin* __restrict shapedR) noexcept {
    shapeGroup<Lanes>(first, s, noise, shapedL, shapedR);
}
#endif

// The three running sums follow smoothSpectrum's order exactly. Each is a serial chain of
// additions; carried side by side they overlap in the pipeline, and the square roots of the
// bins about to enter and the divisions of the bins already summed fill the time each
// chain waits. Groups of two bins suit SSE2 and NEON, groups of four AVX; wider groups than the
// registers hold spill and run slower.
template <int Lanes>
VORLEN_ALWAYS_INLINE void
shapeIn(int32_t h, const ComplexBin* __restrict left, const ComplexBin* __restrict right,
        const ComplexBin* __restrict noise, double* __restrict magL, double* __restrict magR,
        double* __restrict magNoise, ComplexBin* __restrict shapedL,
        ComplexBin* __restrict shapedR) noexcept {
    // Magnitudes are taken one group ahead of the group being summed.
    int32_t measured = 0;
    const auto measureTo = [&](int32_t end) {
        end = std::min(end, kSpectrumBins);
        if (end > measured) {
            measureBins(measured, end, left, right, noise, magL, magR, magNoise);
            measured = end;
        }
    };
    measureTo(h + 2 * Lanes);
    double sumL = 0.0;
    double sumR = 0.0;
    double sumNoise = 0.0;
    for (int32_t j = 0; j < h; ++j) {
        sumL += magL[j];
        sumR += magR[j];
        sumNoise += magNoise[j];
    }
    // Moves the sums from bin i - 1's window to bin i's: the entering bin is added before
    // the leaving one is taken away, and near the edges one of them does not exist.
    const auto advance = [&](int32_t i) {
        if (i + h <= kLastBin) {
            sumL = sumL + magL[i + h];
            sumR = sumR + magR[i + h];
            sumNoise = sumNoise + magNoise[i + h];
        }
        if (i > h) {
            sumL = sumL - magL[i - h - 1];
            sumR = sumR - magR[i - h - 1];
            sumNoise = sumNoise - magNoise[i - h - 1];
        }
        const double count = static_cast<double>(std::min(i, h) + std::min(kLastBin - i, h) + 1);
        return BinSums{count, sumL, sumR, sumNoise};
    };
    // Away from the edges every window has both bins and the full count.
    const double fullCount = static_cast<double>(2 * h + 1);
    const double countReciprocal = 1.0 / fullCount;
    const auto advanceInside = [&](int32_t i) {
        sumL = sumL + magL[i + h];
        sumR = sumR + magR[i + h];
        sumNoise = sumNoise + magNoise[i + h];
        sumL = sumL - magL[i - h - 1];
        sumR = sumR - magR[i - h - 1];
        sumNoise = sumNoise - magNoise[i - h - 1];
        return BinSums{fullCount, sumL, sumR, sumNoise};
    };
    static_assert(kLastBin % Lanes == 0, "bins 0..1023 form whole groups");
    for (int32_t i = 0; i < kLastBin; i += Lanes) {
        // One group more each time, with its length known to the compiler, until the end.
        if (measured + Lanes <= kSpectrumBins) {
            measureBins(measured, measured + Lanes, left, right, noise, magL, magR, magNoise);
            measured += Lanes;
        } else {
            measureTo(kSpectrumBins);
        }
        BinSums group[Lanes];
        if (i > h && i + Lanes - 1 + h <= kLastBin) {
#pragma GCC unroll 8
            for (int j = 0; j < Lanes; ++j) {
                group[j] = advanceInside(i + j);
            }
            shapeInsideGroup<Lanes>(i, group, fullCount, countReciprocal, noise, shapedL, shapedR);
        } else {
#pragma GCC unroll 8
            for (int j = 0; j < Lanes; ++j) {
                group[j] = advance(i + j);
            }
            shapeGroup<Lanes>(i, group, noise, shapedL, shapedR);
        }
    }
    // The Nyquist bin is the odd one out.
    shapeBin(kLastBin, advance(kLastBin), noise, shapedL, shapedR);
}

} // namespace
} // namespace vorlen
