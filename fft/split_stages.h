// The splitting stages of the split-radix network: each turns one block into
// four quarters that still owe smaller transforms (see butterflies.h for the
// plain and rotated block states and the quarter order).
//
// Sizes: `m` is the block length in points; `n` the whole array in doubles.
// Twiddles come from the table `w` of `nw` entries (fft_tables.h).
#pragma once

#include "kernel_isa.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Splits the whole plain array of n doubles (n/2 >= 32 points), positive
/// exponent. Uses the segment of length n/8 at entry nw - n/4.
void firstStageForward(int32_t n, double* a, const double* w, int32_t nw) noexcept;

/// As `firstStageForward` on the complex conjugate of the array, so that the
/// forward stages after it and a final conjugation give the negative exponent.
void firstStageBackward(int32_t n, double* a, const double* w, int32_t nw) noexcept;

/// Splits a plain block of `m` >= 8 points; quarter 1 becomes rotated.
/// Uses the segment of length m/2 at entry nw - m.
void middleStage1(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// Splits a rotated block of `m` >= 8 points; quarters 1 and 3 stay rotated.
/// Uses the segment of length m at entry nw - 2m.
void middleStage2(int32_t m, double* a, const double* w, int32_t nw) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
