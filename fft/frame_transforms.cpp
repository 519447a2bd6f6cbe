#include "frame_transforms.h"

#include "lane_leaves.h"
#include "lane_stages.h"
#include "leaf_schedule.h"
#include "real_conversion.h"

#include <bit>

// The route of the 2048-point plans, on every instruction set. Each build of
// this file (lanes.h) holds kWidth points to a register pair: 2 on the
// baseline (SSE2 on x86; plain doubles elsewhere, 64-bit ARM's baseline
// being built without Advanced SIMD), 2 with NEON, 4 with AVX, 8 with
// AVX-512; the plans pick a build at run time (kernel_path.h).
//
// Forward, and windowed forward (the frame times the window as it is read):
//   firstStageLanes   from the interleaved frame into the work array
//   leafBlocks        with DirectLeaves: the splits middleStage1Lanes and
//                     middleStage2Lanes, those of the most frequent sizes
//                     from BlockTwiddles; the leaves leaf16Pairs (2 lanes),
//                     or leaf16Lanes one leaf at a time (4) or two (8),
//                     writing the half-length transform in natural order
//                     to the output
//   realForwardPost   the real spectrum, in place in the output
// Inverse:
//   realBackwardPreLanes  the input packed, converted and conjugated
//   firstStageLanes       in place
//   leafBlocks            as forward, the leaves writing each output
//                         conjugated and doubled to the output frame

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

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

// The direct transform's leaves, with every twiddle they reuse built once.
template <bool Conj, class Run>
void withDirectLeaves(double* out, double scale, const double* w, int32_t nw,
                      const Run& run) noexcept {
    const LeafTwiddles t = makeLeafTwiddles(w, nw);
    const BlockTwiddles<kWidth, 64, false> plain64(w, nw);
    const BlockTwiddles<kWidth, 64, true> rotated64(w, nw);
    if constexpr (kWidth == 8) {
        const BlockTwiddles<kWidth, 256, false> plain256(w, nw);
        run(DirectLeaves<kFrameLength / 2, Conj>{t, plain64, rotated64, &plain256, out, scale});
    } else {
        run(DirectLeaves<kFrameLength / 2, Conj>{t, plain64, rotated64, nullptr, out, scale});
    }
}

void realForwardFrame(int32_t n, const double* in, const double* window, double* work, double* out,
                      int32_t nw, const double* w) noexcept {
    if (window != nullptr) {
        firstStageLanes<kWidth>(n, FromWindowed<kWidth>{{in, work}, window}, w, nw);
    } else {
        firstStageLanes<kWidth>(n, FromInterleaved<kWidth>{{in, work}}, w, nw);
    }
    withDirectLeaves<false>(out, 1.0, w, nw,
                            [&](const auto& leaves) { leafBlocks(n, work, w, nw, leaves); });
    realForwardPost(n, out, n / 4, w + nw);
}

void realInverseFrame(int32_t n, const double* in, double* work, double* out, int32_t nw,
                      const double* w) noexcept {
    realBackwardPreLanes(n, in, work, w + nw);
    firstStageLanes<kWidth>(n, Lanes<kWidth>{work, work}, w, nw);
    withDirectLeaves<true>(out, 2.0, w, nw,
                           [&](const auto& leaves) { leafBlocks(n, work, w, nw, leaves); });
}

} // namespace

const FrameKernels kFrameKernels{realForwardFrame, realInverseFrame};

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
