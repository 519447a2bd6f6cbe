// Prepared real FFTs of 2048 points.
//
// Conventions:
// - Forward: bin k = sum_j x[j] * e^(+2*pi*i*j*k/n), k = 0..n/2, unscaled.
//   Note the + sign. Bins 0 and n/2 have imaginary part exactly 0.0.
// - Inverse: out[j] = Re Z[0] + (-1)^j Re Z[n/2]
//                     + 2 * sum_{k=1}^{n/2-1} Re(Z[k] e^(-2*pi*i*j*k/n)),
//   unnormalised: inverse(forward(x)) == n * x. The imaginary parts of bins 0
//   and n/2 are ignored.
// - A spectrum is n/2 + 1 = 1025 `ComplexBin`s; the caller's arrays may be
//   larger (the effect keeps 2048), a plan touches only the first 1025.
// - A plan is bound to its caller-owned input and output arrays when it is
//   made; it never writes its input. It owns its work array and tables.
// - One plan runs on one thread at a time (its work array is shared scratch);
//   different plans share nothing and may run concurrently.
#pragma once

#include <cstdint>

/// One spectrum bin: real part first, imaginary part second.
struct ComplexBin {
    double re;
    double im;
};

/// One prepared real transform of `n` = 2048 points. A plain record: copies
/// share the owned arrays, and exactly one copy is passed to `releasePlan`.
struct FftPlan {
    int32_t n;                   ///< real samples per frame, 2048
    int32_t kind;                ///< 1 forward (real to complex), 2 inverse (complex to real)
    int32_t flags;               ///< always 3; read by nothing
    const ComplexBin* complexIn; ///< inverse: spectrum read (n/2 + 1 bins)
    const double* realIn;        ///< forward: frame read (n values)
    ComplexBin* complexOut;      ///< forward: spectrum written (n/2 + 1 bins)
    double* realOut;             ///< inverse: frame written (n values)
    double* work;                ///< owned scratch, n doubles, holds nothing between runs
    int32_t* indexTable; ///< owned: [0] twiddle count nw, [1] cosine count nc, [2..] bit reversal
    double* trigTable;   ///< owned: nw twiddles, then nc cosine entries
};

/// Forward plan from `in` (2048 doubles) to `out` (at least 1025 bins).
/// Allocation failure throws std::bad_alloc; nothing is leaked then.
FftPlan makeForwardPlan(const double* in, ComplexBin* out);
/// Inverse plan from `in` (at least 1025 bins) to `out` (2048 doubles).
FftPlan makeInversePlan(const ComplexBin* in, double* out);
/// Runs the plan on its bound arrays: forward for kind 1, inverse otherwise.
/// Allocates nothing; real-time safe.
void executePlan(const FftPlan& plan) noexcept;
/// Forward transform of the bound arrays. Does nothing when the plan has no
/// `realIn` or `complexOut`, has been released, or its `n` is not a power of
/// two that its tables serve (2 to 4 nw).
void executeForward(const FftPlan& plan) noexcept;
/// Forward transform of `realIn[j] * window[j]` (j < n), the same bits as
/// `executeForward` of a windowed copy, without the copy; `window` holds n
/// doubles, or is null for no windowing. Does nothing where
/// `executeForward` would.
void executeWindowedForward(const FftPlan& plan, const double* window) noexcept;
/// Inverse transform of the bound arrays. Does nothing when the plan has no
/// `complexIn` or `realOut`, has been released, or its `n` is not served.
void executeInverse(const FftPlan& plan) noexcept;
/// Frees the plan's own arrays (work, indexTable, trigTable) and nulls them;
/// the bound arrays stay the caller's.
void releasePlan(FftPlan& plan) noexcept;
