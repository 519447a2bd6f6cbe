// The whole work of the 2048-point plans between their bound arrays: the
// half-length complex transform and the real-spectrum conversion, writing
// straight to the output. Built once per instruction set (lanes.h); the
// plans pick one at run time (kernel_path.h). frame_transforms.cpp shows
// which kernels each runs.
#pragma once

#include "lanes.h"

#include <cstdint>

namespace vorlen::fft {

/// The one length these transforms serve, that of the plans.
inline constexpr int32_t kFrameLength = 2048;

/// The transforms of one instruction set.
struct FrameKernels {
    /// Forward transform of the n doubles at `in` (intact afterwards), each
    /// times its counterpart in `window` unless that is null, into the packed
    /// spectrum at `out` (n doubles: bins 1..n/2-1 in place, doubles 0 and 1
    /// the even and odd sums); `work` is n doubles of scratch, `w` the
    /// twiddle table of `nw` entries followed by the cosine table of n/4.
    void (*forward)(int32_t n, const double* in, const double* window, double* work, double* out,
                    int32_t nw, const double* w) noexcept;
    /// Full unnormalised inverse of the bins 0..n/2 at `in` (n + 2 doubles,
    /// intact afterwards) into the n doubles at `out`; `work` and `w` as for
    /// `forward`.
    void (*inverse)(int32_t n, const double* in, double* work, double* out, int32_t nw,
                    const double* w) noexcept;
};

inline namespace VORLEN_FFT_ISA {
/// This build's transforms.
extern const FrameKernels kFrameKernels;
} // namespace VORLEN_FFT_ISA

#if defined(VORLEN_FFT_AVX_PATH) && !defined(VORLEN_FFT_AVX_BUILD)
namespace avx {
/// The AVX build's transforms; only for processors that have it.
extern const FrameKernels kFrameKernels;
} // namespace avx
#endif

#if defined(VORLEN_FFT_AVX512_PATH) && !defined(VORLEN_FFT_AVX_BUILD)
namespace avx512 {
/// The AVX-512 build's transforms; only for processors that have it.
extern const FrameKernels kFrameKernels;
} // namespace avx512
#endif

#if defined(VORLEN_FFT_NEON_PATH) && !defined(VORLEN_FFT_NEON_BUILD)
namespace neon {
/// The NEON build's transforms; only for processors that have it.
extern const FrameKernels kFrameKernels;
} // namespace neon
#endif

} // namespace vorlen::fft
