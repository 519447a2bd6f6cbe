// Builders of the tables that the split-radix kernels read.
//
// Layout (nw = twiddle table size, nc = cosine table size):
// - Index table: [0] = nw, [1] = nc, then bit-reversal levels m = 2, 4, 8, ...
//   at entries m..2m-1, where entry m + k = 8m times the log2(m)-bit reversal
//   of k (an offset in doubles).
// - Twiddle table: segments of length L = nw/2, nw/4, ..., 2, the one of length
//   L starting at entry nw - 2L, so kernels address them from the end and one
//   table serves every smaller transform. With d = pi/(4L) a segment holds
//   [0] = 1, [1] = cos(pi/4), and for L >= 8: [2] = 0.5/cos(2d),
//   [3] = 0.5/cos(6d), groups j = 4, 8, .. L-4 of cos(jd), sin(jd), cos(3jd),
//   -sin(3jd); for L = 4: [2], [3] = cos(pi/8), sin(pi/8).
// - Cosine table: [0] = cos(pi/4), [j] = 0.5 cos(j pi / (2 nc)) for j >= 1.
#pragma once

#include <cstdint>

namespace vorlen::fft {

/// Number of index table entries that `makeTwiddleTable` writes for `nw`.
int32_t indexTableSize(int32_t nw) noexcept;

/// Sets index entries 0 (= nw) and 1 (= 1), fills the twiddle table `w` of
/// `nw` entries and, for nw > 8, the bit-reversal levels of `ip`.
void makeTwiddleTable(int32_t nw, int32_t* ip, double* w) noexcept;

/// Fills the bit-reversal levels of `ip` that transforms of up to 4 `nw`
/// doubles use.
void makeBitReversalTable(int32_t nw, int32_t* ip) noexcept;

/// Sets index entry 1 = `nc` and fills the cosine table `c` of `nc` entries.
void makeCosineTable(int32_t nc, int32_t* ip, double* c) noexcept;

} // namespace vorlen::fft
