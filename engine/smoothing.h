// Moving average of a magnitude spectrum across frequency.
#pragma once

#include <cstdint>

namespace vorlen {

/// Bins of the magnitude spectrum of a 2048-point real frame: 0 (DC) to 1024 (Nyquist).
inline constexpr int32_t kSpectrumBins = 1025;

/// Largest half-width for which every averaging window stays inside the spectrum.
inline constexpr int32_t kMaxSmoothingHalfWidth = 512;

/// Replaces m[0..1024] by its centred moving average over +-h bins, cut off at the edges.
/// h must lie in 0..512; `scratch` holds 1025 doubles and must not overlap `m`.
void smoothSpectrum(int32_t h, double* __restrict m, double* __restrict scratch) noexcept;

} // namespace vorlen
