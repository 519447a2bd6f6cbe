// The splitting stages of the split-radix network on arrays in the oct
// layout of oct_points.h, eight butterflies (points j..j+7) at a time: the
// AVX-512 build's counterparts of quad_stages.h, rounded alike, with the
// twiddles of two quads joined.
//
// Sizes: `m` is the block length in points, at least 64; `n` the whole array
// in doubles, at least 1024. Twiddles come from the table `w` of `nw` entries.
#pragma once

#include "oct_points.h"

#include <cstdint>

#if VORLEN_FFT_OCTS

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// `firstStageForward` of the interleaved points at `src`, which stay
/// intact, written to `a` in the oct layout. Unless `window` is null, each
/// double of `src` is first multiplied by its counterpart in `window`.
void firstStageForwardOcts(int32_t n, const double* src, const double* window, double* a,
                           const double* w, int32_t nw) noexcept;

/// `firstStageForward` of the array `a` in the oct layout, in place.
void firstStageForwardOctsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage1` of the block `a` of m points in the oct layout.
void middleStage1Octs(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// `middleStage2` of the block `a` of m points in the oct layout.
void middleStage2Octs(int32_t m, double* a, const double* w, int32_t nw) noexcept;

/// The twiddles of the splits of 64-point blocks, built once per transform.
/// Plain doubles, read with unaligned loads: the stack of 64-bit Windows
/// keeps only 16-byte alignment.
struct OctQuarterTwiddles {
    static constexpr int32_t kPoints = 64;
    static constexpr int32_t kOcts = kPoints / 32;
    double plain[kOcts][2][16];   ///< oct p: W^j, W^(3j) for j = 8p..8p+7
    double rotated[kOcts][4][16]; ///< oct p: w^j, e^(i pi/4) w^j, w^(3j), e^(3i pi/4) w^(3j)
};

/// The twiddles of the plain splits of 256-point blocks, of which a
/// 2048-point transform runs three, built once per transform.
struct OctPlainTwiddles256 {
    static constexpr int32_t kPoints = 256;
    static constexpr int32_t kOcts = kPoints / 32;
    double plain[kOcts][2][16]; ///< oct p: W^j, W^(3j) for j = 8p..8p+7
};

/// Fills `t` from the table `w` of `nw` entries (nw >= 256).
void makeOctPlainTwiddles256(const double* w, int32_t nw, OctPlainTwiddles256& t) noexcept;

/// `middleStage1Octs` of a 256-point block with twiddles from `t`.
void middleStage1Oct256(double* a, const OctPlainTwiddles256& t) noexcept;

/// Fills `t` from the table `w` of `nw` entries (nw >= 64).
void makeOctQuarterTwiddles(const double* w, int32_t nw, OctQuarterTwiddles& t) noexcept;

/// `middleStage1Octs` of a 64-point block with twiddles from `t`.
void middleStage1OctQuarter(double* a, const OctQuarterTwiddles& t) noexcept;

/// `middleStage2Octs` of a 64-point block with twiddles from `t`.
void middleStage2OctQuarter(double* a, const OctQuarterTwiddles& t) noexcept;

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
