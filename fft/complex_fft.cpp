#include "complex_fft.h"

#include "bit_reversal.h"
#include "butterflies.h"
#include "lane_leaves.h"
#include "lane_stages.h"
#include "leaf_kernels.h"
#include "leaves.h"
#include "split_stages.h"

#include <bit>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// Blocks of up to this many doubles (4 KiB) are finished one after another,
// so that each stays in the first-level cache while its leaves run.
constexpr int32_t kLeafBlock = 512;

// The one length whose transform writes its outputs in place of a bit
// reversal: that of the plans, whose network ends in 16-point leaves.
constexpr int32_t kDirectLength = 2048;

// Leaf i of a leaf block's quarter k, counted by (k, i), ends up at index
// offsets given by the 2-bit reversals of k and i.
constexpr int32_t kReversed2[4] = {0, 2, 1, 3};

int32_t reverseBits(int32_t x, int32_t bits) noexcept {
    int32_t r = 0;
    for (int32_t b = 0; b < bits; ++b) {
        r = (r << 1) | ((x >> b) & 1);
    }
    return r;
}

// Leaf policies: what a leaf block's quarters are finished with, and where
// their results go. `first` is the output index of a leaf's first result
// when the leaves write to their final places; in-place leaves ignore it.

// 8-point leaves, in place, outputs left in bit-reversed order.
struct InPlaceLeaves8 {
    static constexpr int32_t kBlock = 256;
    static constexpr bool kWholeBlocks = false;
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
    void plain(double* a, int32_t /*first*/) const noexcept { leaf8Plain(a, w, nw); }
    void rotated(double* a, int32_t /*first*/) const noexcept { leaf8Rotated(a, w, nw); }
};

// 16-point leaves, in place, outputs left in bit-reversed order.
struct InPlaceLeaves16 {
    static constexpr int32_t kBlock = 512;
    static constexpr bool kWholeBlocks = false;
    const Leaf16Twiddles& t;
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
        leaf16<false>(a, t);
    }
    VORLEN_FFT_INLINE void rotated(double* a, int32_t /*first*/) const noexcept {
        leaf16<true>(a, t);
    }
};

