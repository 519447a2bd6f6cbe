// Which instruction set the 2048-point plans run on. Every path gives the
// same results, bit for bit: they differ only in speed.
#pragma once

namespace vorlen::fft {

/// An instruction set that the plans' kernels are built for.
enum class KernelPath {
    baseline, ///< SSE2 on x86, plain doubles elsewhere (64-bit ARM included)
    avx,      ///< AVX, where the build has it and the processor supports it
    avx512,   ///< AVX-512 F and DQ, on x86-64 builds and processors with them
    neon,     ///< NEON (Advanced SIMD), on 64-bit ARM builds and processors with it
};

/// The path the plans take now: the widest available, unless a test chose
/// otherwise.
KernelPath kernelPath() noexcept;

/// Makes every plan take `path` from now on if this build and processor can;
/// returns whether they do. Meant for tests, which check each path; not to
/// be called while a plan runs.
bool selectKernelPath(KernelPath path) noexcept;

} // namespace vorlen::fft
