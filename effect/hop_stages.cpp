#include "hop_stages.h"

#include <algorithm>
#include <cmath>

#include "smoothing.h"

// The magnitudes' square roots are the slowest loop of a hop outside the transforms. AVX,
// where the processor has it, takes four per instruction instead of two, at about the same
// cost; the results are the same, every operation being exactly rounded either way. The
// library still runs on the baseline instruction set: the loader picks the version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define VORLEN_WIDE_CLONES __attribute__((target_clones("avx", "default")))
#else
#define VORLEN_WIDE_CLONES
#endif

namespace vorlen {

namespace {

constexpr int32_t kFrameLength = 2048;
constexpr int32_t kHopSize = 1024;
constexpr int32_t kLastBin = kSpectrumBins - 1;
// Slightly short of 2*pi; the window is defined with this value, not with the true constant.
constexpr double kWindowTwoPi = 6.28318530717958;
constexpr double kInverseGain = 0.00048828125; // 1/2048

/// |bin|, with the plain square root: no hypotenuse routine.
inline double magnitude(ComplexBin bin) noexcept {
    return std::sqrt(bin.re * bin.re + bin.im * bin.im);
}

#if defined(__GNUC__)
/// Two doubles in one vector register. The compiler does not pair the divisions of the
/// shaping by itself, and SSE2, part of every x86-64, divides two doubles per instruction
/// at the cost of one.
using DoublePair = double __attribute__((vector_size(2 * sizeof(double))));
#else
/// Two doubles, for compilers without vector extensions.
struct DoublePair {
    double lane[2];
    double operator[](int j) const noexcept { return lane[j]; }
};
/// Lane-wise quotient.
inline DoublePair operator/(DoublePair a, DoublePair b) noexcept {
    return {a.lane[0] / b.lane[0], a.lane[1] / b.lane[1]};
}
#endif

/// Writes bins `first` and `second` of both shaped spectra from the sums of their windows
/// and the number of bins in each window.
inline void shapePair(int32_t first, int32_t second, DoublePair count, DoublePair sumL,
                      DoublePair sumR, DoublePair sumNoise, const ComplexBin* __restrict noise,
                      ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    // The count cancels from the ratio in exact arithmetic, but not in rounded arithmetic:
    // dividing each sum into its average first keeps every bit of the smoothed envelopes
    // that smoothSpectrum would give.
    const DoublePair envelopeNoise = sumNoise / count;
    const DoublePair ratioL = (sumL / count) / envelopeNoise;
    const DoublePair ratioR = (sumR / count) / envelopeNoise;
    for (int j = 0; j < 2; ++j) {
        // A zero noise envelope has no phase to lend: the bin stays silent rather than 0/0.
        const bool silent = envelopeNoise[j] == 0.0;
        const double gainL = silent ? 0.0 : ratioL[j];
        const double gainR = silent ? 0.0 : ratioR[j];
        const int32_t k = j == 0 ? first : second;
        const ComplexBin bin = noise[k];
        shapedL[k] = {gainL * bin.re, gainL * bin.im};
        shapedR[k] = {gainR * bin.re, gainR * bin.im};
    }
}

} // namespace

void makeWindows(double* __restrict analysis, double* __restrict synthesis) noexcept {
    for (int32_t i = 0; i < kFrameLength; ++i) {
        const double theta = (static_cast<double>(i) * 0.00048828125) * kWindowTwoPi;
        analysis[i] = std::sqrt(0.5 - 0.5 * std::cos(theta));
        synthesis[i] = analysis[i] * kInverseGain;
    }
}

void windowFrame(const double* __restrict frame, const double* __restrict window,
                 double* __restrict out) noexcept {
    for (int32_t i = 0; i < kFrameLength; ++i) {
        out[i] = frame[i] * window[i];
    }
}

VORLEN_WIDE_CLONES
void magnitudes(const ComplexBin* __restrict spectrum, double* __restrict mag) noexcept {
    // A count of bins that the vector width divides, and sqrt free of errno (the effect is
    // built so), let the loop vectorise at -O2; the Nyquist bin is the odd one out.
    for (int32_t k = 0; k < kLastBin; ++k) {
        mag[k] = magnitude(spectrum[k]);
    }
    mag[kLastBin] = magnitude(spectrum[kLastBin]);
}

// The three running sums follow smoothSpectrum's order exactly. Each is a serial chain of
// additions; carried side by side they overlap in the pipeline, and the shaping of the
// bins already summed fills the time each chain waits.
void smoothAndShape(int32_t h, const double* __restrict magL, const double* __restrict magR,
                    const double* __restrict magNoise, const ComplexBin* __restrict noise,
                    ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
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
    const auto step = [&](int32_t i) {
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
    };
    const auto count = [h](int32_t i) {
        return static_cast<double>(std::min(i, h) + std::min(kLastBin - i, h) + 1);
    };
    // Bins go in pairs, whose divisions share instructions; the last pair repeats the
    // Nyquist bin, which writes the same values twice.
    for (int32_t i = 0; i < kSpectrumBins; i += 2) {
        const int32_t next = std::min(i + 1, kLastBin);
        step(i);
        const double countFirst = count(i);
        const double sumLFirst = sumL;
        const double sumRFirst = sumR;
        const double sumNoiseFirst = sumNoise;
        if (next != i) {
            step(next);
        }
        shapePair(i, next, DoublePair{countFirst, count(next)}, DoublePair{sumLFirst, sumL},
                  DoublePair{sumRFirst, sumR}, DoublePair{sumNoiseFirst, sumNoise}, noise, shapedL,
                  shapedR);
    }
}

void mixIntoRing(const double* __restrict dry, const double* __restrict wet,
                 const double* __restrict synthesisWindow, double dryWeight, double wetWeight,
                 double* __restrict addHalf, double* __restrict storeHalf) noexcept {
    for (int32_t j = 0; j < kHopSize; ++j) {
        const double mixed = dryWeight * dry[j] + wetWeight * (wet[j] * synthesisWindow[j]);
        addHalf[j] = mixed + addHalf[j];
    }
    const double* __restrict dryTail = dry + kHopSize;
    const double* __restrict wetTail = wet + kHopSize;
    const double* __restrict windowTail = synthesisWindow + kHopSize;
    for (int32_t j = 0; j < kHopSize; ++j) {
        storeHalf[j] = dryWeight * dryTail[j] + wetWeight * (wetTail[j] * windowTail[j]);
    }
}

} // namespace vorlen
