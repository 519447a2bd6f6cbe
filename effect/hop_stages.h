// The passes of one hop of the spectral engine, over whole arrays. They are free functions
// so that the benchmarks can time each of them apart from the streaming around them.
#pragma once

#include <cstdint>

#include "fft_plan.h"

namespace vorlen {

/// Fills the analysis window (square-root periodic Hann) and the synthesis window, which is
/// the same window times 1/2048: it also undoes the gain of the unnormalised inverse
/// transform, exactly, since the factor is a power of two. Both hold 2048 doubles.
void makeWindows(double* __restrict analysis, double* __restrict synthesis) noexcept;

/// out[i] = frame[i] * window[i] over one frame of 2048 samples, then moves the frame on by
/// one hop: its newer half becomes its older half.
void windowAndShift(double* __restrict frame, const double* __restrict window,
                    double* __restrict out) noexcept;

/// Forms the two shaped spectra of a hop: the noise bins rescaled from the noise's
/// smoothed magnitude envelope to each channel's. Takes the magnitudes of the three spectra
/// (bins 0..1024) into magL, magR and magNoise, 1025 doubles each, and smooths them over
/// +-h bins as smoothSpectrum does, without changing them; h must lie in 0..512. A bin
/// whose noise envelope is zero has no phase to lend and comes out zero.
void shapeNoise(int32_t h, const ComplexBin* __restrict left, const ComplexBin* __restrict right,
                const ComplexBin* __restrict noise, double* __restrict magL,
                double* __restrict magR, double* __restrict magNoise,
                ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept;

/// Mixes one frame, dry (analysis-windowed) and wet (raw inverse transform, windowed here by
/// `synthesisWindow`), adds its first half onto `addHalf` and stores its second half over
/// `storeHalf`; each holds 1024 values.
void mixIntoRing(const double* __restrict dry, const double* __restrict wet,
                 const double* __restrict synthesisWindow, double dryWeight, double wetWeight,
                 double* __restrict addHalf, double* __restrict storeHalf) noexcept;

} // namespace vorlen
