// The passes of one hop of the shaping engine, over whole arrays. They are free functions
// so that the benchmarks can time each of them apart from the streaming around them.
#pragma once

#include <cstdint>

#include "fft_plan.h"

namespace vorlen {

/// Fills `window`, 2048 doubles, with the square-root periodic Hann window, which serves
/// both analysis and synthesis.
void makeWindow(double* window) noexcept;

/// Moves a frame of 2048 samples on by one hop: its newer half becomes its older half.
void moveFrameOn(double* frame) noexcept;

/// Forms the two shaped spectra of a hop: the noise bins rescaled from the noise's
/// smoothed magnitude envelope to each channel's. Takes the magnitudes of the three spectra
/// (bins 0..1024) into magL, magR and magNoise, 1025 doubles each, and smooths them over
/// +-h bins as smoothSpectrum does, without changing them; h must lie in 0..512. A bin
/// whose noise envelope is zero has no phase to lend and comes out zero.
void shapeNoise(int32_t h, const ComplexBin* __restrict left, const ComplexBin* __restrict right,
                const ComplexBin* __restrict noise, double* __restrict magL,
                double* __restrict magR, double* __restrict magNoise,
                ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept;

/// Mixes one frame, dry (`frame` times `window`, as analysed) and wet (the raw inverse
/// transform, scaled by 1/2048 and windowed here), adds its first half onto `addHalf` and
/// stores its second half over `storeHalf`, each 1024 values; then moves `frame` on by one
/// hop. None of the arrays may overlap.
void mixIntoRing(double* frame, const double* wet, const double* window, double dryWeight,
                 double wetWeight, double* addHalf, double* storeHalf) noexcept;

/// out[i] = in[i] widened to double, i < count; the arrays must not overlap.
void widenSamples(const float* in, double* out, int32_t count) noexcept;

/// out[i] = in[i] rounded to float, i < count, with finite values beyond float's range held
/// at its largest magnitude and subnormal results flushed to zero of the same sign; NaN and
/// infinities pass. The arrays must not overlap.
void narrowSamples(const double* in, float* out, int32_t count) noexcept;

} // namespace vorlen
