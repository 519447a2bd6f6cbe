// The kernels are compiled twice on x86: for the baseline instruction set and
// once more with AVX, chosen at run time. Each build's functions live in their
// own namespace, so that the linker never mixes the two.
#pragma once

#if defined(VORLEN_FFT_AVX_BUILD)
#define VORLEN_FFT_ISA avx
#else
#define VORLEN_FFT_ISA baseline
#endif
