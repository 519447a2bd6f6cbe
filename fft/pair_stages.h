// The splitting stages of the split-radix network on arrays in the pair
// layout of point_pairs.h, two butterflies (points j and j+1) at a time.
// They compute what firstStageForward, middleStage1 and middleStage2
// compute, with the same roundings; only the layout differs.
//
// Sizes: `m` is the block length in points, at least 64; `n` the whole array
// in doubles, at least 512. Twiddles come from the table `w` of `nw` entries.
#pragma once

#include <cstdint>

namespace vorlen::fft {

/// `firstStageForward` of the interleaved points at `src`, which stay
/// intact, written to `a` in the pair layout.
void firstStageForwardPairs(int32_t n, const double* src, double* a, const double* w,
                            int32_t nw) noexcept;

/// `firstStageForward` of the array `a` in the pair layout, in place.
void firstStageForwardPairsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage1` of the block `a` of m points in the pair layout.
void middleStage1Pairs(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage2` of the block `a` of m points in the pair layout.
void middleStage2Pairs(int32_t m, double* a, const double* w, int32_t nw) noexcept;

} // namespace vorlen::fft
