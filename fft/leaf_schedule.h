// The order in which the split-radix network finishes an array: depth first
// from its end, one leaf block of at most 512 doubles at a time, each split
// into quarters that leaves then finish. A leaf policy says what splits and
// leaves are run (in place, or writing outputs to their final places).
#pragma once

#include "lanes.h"

#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

// Leaf i of a leaf block's quarter k, counted by (k, i), ends up at index
// offsets given by the 2-bit reversals of k and i.
inline constexpr int32_t kReversed2[4] = {0, 2, 1, 3};

inline int32_t reverseBits(int32_t x, int32_t bits) noexcept {
    int32_t r = 0;
    for (int32_t b = 0; b < bits; ++b) {
        r = (r << 1) | ((x >> b) & 1);
    }
    return r;
}

// The four sub-blocks of a block split by middleStage1 (plain, rotated,
// plain, plain) or by middleStage2 (plain, rotated, plain, rotated).
template <class Leaves>
VORLEN_FFT_INLINE void finishQuarters(double* a, int32_t quarter, bool splitPlain,
                                      const Leaves& leaves, int32_t first) noexcept {
    const int32_t step = leaves.subStep();
    leaves.plain(a, first + kReversed2[0] * step);
    leaves.rotated(a + quarter, first + kReversed2[1] * step);
    leaves.plain(a + 2 * quarter, first + kReversed2[2] * step);
    if (splitPlain) {
        leaves.plain(a + 3 * quarter, first + kReversed2[3] * step);
    } else {
        leaves.rotated(a + 3 * quarter, first + kReversed2[3] * step);
    }
}

// Finishes leaf block number `block` of the array at `base`, which its caller
// has already split; `split1` says whether that split was plain, and so
// whether quarter 3 is.
template <class Leaves>
void leafBlock(double* base, int32_t block, bool split1, const double* w, int32_t nw,
               const Leaves& leaves) noexcept {
    constexpr int32_t quarter = Leaves::kBlock / 4;
    constexpr int32_t points = quarter / 2;
    constexpr int32_t sub = quarter / 4;
    double* a = base + block * Leaves::kBlock;
    const int32_t first = leaves.blockFirst(block);
    for (int32_t k = 0; k < 4; ++k) {
        double* q = a + k * quarter;
        const bool isPlain = k == 0 || k == 2 || (k == 3 && split1);
        if (isPlain) {
            leaves.split1(points, q, w, nw);
        } else {
            leaves.split2(points, q, w, nw);
        }
        if constexpr (!Leaves::kWholeBlocks) {
            finishQuarters(q, sub, isPlain, leaves, first + kReversed2[k] * leaves.quarterStep());
        }
    }
    if constexpr (Leaves::kWholeBlocks) {
        leaves.block(a, first, split1);
    }
}

// Splits the leaf block numbered k (counting from the end of the array) that
// ends at double j, and any larger blocks whose first visit this is; returns
// whether they were plain. A block's quarter index within its parent is
// 3 - (k mod 4): quarter 2 and 0 are plain, quarter 1 rotated, and quarter 3
// inherits its parent's state.
template <class Leaves>
bool treeStep(int32_t m, int32_t j, int32_t k, double* a, const double* w, int32_t nw,
              const Leaves& leaves) noexcept {
    if (k % 4 != 0) {
        const bool isPlain = (k % 2) != 0;
        if (isPlain) {
            leaves.split1(m / 2, a + j - m, w, nw);
        } else {
            leaves.split2(m / 2, a + j - m, w, nw);
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
            leaves.split1(size / 2, a + j - size, w, nw);
        } else {
            leaves.split2(size / 2, a + j - size, w, nw);
        }
    }
    return isPlain;
}

// Everything after the first split of an array of n > 128 doubles whose
// leaf blocks have Leaves::kBlock doubles: depth first from the end of the
// array, one leaf block at a time.
template <class Leaves>
void leafBlocks(int32_t n, double* a, const double* w, int32_t nw, const Leaves& leaves) noexcept {
    constexpr int32_t m = Leaves::kBlock;
    for (int32_t size = n / 4; size >= m; size /= 4) {
        leaves.split1(size / 2, a + n - size, w, nw);
    }
    int32_t block = n / m - 1;
    leafBlock(a, block, true, w, nw, leaves);
    int32_t k = 0;
    for (int32_t j = n - m; j > 0; j -= m) {
        ++k;
        --block;
        const bool split1 = treeStep(m, j, k, a, w, nw, leaves);
        leafBlock(a, block, split1, w, nw, leaves);
    }
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
