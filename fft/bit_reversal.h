// The permutation that puts the split-radix network's outputs in natural order.
#pragma once

#include "kernel_isa.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Moves point p of the n/2 points in `a` to the point whose index is p with
/// its log2(n/2) bits reversed; n >= 64 doubles. `ip` is the index table.
void bitReverse(int32_t n, const int32_t* ip, double* a) noexcept;

/// `bitReverse`, and every point's imaginary part changes sign.
void bitReverseConjugate(int32_t n, const int32_t* ip, double* a) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
