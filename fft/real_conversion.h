// Conversion between the complex FFT of a real sequence's n/2 point pairs
// (x[2j], x[2j+1]) and the sequence's own spectrum, in the packed layout
// a[2k], a[2k+1] = bin k for 1 <= k < n/4 and their mirrors n/2 - k. Bin n/4
// and doubles 0 and 1 are left to the caller.
#pragma once

#include "lanes.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// After `complexForward`: turns the half-length transform into bins 1..n/2-1.
/// `c` is the cosine table of `nc` >= n/4 entries.
void realForwardPost(int32_t n, double* a, int32_t nc, const double* c) noexcept;

/// Before `complexBackward`: the inverse of `realForwardPost`.
void realBackwardPre(int32_t n, double* a, int32_t nc, const double* c) noexcept;

/// Packs the bins 0..n/2 at `in` (interleaved, n + 2 doubles) into the n
/// doubles of `a` in the layout of kWidth lanes (lanes.h), converted as by
/// `realBackwardPre`, with doubles 0 and 1 set as an inverse plan sets them,
/// and conjugated, as the backward transform's first stage would read them.
/// `c` is a cosine table of n/4 entries; n >= 16 kWidth.
void realBackwardPreLanes(int32_t n, const double* in, double* a, const double* c) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
