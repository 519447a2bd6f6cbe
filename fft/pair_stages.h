// The splitting stages of the split-radix network on arrays in the pair
// layout of point_pairs.h, two butterflies (points j and j+1) at a time.
// They compute what firstStageForward, middleStage1 and middleStage2
// compute, rounded alike; only the layout differs, and point 0 of a block,
// which shares its register with point 1, is multiplied by 1 where the
// interleaved stages skip the product (this can only change a zero's sign).
//
// Sizes: `m` is the block length in points, at least 64; `n` the whole array
// in doubles, at least 512. Twiddles come from the table `w` of `nw` entries.
#pragma once

#include "point_pairs.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// `firstStageForward` of the interleaved points at `src`, which stay
/// intact, written to `a` in the pair layout. Unless `window` is null, each
/// double of `src` is first multiplied by its counterpart in `window`.
void firstStageForwardPairs(int32_t n, const double* src, const double* window, double* a,
                            const double* w, int32_t nw) noexcept;

/// `firstStageForward` of the array `a` in the pair layout, in place.
void firstStageForwardPairsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage1` of the block `a` of m points in the pair layout.
void middleStage1Pairs(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage2` of the block `a` of m points in the pair layout.
void middleStage2Pairs(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// The twiddles of the splits of 64-point blocks, the most frequent ones,
/// built once per transform instead of once per block.
struct QuarterTwiddles {
    static constexpr int32_t kPoints = 64;
    TwPw plain[kPoints / 8][2];   ///< pair p: W^j, W^(3j) for j = 2p, 2p+1
    TwPw rotated[kPoints / 8][4]; ///< pair p: w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j)
};

/// Fills `t` from the table `w` of `nw` entries (nw >= 64).
void makeQuarterTwiddles(const double* w, int32_t nw, QuarterTwiddles& t) noexcept;

/// `middleStage1Pairs` of a 64-point block with twiddles from `t`.
void middleStage1Quarter(double* a, const QuarterTwiddles& t) noexcept;

/// `middleStage2Pairs` of a 64-point block with twiddles from `t`.
void middleStage2Quarter(double* a, const QuarterTwiddles& t) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
