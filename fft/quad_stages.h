// The splitting stages of the split-radix network on arrays in the quad
// layout of quad_points.h, four butterflies (points j..j+3) at a time: the
// AVX build's counterparts of pair_stages.h, rounded alike, with point 0 of
// a block multiplied by 1 where the pair stages do.
//
// Sizes: `m` is the block length in points, at least 64; `n` the whole array
// in doubles, at least 512. Twiddles come from the table `w` of `nw` entries.
#pragma once

#include "quad_points.h"

#include <cstdint>

#if VORLEN_FFT_WIDE

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// `firstStageForward` of the interleaved points at `src`, which stay
/// intact, written to `a` in the quad layout. Unless `window` is null, each
/// double of `src` is first multiplied by its counterpart in `window`.
void firstStageForwardQuads(int32_t n, const double* src, const double* window, double* a,
                            const double* w, int32_t nw) noexcept;

/// `firstStageForward` of the array `a` in the quad layout, in place.
void firstStageForwardQuadsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage1` of the block `a` of m points in the quad layout.
void middleStage1Quads(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage2` of the block `a` of m points in the quad layout.
void middleStage2Quads(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// The twiddles of the splits of 64-point blocks, the most frequent ones,
/// built once per transform instead of once per block. Plain doubles, read
/// with unaligned loads: the stack need not keep AVX alignment.
struct QuadQuarterTwiddles {
    static constexpr int32_t kPoints = 64;
    static constexpr int32_t kQuads = kPoints / 16;
    double plain[kQuads][2][8];   ///< quad p: W^j, W^(3j) for j = 4p..4p+3
    double rotated[kQuads][4][8]; ///< quad p: w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j)
};

/// Fills `t` from the table `w` of `nw` entries (nw >= 64).
void makeQuadQuarterTwiddles(const double* w, int32_t nw, QuadQuarterTwiddles& t) noexcept;

/// `middleStage1Quads` of a 64-point block with twiddles from `t`.
void middleStage1QuadQuarter(double* a, const QuadQuarterTwiddles& t) noexcept;

/// `middleStage2Quads` of a 64-point block with twiddles from `t`.
void middleStage2QuadQuarter(double* a, const QuadQuarterTwiddles& t) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
