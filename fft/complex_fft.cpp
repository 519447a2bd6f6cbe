#include "complex_fft.h"

#include "bit_reversal.h"
#include "butterflies.h"
#include "leaves.h"
#include "split_stages.h"

namespace vorlen::fft {
namespace {

// Blocks of up to this many doubles (4 KiB) are finished one after another,
// so that each stays in the first-level cache while its leaves run.
constexpr int32_t kLeafBlock = 512;

using Leaf = void (*)(double*, const double*, int32_t) noexcept;

// The four sub-blocks of a block split by middleStage1 (plain, rotated,
// plain, plain) or by middleStage2 (plain, rotated, plain, rotated).
void finishQuarters(double* a, int32_t quarter, bool splitPlain, Leaf plain, Leaf rotated,
                    const double* w, int32_t nw) noexcept {
    plain(a, w, nw);
    rotated(a + quarter, w, nw);
    plain(a + 2 * quarter, w, nw);
    (splitPlain ? plain : rotated)(a + 3 * quarter, w, nw);
}

// Finishes a block of 512 or 256 doubles that its caller has already split;
// `split1` says whether that split was plain, and so whether quarter 3 is.
void leafBlock(double* a, int32_t doubles, bool split1, const double* w, int32_t nw) noexcept {
    const int32_t quarter = doubles / 4;
    const int32_t points = quarter / 2;
    const Leaf plain = doubles == kLeafBlock ? leaf16Plain : leaf8Plain;
    const Leaf rotated = doubles == kLeafBlock ? leaf16Rotated : leaf8Rotated;
    const int32_t sub = quarter / 4;
    for (int32_t k = 0; k < 4; ++k) {
        double* block = a + k * quarter;
        const bool isPlain = k == 0 || k == 2 || (k == 3 && split1);
        if (isPlain) {
            middleStage1(points, block, w, nw);
        } else {
            middleStage2(points, block, w, nw);
        }
        finishQuarters(block, sub, isPlain, plain, rotated, w, nw);
    }
}

// Splits the leaf block numbered k (counting from the end of the array) that
// ends at double j, and any larger blocks whose first visit this is; returns
// whether they were plain. A block's quarter index within its parent is
// 3 - (k mod 4): quarter 2 and 0 are plain, quarter 1 rotated, and quarter 3
// inherits its parent's state.
bool treeStep(int32_t m, int32_t j, int32_t k, double* a, const double* w, int32_t nw) noexcept {
    if (k % 4 != 0) {
        const bool isPlain = (k % 2) != 0;
        if (isPlain) {
            middleStage1(m / 2, a + j - m, w, nw);
        } else {
            middleStage2(m / 2, a + j - m, w, nw);
        }
        return isPlain;
    }
    int32_t size = m;
    while (k % 4 == 0) {
        k /= 4;
        size *= 4;
    }
    const bool isPlain = (k % 2) != 0;
    for (; size > 128; size /= 4) {
        if (isPlain) {
            middleStage1(size / 2, a + j - size, w, nw);
        } else {
            middleStage2(size / 2, a + j - size, w, nw);
        }
    }
    return isPlain;
}

// Depth first from the end of the array, one leaf block at a time.
void recursiveStages(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    int32_t m = n;
    while (m > kLeafBlock) {
        m /= 4;
        middleStage1(m / 2, a + n - m, w, nw);
    }
    leafBlock(a + n - m, m, true, w, nw);
    int32_t k = 0;
    for (int32_t j = n - m; j > 0; j -= m) {
        ++k;
        const bool split1 = treeStep(m, j, k, a, w, nw);
        leafBlock(a + j - m, m, split1, w, nw);
    }
}

// Everything from the first split to the leaves, for n > 32 doubles.
void network(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    if (n > kLeafBlock) {
        recursiveStages(n, a, w, nw);
    } else if (n > 128) {
        leafBlock(a, n, true, w, nw);
    } else if (n == 128) {
        finishQuarters(a, 32, true, leaf16Plain, leaf16Rotated, w, nw);
    } else {
        finishQuarters(a, 16, true, leaf8Plain, leaf8Rotated, w, nw);
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

} // namespace vorlen::fft