// 16-point leaves on an array of `Points` points in the layout of kWidth
// lanes that write output k of the transform to point k of the interleaved
// `out`, which takes the place of the bit reversal. The point 16c + i of the
// network holds output rev(i) N/16 + rev(c), c having log2(N) - 4 bits; a
// leaf block t holds the leaves c = 16t + 4k + i. With `Conj` every output
// is conjugated and scaled.
template <int32_t Points, bool Conj>
struct DirectLeaves {
    static constexpr int W = kWidth;
    static constexpr int32_t kBlock = 512;
    static constexpr int32_t kLeafBits = std::countr_zero(static_cast<uint32_t>(Points)) - 4;
    // Eight lanes hold two leaves: the block's leaves go in pairs once all
    // its quarters are split.
    static constexpr bool kWholeBlocks = W == 8;
    using Sink = LeafScatter<W, Points / 16, Conj>;
    const LeafTwiddles& t;
    const BlockTwiddles<W, 64, false>& plain64;
    const BlockTwiddles<W, 64, true>& rotated64;
    // Only eight lanes gain by building these (three splits use them).
    const BlockTwiddles<W, 256, false>* plain256;
    double* out;
    double scale;
    int32_t blockFirst(int32_t block) const noexcept { return reverseBits(block, kLeafBits - 4); }
    int32_t quarterStep() const noexcept { return Points / 256; }
    int32_t subStep() const noexcept { return Points / 64; }
    void split1(int32_t m, double* a, const double* w, int32_t nw) const noexcept {
        if (m == 64) {
            plain64.split(a);
        } else if (m == 256 && plain256 != nullptr) {
            plain256->split(a);
        } else if (m == 256) {
            middleStage1Lanes<W, 64>(m, a, w, nw);
        } else {
            middleStage1Lanes<W>(m, a, w, nw);
        }
    }
    void split2(int32_t m, double* a, const double* w, int32_t nw) const noexcept {
        if (m == 64) {
            rotated64.split(a);
        } else if (m == 256) {
            middleStage2Lanes<W, 64>(m, a, w, nw);
        } else {
            middleStage2Lanes<W>(m, a, w, nw);
        }
    }
    template <bool Rotated>
    VORLEN_FFT_INLINE void leaf(double* a, int32_t first) const noexcept {
        const Sink sink{{out + 2 * first}, scale};
        if constexpr (W == 2) {
            leaf16Pairs<Rotated>(a, t, sink);
        } else {
            const double* leaves[1] = {a};
            leaf16Lanes<W, Rotated ? 1u : 0u>(leaves, t, sink);
        }
    }
    VORLEN_FFT_INLINE void plain(double* a, int32_t first) const noexcept { leaf<false>(a, first); }
    VORLEN_FFT_INLINE void rotated(double* a, int32_t first) const noexcept {
        leaf<true>(a, first);
    }
    // Leaf i of quarter k of a leaf block at `a` whose outputs start at
    // `first`, and where those of the leaf start.
    static double* leafAt(double* a, int32_t k, int32_t i) noexcept {
        return a + k * (kBlock / 4) + i * (kBlock / 16);
    }
    double* outputsOf(int32_t first, int32_t k, int32_t i) const noexcept {
        return out + 2 * (first + kReversed2[k] * quarterStep() + kReversed2[i] * subStep());
    }
    template <uint32_t Rotated>
    VORLEN_FFT_INLINE void pair(double* a, int32_t first, int32_t ka, int32_t ia, int32_t kb,
                                int32_t ib) const noexcept {
        const double* leaves[2] = {leafAt(a, ka, ia), leafAt(a, kb, ib)};
        leaf16Lanes<W, Rotated>(leaves, t,
                                Sink{{outputsOf(first, ka, ia), outputsOf(first, kb, ib)}, scale});
    }
    // The sixteen leaves of a leaf block whose quarters are all split; leaf
    // 1 of each quarter is rotated, and leaf 3 of the rotated ones (quarter
    // 1, and quarter 3 unless `split1`). Paired across quarters, leaves of
    // one kind meet, but for a plain and a rotated one when `split1`.
    VORLEN_FFT_INLINE void block(double* a, int32_t first, bool split1) const noexcept {
        pair<0>(a, first, 0, 0, 0, 2);
        pair<0>(a, first, 0, 3, 1, 0);
        pair<0>(a, first, 1, 2, 2, 0);
        pair<0>(a, first, 2, 2, 2, 3);
        pair<0>(a, first, 3, 0, 3, 2);
        pair<3>(a, first, 0, 1, 1, 1);
        pair<3>(a, first, 1, 3, 2, 1);
        if (split1) {
            pair<1>(a, first, 3, 1, 3, 3);
        } else {
            pair<3>(a, first, 3, 1, 3, 3);
        }
    }
};

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
    if (n > 128) {
        if (leafBlockSize(n) == kLeafBlock) {
            const Leaf16Twiddles t = makeLeaf16Twiddles(w, nw);
            leafBlocks(n, a, w, nw, InPlaceLeaves16{t});
        } else {
            leafBlocks(n, a, w, nw, InPlaceLeaves8{w, nw});
        }
    } else if (n == 128) {
        const Leaf16Twiddles t = makeLeaf16Twiddles(w, nw);
        finishQuarters(a, 32, true, InPlaceLeaves16{t}, 0);
    } else {
        finishQuarters(a, 16, true, InPlaceLeaves8{w, nw}, 0);
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

bool hasDirectTransform(int32_t n) noexcept {
    return n == kDirectLength;
}

namespace {

// The direct transform's leaves, with every twiddle they reuse built once.
template <bool Conj, class Run>
void withDirectLeaves(double* out, double scale, const double* w, int32_t nw,
                      const Run& run) noexcept {
    const LeafTwiddles t = makeLeafTwiddles(w, nw);
    const BlockTwiddles<kWidth, 64, false> plain64(w, nw);
    const BlockTwiddles<kWidth, 64, true> rotated64(w, nw);
    if constexpr (kWidth == 8) {
        const BlockTwiddles<kWidth, 256, false> plain256(w, nw);
        run(DirectLeaves<kDirectLength / 2, Conj>{t, plain64, rotated64, &plain256, out, scale});
    } else {
        run(DirectLeaves<kDirectLength / 2, Conj>{t, plain64, rotated64, nullptr, out, scale});
    }
}

} // namespace

void complexForwardTo(int32_t n, const double* in, const double* window, double* work, double* out,
                      int32_t nw, const double* w) noexcept {
    if (window != nullptr) {
        firstStageLanes<kWidth>(n, FromWindowed<kWidth>{in, window}, work, w, nw);
    } else {
        firstStageLanes<kWidth>(n, FromInterleaved<kWidth>{in}, work, w, nw);
    }
    withDirectLeaves<false>(out, 1.0, w, nw,
                            [&](const auto& leaves) { leafBlocks(n, work, w, nw, leaves); });
}

void complexBackwardLanesTo(int32_t n, double* work, double* out, double scale, int32_t nw,
                            const double* w) noexcept {
    firstStageLanes<kWidth>(n, FromLanes<kWidth>{work}, work, w, nw);
    withDirectLeaves<true>(out, scale, w, nw,
                           [&](const auto& leaves) { leafBlocks(n, work, w, nw, leaves); });
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
