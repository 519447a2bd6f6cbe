// In-place complex FFT of a power-of-two number of points by a split-radix
// decimation-in-frequency network followed by a bit reversal.
//
// `n` counts doubles: point j is (a[2j], a[2j+1]), N = n/2 points. The index
// table `ip` and twiddle table `w` of `nw` entries come from
// `makeTwiddleTable`, with nw >= n/4. Neither size is checked: callers pass
// what their tables were built for.
#pragma once

#include "lanes.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Z[k] = sum z[j] e^(+2 pi i j k / N), natural order, unscaled.
void complexForward(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept;

/// Z[k] = sum z[j] e^(-2 pi i j k / N), natural order, unscaled.
void complexBackward(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
