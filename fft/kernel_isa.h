// The kernels are compiled more than once on x86: for the baseline
// instruction set, once more with AVX and, on x86-64, with AVX-512, chosen at
// run time. Each build's functions live in their own namespace, so that the
// linker never mixes them. The AVX-512 build defines VORLEN_FFT_AVX_BUILD
// too: it has everything the AVX build has.
#pragma once

#if defined(VORLEN_FFT_AVX512_BUILD)
#define VORLEN_FFT_ISA avx512
#elif defined(VORLEN_FFT_AVX_BUILD)
#define VORLEN_FFT_ISA avx
#else
#define VORLEN_FFT_ISA baseline
#endif
