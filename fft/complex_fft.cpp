#include "complex_fft.h"

#include "bit_reversal.h"
#include "butterflies.h"
#include "leaf_kernels.h"
#include "leaf_schedule.h"
#include "leaves.h"
#include "split_stages.h"

#include <bit>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// Blocks of up to this many doubles (4 KiB) are finished one after another,
// so that each stays in the first-level cache while its leaves run.
constexpr int32_t kLeafBlock = 512;

// Leaf policies: what a leaf block's quarters are finished with, and where
// their results go. `first` is the output index of a leaf's first result
// when the leaves write to their final places; in-place leaves ignore it.

// Leaves of `Leaf` = 8 or 16 points, in place, outputs left in bit-reversed
// order.
template <int32_t Leaf>
struct InPlaceLeaves {
    static constexpr int32_t kBlock = 32 * Leaf;
    static constexpr bool kWholeBlocks = false;
    const Leaf16Twiddles& t;
    const double* w;
    int32_t nw;
    int32_t blockFirst(int32_t /*block*/) const noexcept { return 0; }
    int32_t quarterStep() const noexcept { return 0; }
    int32_t subStep() const noexcept { return 0; }
    void split1(int32_t m, double* a, const double* w, int32_t nw) const noexcept {
        middleStage1(m, a, w, nw);
    }
    void split2(int32_t m, double* a, const double* w, int32_t nw) const noexcept {
        middleStage2(m, a, w, nw);
    }
    VORLEN_FFT_INLINE void plain(double* a, int32_t /*first*/) const noexcept {
        if constexpr (Leaf == 16) {
            leaf16<false>(a, t);
        } else {
            leaf8Plain(a, w, nw);
        }
    }
    VORLEN_FFT_INLINE void rotated(double* a, int32_t /*first*/) const noexcept {
        if constexpr (Leaf == 16) {
            leaf16<true>(a, t);
        } else {
            leaf8Rotated(a, w, nw);
        }
    }
};

// The size of the blocks that the network finishes one by one: the array
// divided by 4 until it is at most 512 doubles.
int32_t leafBlockSize(int32_t n) noexcept {
    int32_t m = n;
    while (m > kLeafBlock) {
        m /= 4;
    }
    return m;
}

// Everything from the first split to the leaves, for n > 32 doubles; the
// outputs stay in bit-reversed order.
void network(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    const Leaf16Twiddles t = makeLeaf16Twiddles(w, nw);
    if (n > 128) {
        if (leafBlockSize(n) == kLeafBlock) {
            leafBlocks(n, a, w, nw, InPlaceLeaves<16>{t, w, nw});
        } else {
            leafBlocks(n, a, w, nw, InPlaceLeaves<8>{t, w, nw});
        }
    } else if (n == 128) {
        finishQuarters(a, 32, true, InPlaceLeaves<16>{t, w, nw}, 0);
    } else {
        finishQuarters(a, 16, true, InPlaceLeaves<8>{t, w, nw}, 0);
    }
}

constexpr int32_t kReversed4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr int32_t kReversed3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Puts the bit-reversed outputs of one leaf covering the whole array in
// natural order; backward reads output (points - k) mod points for k, which
// turns the positive exponent into the negative one.
template <int32_t Points>
void reorderSmall(double* a, const int32_t (&reversed)[Points], bool backward) noexcept {
    Cx v[Points];
    for (int32_t p = 0; p < Points; ++p) {
        v[p] = loadPoint(a, p);
    }
    for (int32_t k = 0; k < Points; ++k) {
        const int32_t from = backward ? (Points - k) % Points : k;
        storePoint(a, k, v[reversed[from]]);
    }
}

void fourPoints(double* a, bool backward) noexcept {
    const Cx z0 = loadPoint(a, 0);
    const Cx z1 = loadPoint(a, 1);
    const Cx z2 = loadPoint(a, 2);
    const Cx z3 = loadPoint(a, 3);
    const Cx s02 = z0 + z2;
    const Cx d02 = z0 - z2;
    const Cx s13 = z1 + z3;
    const Cx d13 = backward ? timesI(z3 - z1) : timesI(z1 - z3);
    storePoint(a, 0, s02 + s13);
    storePoint(a, 1, d02 + d13);
    storePoint(a, 2, s02 - s13);
    storePoint(a, 3, d02 - d13);
}

void twoPoints(double* a) noexcept {
    Cx z0 = loadPoint(a, 0);
    Cx z1 = loadPoint(a, 1);
    dft2Plain(z0, z1);
    storePoint(a, 0, z0);
    storePoint(a, 1, z1);
}

void transform(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w,
               bool backward) noexcept {
    if (n > 32) {
        if (backward) {
            firstStageBackward(n, a, w, nw);
        } else {
            firstStageForward(n, a, w, nw);
        }
        network(n, a, w, nw);
        if (backward) {
            bitReverseConjugate(n, ip, a);
        } else {
            bitReverse(n, ip, a);
        }
    } else if (n == 32) {
        leaf16Plain(a, w, nw);
        reorderSmall(a, kReversed4, backward);
    } else if (n == 16) {
        leaf8Plain(a, w, nw);
        reorderSmall(a, kReversed3, backward);
    } else if (n == 8) {
        fourPoints(a, backward);
    } else if (n == 4) {
        twoPoints(a);
    }
}

} // namespace

void complexForward(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept {
    transform(n, a, ip, nw, w, false);
}

void complexBackward(int32_t n, double* a, const int32_t* ip, int32_t nw,
                     const double* w) noexcept {
    transform(n, a, ip, nw, w, true);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
