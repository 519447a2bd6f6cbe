// The last blocks of the split-radix network, computed as straight-line code.
// Each leaf transforms a block of 8 or 16 points in place and writes its
// outputs in bit-reversed order of the output index; the final bit reversal
// of the whole array puts them in place. Positive exponent throughout.
#pragma once

#include "kernel_isa.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// Y[k] = sum y[j] e^(+2 pi i j k / 16) on 32 doubles; reads cos(pi/4),
/// cos(pi/8), sin(pi/8) from the segment of length 4 (entry nw - 8).
void leaf16Plain(double* a, const double* w, int32_t nw) noexcept;

/// Y[k] = sum y[j] e^(+2 pi i j (2k+1) / 32) on 32 doubles; reads the segment
/// of length 16 (entry nw - 32).
void leaf16Rotated(double* a, const double* w, int32_t nw) noexcept;

/// Y[k] = sum y[j] e^(+2 pi i j k / 8) on 16 doubles; reads cos(pi/4).
void leaf8Plain(double* a, const double* w, int32_t nw) noexcept;

/// Y[k] = sum y[j] e^(+2 pi i j (2k+1) / 16) on 16 doubles; reads the segment
/// of length 4 (entry nw - 8).
void leaf8Rotated(double* a, const double* w, int32_t nw) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
