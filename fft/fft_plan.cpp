#include "fft_plan.h"

#include "complex_fft.h"
#include "fft_tables.h"
#include "frame_transforms.h"
#include "kernel_path.h"
#include "real_conversion.h"

#include <algorithm>
#include <memory>
#include <type_traits>

namespace {

using vorlen::fft::kFrameLength;
constexpr int32_t kForward = 1;
constexpr int32_t kInverse = 2;
constexpr int32_t kFlags = 3;

// The fast paths let the kernels read and write spectra as interleaved
// doubles, which a ComplexBin array is.
static_assert(sizeof(ComplexBin) == 2 * sizeof(double) && std::is_standard_layout_v<ComplexBin>);

// The tables were built for transforms of up to 4 nw (twiddles) and 4 nc
// (cosines) doubles, and the work array holds that many; a plan whose size
// was changed afterwards, or that was released, must not run past them.
bool runnable(const FftPlan& plan) noexcept {
    if (plan.work == nullptr || plan.indexTable == nullptr || plan.trigTable == nullptr) {
        return false;
    }
    const int32_t n = plan.n;
    const int32_t nw = plan.indexTable[0];
    const int32_t nc = plan.indexTable[1];
    const bool powerOfTwo = n >= 2 && (n & (n - 1)) == 0;
    return powerOfTwo && n / 4 <= nw && n / 4 <= nc;
}

// The 2048-point transforms on the instruction set chosen for this process.
const vorlen::fft::FrameKernels& frameKernels() noexcept {
#if defined(VORLEN_FFT_AVX512_PATH)
    if (vorlen::fft::kernelPath() == vorlen::fft::KernelPath::avx512) {
        return vorlen::fft::avx512::kFrameKernels;
    }
#endif
#if defined(VORLEN_FFT_AVX_PATH)
    if (vorlen::fft::kernelPath() == vorlen::fft::KernelPath::avx) {
        return vorlen::fft::avx::kFrameKernels;
    }
#endif
#if defined(VORLEN_FFT_NEON_PATH)
    if (vorlen::fft::kernelPath() == vorlen::fft::KernelPath::neon) {
        return vorlen::fft::neon::kFrameKernels;
    }
#endif
    return vorlen::fft::kFrameKernels;
}

FftPlan makePlan(int32_t kind) {
    // The instruction set is chosen before the first plan exists.
    static_cast<void>(vorlen::fft::kernelPath());
    const int32_t n = kFrameLength;
    const int32_t nw = n / 4;
    const int32_t nc = n / 4;
    // Held by owners until all three exist, so that a failed allocation
    // leaks none of the others.
    auto work = std::make_unique_for_overwrite<double[]>(n);
    auto indexTable = std::make_unique_for_overwrite<int32_t[]>(vorlen::fft::indexTableSize(nw));
    auto trigTable = std::make_unique_for_overwrite<double[]>(nw + nc);
    vorlen::fft::makeTwiddleTable(nw, indexTable.get(), trigTable.get());
    vorlen::fft::makeCosineTable(nc, indexTable.get(), trigTable.get() + nw);

    FftPlan plan{};
    plan.n = n;
    plan.kind = kind;
    plan.flags = kFlags;
    plan.work = work.release();
    plan.indexTable = indexTable.release();
    plan.trigTable = trigTable.release();
    return plan;
}

} // namespace

FftPlan makeForwardPlan(const double* in, ComplexBin* out) {
    FftPlan plan = makePlan(kForward);
    plan.realIn = in;
    plan.complexOut = out;
    return plan;
}

FftPlan makeInversePlan(const ComplexBin* in, double* out) {
    FftPlan plan = makePlan(kInverse);
    plan.complexIn = in;
    plan.realOut = out;
    return plan;
}

void executePlan(const FftPlan& plan) noexcept {
    if (plan.kind == kForward) {
        executeForward(plan);
    } else {
        executeInverse(plan);
    }
}

namespace {

// The forward transform of the bound input, times `window` unless that is
// null.
void forwardTransform(const FftPlan& plan, const double* window) noexcept {
    if (plan.realIn == nullptr || plan.complexOut == nullptr || !runnable(plan)) {
        return;
    }
    const int32_t n = plan.n;
    const int32_t nw = plan.indexTable[0];
    const int32_t nc = plan.indexTable[1];
    double* __restrict work = plan.work;
    if (n == kFrameLength && n == 4 * nc) {
        auto* out = reinterpret_cast<double*>(plan.complexOut);
        frameKernels().forward(n, plan.realIn, window, work, out, nw, plan.trigTable);
        const double even = out[0];
        const double odd = out[1];
        plan.complexOut[0] = {even + odd, 0.0};
        plan.complexOut[n / 2] = {even - odd, 0.0};
        return;
    }
    if (window != nullptr) {
        for (int32_t j = 0; j < n; ++j) {
            work[j] = plan.realIn[j] * window[j];
        }
    } else {
        std::copy_n(plan.realIn, n, work);
    }
    if (n >= 4) {
        vorlen::fft::complexForward(n, work, plan.indexTable, nw, plan.trigTable);
    }
    if (n > 4) {
        vorlen::fft::realForwardPost(n, work, nc, plan.trigTable + nw);
    }
    // Point 0 of the half-length transform holds the even and odd sums.
    const double nyquist = work[0] - work[1];
    work[0] += work[1];
    work[1] = nyquist;

    ComplexBin* __restrict out = plan.complexOut;
    out[0] = {work[0], 0.0};
    for (int32_t k = 1; k < n / 2; ++k) {
        out[k] = {work[2 * k], work[2 * k + 1]};
    }
    out[n / 2] = {work[1], 0.0};
}

} // namespace

void executeForward(const FftPlan& plan) noexcept {
    forwardTransform(plan, nullptr);
}

void executeWindowedForward(const FftPlan& plan, const double* window) noexcept {
    forwardTransform(plan, window);
}

void executeInverse(const FftPlan& plan) noexcept {
    if (plan.complexIn == nullptr || plan.realOut == nullptr || !runnable(plan)) {
        return;
    }
    const int32_t n = plan.n;
    const int32_t nw = plan.indexTable[0];
    const int32_t nc = plan.indexTable[1];
    double* __restrict work = plan.work;
    const ComplexBin* __restrict in = plan.complexIn;
    if (n == kFrameLength && n == 4 * nc) {
        frameKernels().inverse(n, reinterpret_cast<const double*>(in), work, plan.realOut, nw,
                               plan.trigTable);
        return;
    }
    work[0] = in[0].re;
    work[1] = in[n / 2].re;
    for (int32_t k = 1; k < n / 2; ++k) {
        work[2 * k] = in[k].re;
        work[2 * k + 1] = in[k].im;
    }
    work[1] = 0.5 * (work[0] - work[1]);
    work[0] -= work[1];
    if (n > 4) {
        vorlen::fft::realBackwardPre(n, work, nc, plan.trigTable + nw);
    }
    if (n >= 4) {
        vorlen::fft::complexBackward(n, work, plan.indexTable, nw, plan.trigTable);
    }
    // The steps above give half of the unnormalised inverse.
    double* __restrict out = plan.realOut;
    for (int32_t j = 0; j < n; ++j) {
        out[j] = 2.0 * work[j];
    }
}

void releasePlan(FftPlan& plan) noexcept {
    delete[] plan.work;
    plan.work = nullptr;
    delete[] plan.indexTable;
    plan.indexTable = nullptr;
    delete[] plan.trigTable;
    plan.trigTable = nullptr;
}
