#include "kernel_path.h"

#include <atomic>

#if defined(VORLEN_FFT_NEON_PATH)
#include <sys/auxv.h>
#endif

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

bool avx512Available() noexcept {
#if defined(VORLEN_FFT_AVX512_PATH)
    // libgcc also asks the operating system whether it saves the mask and
    // 512-bit registers (XCR0), and reports no AVX-512 when it does not.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
#else
    return false;
#endif
}

bool neonAvailable() noexcept {
#if defined(VORLEN_FFT_NEON_PATH)
    // Linux hands every process the processor's features in its auxiliary
    // vector: a read of memory, no system call.
    return (getauxval(AT_HWCAP) & HWCAP_ASIMD) != 0;
#else
    return false;
#endif
}

KernelPath widestPath() noexcept {
    if (neonAvailable()) {
        return KernelPath::neon;
    }
    if (avx512Available()) {
        return KernelPath::avx512;
    }
    return avxAvailable() ? KernelPath::avx : KernelPath::baseline;
}

// Decided when the first plan asks, before any plan runs: a word read once
// per execution, never written by the plans.
std::atomic<KernelPath>& currentPath() noexcept {
    static std::atomic<KernelPath> path{widestPath()};
    return path;
}

} // namespace

KernelPath kernelPath() noexcept {
    return currentPath().load(std::memory_order_relaxed);
}

bool selectKernelPath(KernelPath path) noexcept {
    if ((path == KernelPath::avx && !avxAvailable()) ||
        (path == KernelPath::avx512 && !avx512Available()) ||
        (path == KernelPath::neon && !neonAvailable())) {
        return false;
    }
    currentPath().store(path, std::memory_order_relaxed);
    return true;
}

} // namespace vorlen::fft
