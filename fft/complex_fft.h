// In-place complex FFT of a power-of-two number of points by a split-radix
// decimation-in-frequency network followed by a bit reversal.
//
// `n` counts doubles: point j is (a[2j], a[2j+1]), N = n/2 points. The index
// table `ip` and twiddle table `w` of `nw` entries come from
// `makeTwiddleTable`, with nw >= n/4. Neither size is checked: callers pass
// what their tables were built for.
#pragma once

#include "kernel_isa.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Z[k] = sum z[j] e^(+2 pi i j k / N), natural order, unscaled.
void complexForward(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept;

/// Z[k] = sum z[j] e^(-2 pi i j k / N), natural order, unscaled.
void complexBackward(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept;

/// Whether `complexForwardTo` and `complexBackwardLanesTo` serve n doubles:
/// only the plans' length, 2048.
bool hasDirectTransform(int32_t n) noexcept;

/// `complexForward` of the n doubles at `in`, which stay intact, computed in
/// `work` (n doubles, scratch) and written in natural order to `out` (n
/// doubles); unless `window` is null, of `in` times `window`, double by
/// double. Needs `hasDirectTransform(n)`; saves the bit-reversal pass.
void complexForwardTo(int32_t n, const double* in, const double* window, double* work, double* out,
                      int32_t nw, const double* w) noexcept;

/// `complexBackward` of the complex conjugates of the points at `work`
/// (n doubles in the layout of kWidth lanes, lanes.h, overwritten), times
/// `scale`, written in natural order to the interleaved `out`. Needs
/// `hasDirectTransform(n)`.
void complexBackwardLanesTo(int32_t n, double* work, double* out, double scale, int32_t nw,
                            const double* w) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
