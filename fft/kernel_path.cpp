#include "kernel_path.h"

#include <atomic>

namespace vorlen::fft {
namespace {

bool avxAvailable() noexcept {
#if defined(VORLEN_FFT_AVX_PATH)
    // Also true only when the operating system saves the wide registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
#else
    return false;
#endif
}

// Decided when the first plan asks, before any plan runs: a word read once
// per execution, never written by the plans.
std::atomic<KernelPath>& currentPath() noexcept {
    static std::atomic<KernelPath> path{avxAvailable() ? KernelPath::avx : KernelPath::baseline};
    return path;
}

} // namespace

KernelPath kernelPath() noexcept {
    return currentPath().load(std::memory_order_relaxed);
}

bool selectKernelPath(KernelPath path) noexcept {
    if (path == KernelPath::avx && !avxAvailable()) {
        return false;
    }
    currentPath().store(path, std::memory_order_relaxed);
    return true;
}

} // namespace vorlen::fft
