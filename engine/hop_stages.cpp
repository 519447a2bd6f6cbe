#include "hop_stages.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>

#include "shape_pass.h"
#include "smoothing.h"

// The passes' loops, square roots and divisions do two doubles per instruction on SSE2, part
// of every x86-64, and four on AVX, where the processor has it, at about the same cost. Both
// paths give the same results, every operation being exactly rounded either way, and the
// library still runs on the baseline instruction set: the wide path is chosen at run time.
// Not on 32-bit x86, whose baseline computes in x87 registers and would round differently
// from the wide path.
//
// With AVX2 and FMA, the shaping replaces most of its divisions by products and fused
// corrections that give the same, correctly rounded quotients (shape_pass.h); with
// AVX-512 it does so for eight bins at a time.
//
// On 64-bit ARM this file is built without Advanced SIMD, so that the baseline is plain
// doubles, and the same passes are built once more for NEON, two doubles to a register as
// on SSE2, and taken wherever the processor has it (every one that runs Linux does). No
// fused multiply-add is formed on either (contraction is off), so both round as x86 does.
//
// A build may set VORLEN_AVX_PATH to 0 to test the baseline path on a processor with AVX,
// VORLEN_FMA_PATH to 0 to test the plain AVX path on one with FMA, VORLEN_AVX512_PATH
// to 0 to test the FMA path on one with AVX-512, or VORLEN_NEON_PATH to 0 to test the
// baseline path on one with NEON.
#if !defined(VORLEN_NEON_PATH)
#if defined(__GNUC__) && defined(__aarch64__)
#define VORLEN_NEON_PATH 1
#else
#define VORLEN_NEON_PATH 0
#endif
#endif
#if VORLEN_NEON_PATH
#include <sys/auxv.h>
// GCC and Clang 14 spell the extension differently.
#if defined(__clang__)
#define VORLEN_NEON __attribute__((target("neon")))
#else
#define VORLEN_NEON __attribute__((target("+simd")))
#endif
#endif
#if !defined(VORLEN_AVX_PATH)
#if defined(__GNUC__) && defined(__x86_64__)
#define VORLEN_AVX_PATH 1
#else
#define VORLEN_AVX_PATH 0
#endif
#endif
#if !defined(VORLEN_FMA_PATH)
#define VORLEN_FMA_PATH VORLEN_AVX_PATH
#endif
#if !defined(VORLEN_AVX512_PATH)
#define VORLEN_AVX512_PATH VORLEN_FMA_PATH
#endif
#if defined(__GNUC__)
#define VORLEN_AVX __attribute__((target("avx")))
#endif

