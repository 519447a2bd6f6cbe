#include "hop_stages.h"

#include <cmath>

#include "smoothing.h"

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

/// Writes bin k of both shaped spectra from the running sums of the three windows over it,
/// each window holding `count` bins.
inline void shapeBin(int32_t k, double count, double sumL, double sumR, double sumNoise,
                     const ComplexBin* __restrict noise, ComplexBin* __restrict shapedL,
                     ComplexBin* __restrict shapedR) noexcept {
    // The count cancels from the ratio in exact arithmetic, but not in rounded arithmetic:
    // dividing each sum into its average first keeps every bit of the smoothed envelopes
    // that smoothSpectrum would give.
    const double envelopeL = sumL / count;
    const double envelopeR = sumR / count;
    const double envelopeNoise = sumNoise / count;
    // A zero noise envelope has no phase to lend: the bin stays silent rather than 0/0.
    const bool silent = envelopeNoise == 0.0;
    const double gainL = silent ? 0.0 : envelopeL / envelopeNoise;
    const double gainR = silent ? 0.0 : envelopeR / envelopeNoise;
    const ComplexBin bin = noise[k];
    shapedL[k] = {gainL * bin.re, gainL * bin.im};
    shapedR[k] = {gainR * bin.re, gainR * bin.im};
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

void magnitudes(const ComplexBin* __restrict spectrum, double* __restrict mag) noexcept {
    // A count of bins that the vector width divides, and sqrt free of errno (the effect is
    // built so), let the loop vectorise at -O2; the Nyquist bin is the odd one out.
    for (int32_t k = 0; k < kLastBin; ++k) {
        mag[k] = magnitude(spectrum[k]);
    }
    mag[kLastBin] = magnitude(spectrum[kLastBin]);
}

// The three running sums follow smoothSpectrum's order exactly. Each is a serial chain of
// additions; carried side by side they overlap in the pipeline, and the shaping of a bin
// fills the time each chain waits.
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
    for (int32_t i = 0; i <= h; ++i) {
        sumL = sumL + magL[i + h];
        sumR = sumR + magR[i + h];
        sumNoise = sumNoise + magNoise[i + h];
        shapeBin(i, static_cast<double>(h + 1 + i), sumL, sumR, sumNoise, noise, shapedL, shapedR);
    }
    const double fullWidth = static_cast<double>(2 * h + 1);
    for (int32_t i = h + 1; i <= kLastBin - h; ++i) {
        sumL = sumL + magL[i + h];
        sumR = sumR + magR[i + h];
        sumNoise = sumNoise + magNoise[i + h];
        sumL = sumL - magL[i - h - 1];
        sumR = sumR - magR[i - h - 1];
        sumNoise = sumNoise - magNoise[i - h - 1];
        shapeBin(i, fullWidth, sumL, sumR, sumNoise, noise, shapedL, shapedR);
    }
    for (int32_t i = kSpectrumBins - h; i <= kLastBin; ++i) {
        sumL = sumL - magL[i - h - 1];
        sumR = sumR - magR[i - h - 1];
        sumNoise = sumNoise - magNoise[i - h - 1];
        shapeBin(i, static_cast<double>(kSpectrumBins + h - i), sumL, sumR, sumNoise, noise,
                 shapedL, shapedR);
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
