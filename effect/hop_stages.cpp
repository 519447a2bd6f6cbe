#include "hop_stages.h"

#include <algorithm>
#include <cmath>

#include "smoothing.h"

// Square roots and divisions are the slowest work of a hop outside the transforms. SSE2,
// part of every x86-64, does two per instruction; AVX, where the processor has it, four at
// about the same cost. Both paths give the same results, every operation being exactly
// rounded either way, and the library still runs on the baseline instruction set: the
// wide path is chosen at run time. Not on 32-bit x86, whose baseline computes in x87
// registers and would round differently from the wide path.
//
// A build may set VORLEN_AVX_PATH to 0 to test the baseline path on a processor with AVX.
#if !defined(VORLEN_AVX_PATH)
#if defined(__GNUC__) && defined(__x86_64__)
#define VORLEN_AVX_PATH 1
#else
#define VORLEN_AVX_PATH 0
#endif
#endif
#if defined(__GNUC__)
#define VORLEN_AVX __attribute__((target("avx")))
#define VORLEN_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VORLEN_ALWAYS_INLINE inline
#endif

namespace vorlen {

namespace {

constexpr int32_t kFrameLength = 2048;
constexpr int32_t kHopSize = 1024;
constexpr int32_t kLastBin = kSpectrumBins - 1;
// Slightly short of 2*pi; the window is defined with this value, not with the true constant.
constexpr double kWindowTwoPi = 6.28318530717958;
constexpr double kInverseGain = 0.00048828125; // 1/2048

#if VORLEN_AVX_PATH
/// True where the processor and the operating system support AVX. Reads a word that the
/// compiler's runtime fills when the library is loaded.
inline bool haveAvx() noexcept {
    return __builtin_cpu_supports("avx");
}
#endif

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
/// has one that wide: two for SSE2, four for AVX. The compiler does not group the
/// shaping's divisions by itself.
template <int Lanes>
struct DoubleGroup;
/// Two bins: one SSE2 register.
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

/// Writes bins first .. first + Lanes - 1 of both shaped spectra from the sums of their
/// windows, with every division done for all of them at once.
template <int Lanes>
VORLEN_ALWAYS_INLINE void
shapeGroup(int32_t first, const BinSums (&s)[Lanes], const ComplexBin* __restrict noise,
           ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    using Vector = typename DoubleGroup<Lanes>::Vector;
    using Mask = typename DoubleGroup<Lanes>::Mask;
    // Built from registers in one go: lane by lane through memory would stall.
    Vector count;
    Vector sumL;
    Vector sumR;
    Vector sumNoise;
    if constexpr (Lanes == 2) {
        count = Vector{s[0].count, s[1].count};
        sumL = Vector{s[0].left, s[1].left};
        sumR = Vector{s[0].right, s[1].right};
        sumNoise = Vector{s[0].noise, s[1].noise};
    } else {
        static_assert(Lanes == 4, "groups of two or four bins");
        count = Vector{s[0].count, s[1].count, s[2].count, s[3].count};
        sumL = Vector{s[0].left, s[1].left, s[2].left, s[3].left};
        sumR = Vector{s[0].right, s[1].right, s[2].right, s[3].right};
        sumNoise = Vector{s[0].noise, s[1].noise, s[2].noise, s[3].noise};
    }
    // The same quotients as shapeBin's, in the same order.
    const Vector envelopeNoise = sumNoise / count;
    const Vector ratioL = (sumL / count) / envelopeNoise;
    const Vector ratioR = (sumR / count) / envelopeNoise;
    // Silent bins are masked to zero, all lanes at once: all bits set where the envelope
    // is not zero (or is NaN, which then passes on as shapeBin lets it).
    const Mask audible = (Mask)(envelopeNoise != 0.0);
    const Vector gainL = (Vector)((Mask)ratioL & audible);
    const Vector gainR = (Vector)((Mask)ratioR & audible);
#pragma GCC unroll 4
    for (int j = 0; j < Lanes; ++j) {
        const ComplexBin bin = noise[first + j];
        shapedL[first + j] = {gainL[j] * bin.re, gainL[j] * bin.im};
        shapedR[first + j] = {gainR[j] * bin.re, gainR[j] * bin.im};
    }
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
#endif

// The three running sums follow smoothSpectrum's order exactly. Each is a serial chain of
// additions; carried side by side they overlap in the pipeline, and the square roots of the
// bins about to enter and the divisions of the bins already summed fill the time each
// chain waits. Groups of two bins suit SSE2, groups of four AVX; wider groups than the
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
        measureTo(i + h + 3 * Lanes);
        BinSums group[Lanes];
        if (i > h && i + Lanes - 1 + h <= kLastBin) {
#pragma GCC unroll 4
            for (int j = 0; j < Lanes; ++j) {
                group[j] = advanceInside(i + j);
            }
        } else {
#pragma GCC unroll 4
            for (int j = 0; j < Lanes; ++j) {
                group[j] = advance(i + j);
            }
        }
        shapeGroup<Lanes>(i, group, noise, shapedL, shapedR);
    }
    // The Nyquist bin is the odd one out.
    shapeBin(kLastBin, advance(kLastBin), noise, shapedL, shapedR);
}

#if VORLEN_AVX_PATH
/// shapeIn for processors with AVX.
VORLEN_AVX void shapeAvx(int32_t h, const ComplexBin* __restrict left,
                         const ComplexBin* __restrict right, const ComplexBin* __restrict noise,
                         double* __restrict magL, double* __restrict magR,
                         double* __restrict magNoise, ComplexBin* __restrict shapedL,
                         ComplexBin* __restrict shapedR) noexcept {
    shapeIn<4>(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
}
#endif

/// mixIntoRing's loops, for the instruction set of the function they are inlined into.
VORLEN_ALWAYS_INLINE void mixIn(double* __restrict frame, const double* __restrict wet,
                                const double* __restrict window, double dryWeight, double wetWeight,
                                double* __restrict addHalf, double* __restrict storeHalf) noexcept {
    // window * 1/2048 is exact, the factor being a power of two, so forming it here gives
    // the bits of a table of it without reading one. The dry term is the analysis-windowed
    // frame, the same product the forward transform took.
    for (int32_t j = 0; j < kHopSize; ++j) {
        const double w = window[j];
        const double mixed = dryWeight * (frame[j] * w) + wetWeight * (wet[j] * (w * kInverseGain));
        addHalf[j] = mixed + addHalf[j];
    }
    // The newer half is read once, for its mix and its move to the older half.
    double* __restrict newer = frame + kHopSize;
    const double* __restrict wetTail = wet + kHopSize;
    const double* __restrict windowTail = window + kHopSize;
    for (int32_t j = 0; j < kHopSize; ++j) {
        const double sample = newer[j];
        const double w = windowTail[j];
        storeHalf[j] = dryWeight * (sample * w) + wetWeight * (wetTail[j] * (w * kInverseGain));
        frame[j] = sample;
    }
}

#if VORLEN_AVX_PATH
/// mixIn for processors with AVX.
VORLEN_AVX void mixAvx(double* frame, const double* wet, const double* window, double dryWeight,
                       double wetWeight, double* addHalf, double* storeHalf) noexcept {
    mixIn(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
}
#endif

} // namespace

void makeWindow(double* window) noexcept {
    for (int32_t i = 0; i < kFrameLength; ++i) {
        const double theta = (static_cast<double>(i) * 0.00048828125) * kWindowTwoPi;
        window[i] = std::sqrt(0.5 - 0.5 * std::cos(theta));
    }
}

void moveFrameOn(double* frame) noexcept {
    std::copy_n(frame + kHopSize, kHopSize, frame);
}

void shapeNoise(int32_t h, const ComplexBin* __restrict left, const ComplexBin* __restrict right,
                const ComplexBin* __restrict noise, double* __restrict magL,
                double* __restrict magR, double* __restrict magNoise,
                ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
#if VORLEN_AVX_PATH
    if (haveAvx()) {
        shapeAvx(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
        return;
    }
#endif
    shapeIn<2>(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
}

void mixIntoRing(double* frame, const double* wet, const double* window, double dryWeight,
                 double wetWeight, double* addHalf, double* storeHalf) noexcept {
#if VORLEN_AVX_PATH
    if (haveAvx()) {
        mixAvx(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
        return;
    }
#endif
    mixIn(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
}

} // namespace vorlen