namespace vorlen {

namespace {

constexpr int32_t kFrameLength = 2048;
constexpr int32_t kHopSize = 1024;
// Slightly short of 2*pi; the window is defined with this value, not with the true constant.
constexpr double kWindowTwoPi = 6.28318530717958;
constexpr double kInverseGain = 0.00048828125; // 1/2048

#if VORLEN_AVX_PATH
/// True where the processor and the operating system support AVX. Reads a word that the
/// compiler's runtime fills when the library is loaded.
inline bool haveAvx() noexcept {
    return __builtin_cpu_supports("avx");
}
#endif
#if VORLEN_AVX512_PATH
/// True where the processor and the operating system support AVX-512 (F and DQ) and FMA.
inline bool haveAvx512() noexcept {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("fma");
}
#endif
#if VORLEN_FMA_PATH
/// True where the processor also has AVX2 and fused multiply-add.
inline bool haveAvx2Fma() noexcept {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

#if VORLEN_NEON_PATH
/// True where the processor has NEON (Advanced SIMD), as Linux tells every process in its
/// auxiliary vector; read once, when the library is loaded (a pass run before that takes
/// the baseline, which gives the same bits).
const bool kHaveNeon = (getauxval(AT_HWCAP) & HWCAP_ASIMD) != 0;

/// shapeIn for processors with NEON: two bins to a register.
VORLEN_NEON void shapeNeon(int32_t h, const ComplexBin* __restrict left,
                           const ComplexBin* __restrict right, const ComplexBin* __restrict noise,
                           double* __restrict magL, double* __restrict magR,
                           double* __restrict magNoise, ComplexBin* __restrict shapedL,
                           ComplexBin* __restrict shapedR) noexcept {
    shapeIn<2>(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
}
#endif

#if VORLEN_AVX_PATH
/// shapeIn for processors with AVX.
VORLEN_AVX void shapeAvx(int32_t h, const ComplexBin* __restrict left,
                         const ComplexBin* __restrict right, const ComplexBin* __restrict noise,
                         double* __restrict magL, double* __restrict magR,
                         double* __restrict magNoise, ComplexBin* __restrict shapedL,
                         ComplexBin* __restrict shapedR) noexcept {
    shapeIn<4>(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
}
#endif

/// mixIntoRing's loops, for the instruction set of the function they are inlined into.
VORLEN_ALWAYS_INLINE void mixIn(double* __restrict frame, const double* __restrict wet,
                                const double* __restrict window, double dryWeight, double wetWeight,
                                double* __restrict addHalf, double* __restrict storeHalf) noexcept {
    // window * 1/2048 is exact, the factor being a power of two, so forming it here gives
    // the bits of a table of it without reading one. The dry term is the analysis-windowed
    // frame, the same product the forward transform took.
    for (int32_t j = 0; j < kHopSize; ++j) {
        const double w = window[j];
        const double mixed = dryWeight * (frame[j] * w) + wetWeight * (wet[j] * (w * kInverseGain));
        addHalf[j] = mixed + addHalf[j];
    }
    // The newer half is read once, for its mix and its move to the older half.
    double* __restrict newer = frame + kHopSize;
    const double* __restrict wetTail = wet + kHopSize;
    const double* __restrict windowTail = window + kHopSize;
    for (int32_t j = 0; j < kHopSize; ++j) {
        const double sample = newer[j];
        const double w = windowTail[j];
        storeHalf[j] = dryWeight * (sample * w) + wetWeight * (wetTail[j] * (w * kInverseGain));
        frame[j] = sample;
    }
}

#if VORLEN_NEON_PATH
/// mixIn for processors with NEON.
VORLEN_NEON void mixNeon(double* frame, const double* wet, const double* window, double dryWeight,
                         double wetWeight, double* addHalf, double* storeHalf) noexcept {
    mixIn(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
}
#endif

#if VORLEN_AVX_PATH
/// mixIn for processors with AVX.
VORLEN_AVX void mixAvx(double* frame, const double* wet, const double* window, double dryWeight,
                       double wetWeight, double* addHalf, double* storeHalf) noexcept {
    mixIn(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
}
#endif

/// widenSamples' loop, for the instruction set of the function it is inlined into.
VORLEN_ALWAYS_INLINE void widenIn(const float* __restrict in, double* __restrict out,
                                  int32_t count) noexcept {
    for (int32_t i = 0; i < count; ++i) {
        out[i] = static_cast<double>(in[i]);
    }
}

/// narrowSamples' loop, for the instruction set of the function it is inlined into.
VORLEN_ALWAYS_INLINE void narrowIn(const double* __restrict in, float* __restrict out,
                                   int32_t count) noexcept {
    constexpr uint64_t kSign = 0x8000000000000000ULL;
    constexpr uint64_t kLargest = std::bit_cast<uint64_t>(double{FLT_MAX});
    constexpr uint64_t kInfinity = 0x7ff0000000000000ULL;
    constexpr uint32_t kFloatSign = 0x80000000U;
    constexpr uint32_t kFloatExponent = 0x7f800000U;
    // Compared as bit patterns: a floating-point comparison here would keep the loop from
    // vectorising, the compiler having to keep its exceptions in order.
    for (int32_t i = 0; i < count; ++i) {
        // A finite sample beyond float's range (a huge input, or a gain above one on a
        // sample near the top of the range) stays finite at the largest float; NaN and
        // infinities pass as they are, the input having been non-finite.
        uint64_t wide = std::bit_cast<uint64_t>(in[i]);
        const uint64_t magnitude = wide & ~kSign;
        const bool beyond = (magnitude > kLargest) & (magnitude < kInfinity);
        wide = beyond ? (wide & kSign) | kLargest : wide;
        // Subnormal output costs hosts dearly on many processors: it goes to zero of the
        // same sign.
        uint32_t narrow = std::bit_cast<uint32_t>(static_cast<float>(std::bit_cast<double>(wide)));
        narrow = (narrow & kFloatExponent) == 0 ? narrow & kFloatSign : narrow;
        out[i] = std::bit_cast<float>(narrow);
    }
}

#if VORLEN_NEON_PATH
/// widenIn for processors with NEON.
VORLEN_NEON void widenNeon(const float* in, double* out, int32_t count) noexcept {
    widenIn(in, out, count);
}

/// narrowIn for processors with NEON.
VORLEN_NEON void narrowNeon(const double* in, float* out, int32_t count) noexcept {
    narrowIn(in, out, count);
}
#endif

#if VORLEN_AVX_PATH
/// widenIn for processors with AVX.
VORLEN_AVX void widenAvx(const float* in, double* out, int32_t count) noexcept {
    widenIn(in, out, count);
}

/// narrowIn for processors with AVX.
VORLEN_AVX void narrowAvx(const double* in, float* out, int32_t count) noexcept {
    narrowIn(in, out, count);
}
#endif

} // namespace

void makeWindow(double* window) noexcept {
    for (int32_t i = 0; i < kFrameLength; ++i) {
        const double theta = (static_cast<double>(i) * 0.00048828125) * kWindowTwoPi;
        window[i] = std::sqrt(0.5 - 0.5 * std::cos(theta));
    }
}

void moveFrameOn(double* frame) noexcept {
    std::copy_n(frame + kHopSize, kHopSize, frame);
}

void shapeNoise(int32_t h, const ComplexBin* __restrict left, const ComplexBin* __restrict right,
                const ComplexBin* __restrict noise, double* __restrict magL,
                double* __restrict magR, double* __restrict magNoise,
                ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
#if VORLEN_NEON_PATH
    if (kHaveNeon) {
        shapeNeon(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
        return;
    }
#endif
#if VORLEN_AVX512_PATH
    if (haveAvx512()) {
        shapeNoiseAvx512(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
        return;
    }
#endif
#if VORLEN_FMA_PATH
    if (haveAvx2Fma()) {
        shapeNoiseFma(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
        return;
    }
#endif
#if VORLEN_AVX_PATH
    if (haveAvx()) {
        shapeAvx(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
        return;
    }
#endif
    shapeIn<2>(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
}

void mixIntoRing(double* frame, const double* wet, const double* window, double dryWeight,
                 double wetWeight, double* addHalf, double* storeHalf) noexcept {
#if VORLEN_NEON_PATH
    if (kHaveNeon) {
        mixNeon(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
        return;
    }
#endif
#if VORLEN_AVX_PATH
    if (haveAvx()) {
        mixAvx(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
        return;
    }
#endif
    mixIn(frame, wet, window, dryWeight, wetWeight, addHalf, storeHalf);
}

void widenSamples(const float* in, double* out, int32_t count) noexcept {
#if VORLEN_NEON_PATH
    if (kHaveNeon) {
        widenNeon(in, out, count);
        return;
    }
#endif
#if VORLEN_AVX_PATH
    if (haveAvx()) {
        widenAvx(in, out, count);
        return;
    }
#endif
    widenIn(in, out, count);
}

void narrowSamples(const double* in, float* out, int32_t count) noexcept {
#if VORLEN_NEON_PATH
    if (kHaveNeon) {
        narrowNeon(in, out, count);
        return;
    }
#endif
#if VORLEN_AVX_PATH
    if (haveAvx()) {
        narrowAvx(in, out, count);
        return;
    }
#endif
    narrowIn(in, out, count);
}

} // namespace vorlen
