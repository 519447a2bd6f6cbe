// The splitting stages of the split-radix network on arrays that keep W
// points to a register pair (lanes.h), W butterflies (points j..j+W-1) at a
// time. They compute what firstStageForward, middleStage1 and middleStage2
// compute, rounded alike; point 0 of a block, which shares its register with
// others, is multiplied by 1 where those skip the product (this can only
// change a zero's sign, the same way on every width).
//
// Sizes: `q` is a block's quarter in points, a multiple of W; twiddles come
// from a segment `seg` of the table (fft_tables.h).
#pragma once

#include "butterflies.h"

#include <cstddef>
#include <cstdint>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// The four rows of W table groups (cos, sin, cos 3, -sin 3), one group per
/// lane.
template <int W>
struct GroupRows {
    Vec<W> c;
    Vec<W> s;
    Vec<W> c3;
    Vec<W> ns3;
};

/// The groups at g[0..W-1] as rows. A transposition, and so per width: two
/// lanes take two shuffles per pair of rows, four a 4x4 transposition, and
/// wider ones join two halves.
template <int W>
VORLEN_FFT_INLINE GroupRows<W> groupRows(const double* const* g) {
    if constexpr (W == 2) {
        const Vec<2> a = load<2>(g[0]);
        const Vec<2> b = load<2>(g[1]);
        const Vec<2> a3 = load<2>(g[0] + 2);
        const Vec<2> b3 = load<2>(g[1] + 2);
        return {__builtin_shufflevector(a, b, 0, 2), __builtin_shufflevector(a, b, 1, 3),
                __builtin_shufflevector(a3, b3, 0, 2), __builtin_shufflevector(a3, b3, 1, 3)};
    } else if constexpr (W == 4) {
        GroupRows<4> rows{load<4>(g[0]), load<4>(g[1]), load<4>(g[2]), load<4>(g[3])};
        transposeSlices<4>(rows.c, rows.s, rows.c3, rows.ns3);
        return rows;
    } else {
        const GroupRows<W / 2> lo = groupRows<W / 2>(g);
        const GroupRows<W / 2> hi = groupRows<W / 2>(g + W / 2);
        return {join<W / 2>(lo.c, hi.c), join<W / 2>(lo.s, hi.s), join<W / 2>(lo.c3, hi.c3),
                join<W / 2>(lo.ns3, hi.ns3)};
    }
}

/// The twiddles W^j and W^(3j) of W lanes.
template <int W>
struct PlainTwiddles {
    Points<W> w1;
    Points<W> w3;
};

/// W^j, W^(3j) from the groups of W^j.
template <int W>
VORLEN_FFT_INLINE PlainTwiddles<W> direct(const GroupRows<W>& g) {
    return {{g.c, g.s}, {g.c3, -g.ns3}};
}
/// i conj(W^j) = W^(Q-j) and -i conj(W^(3j)) = W^(3(Q-j)) from the groups of
/// W^j.
template <int W>
VORLEN_FFT_INLINE PlainTwiddles<W> mirrored(const GroupRows<W>& g) {
    return {{g.s, g.c}, {g.ns3, -g.c3}};
}

/// The group pointers of lanes first, first + Step, .. of `seg`, with lane 0
/// taken from `lane0` instead when it is not null.
template <int W, int Step>
VORLEN_FFT_INLINE GroupRows<W> rowsFrom(const double* seg, int32_t first, const double* lane0) {
    const double* g[W];
    for (int l = 0; l < W; ++l) {
        g[l] = seg + 4 * (first + Step * l);
    }
    if (lane0 != nullptr) {
        g[0] = lane0;
    }
    return groupRows<W>(g);
}

// W^0 = 1 is not a table group; its third sine is -0.0 in the splits, so that
// the pair of lanes rounds as the interleaved stages do.
inline constexpr double kUnitGroup[4] = {1.0, 0.0, 1.0, -0.0};

/// Calls visit(j, twiddles) for the lanes j..j+W-1 of a plain split with
/// quarters of q points, for every j, from the segment `seg` of length 2q.
/// W^(q/2) = e^(i pi/4) is not a group of it: lanes past q/2 take the
/// mirrored groups of q - j.
template <int W, class Visit>
VORLEN_FFT_INLINE void plainSplitTwiddles(const double* seg, int32_t q, const Visit& visit) {
    const double eighth[4] = {seg[1], seg[1], -seg[1], -seg[1]};
    visit(0, direct(rowsFrom<W, 1>(seg, 0, kUnitGroup)));
    for (int32_t j = W; j < q / 2; j += W) {
        visit(j, direct(rowsFrom<W, 1>(seg, j, nullptr)));
    }
    visit(q / 2, mirrored(rowsFrom<W, -1>(seg, q / 2, eighth)));
    for (int32_t j = q / 2 + W; j < q; j += W) {
        visit(j, mirrored(rowsFrom<W, -1>(seg, q - j, nullptr)));
    }
}

/// The factors of lanes j..j+W-1 of a rotated split.
template <int W>
struct RotatedTwiddles {
    Points<W> w1;
    Points<W> v1;
    Points<W> w3;
    Points<W> v3;
};

template <int W>
VORLEN_FFT_INLINE RotatedTwiddles<W> rotatedTwiddles(const double* seg, int32_t j, int32_t q,
                                                     const double* unit, const double* eighth) {
    const PlainTwiddles<W> w = direct(rowsFrom<W, 1>(seg, j, unit));
    const PlainTwiddles<W> v = mirrored(rowsFrom<W, -1>(seg, q - j, eighth));
    return {w.w1, v.w1, w.w3, v.w3};
}

/// Calls visit(j, factors) for the lanes j..j+W-1 of a rotated split with
/// quarters of q points, for every j, from the segment of length 4q: group j
/// gives w^j and w^(3j), group q - j gives e^(i pi/4) w^j = i conj(w^(q-j))
/// and e^(3i pi/4) w^(3j) = -i conj(w^(3(q-j))).
template <int W, class Visit>
VORLEN_FFT_INLINE void rotatedSplitTwiddles(const double* seg, int32_t q, const Visit& visit) {
    const double eighth[4] = {seg[1], seg[1], -seg[1], -seg[1]};
    visit(0, rotatedTwiddles<W>(seg, 0, q, kUnitGroup, eighth));
    for (int32_t j = W; j < q; j += W) {
        visit(j, rotatedTwiddles<W>(seg, j, q, nullptr, nullptr));
    }
}

/// Arrays in the layout of W lanes that a split reads at `src` and writes
/// at `dst`, which may be `src`; or whose first stage reads the interleaved
/// input at `src`, windowed or not.
template <int W>
struct Lanes {
    const double* src;
    double* dst;
    VORLEN_FFT_INLINE Points<W> at(std::ptrdiff_t j) const { return loadPoints<W>(src + 2 * j); }
    VORLEN_FFT_INLINE void put(std::ptrdiff_t j, Points<W> v) const {
        storePoints<W>(dst + 2 * j, v);
    }
};

template <int W>
struct FromInterleaved : Lanes<W> {
    VORLEN_FFT_INLINE Points<W> at(std::ptrdiff_t j) const {
        return loadInterleaved<W>(this->src + 2 * j);
    }
};

template <int W>
struct FromWindowed : Lanes<W> {
    const double* win;
    VORLEN_FFT_INLINE Points<W> at(std::ptrdiff_t j) const {
        return loadWindowed<W>(this->src + 2 * j, win + 2 * j);
    }
};

constexpr int mirrorsFromRowsAndMids(int lane, int width) {
    return lane % 2 == 0 ? width - 1 - lane / 2 : width + width / 2 - 1 - lane / 2;
}
constexpr int lowHalvesLane(int lane, int width) {
    return lane < width / 2 ? lane : lane + width / 2;
}
constexpr int highHalvesLane(int lane, int width) {
    return lane < width / 2 ? lane + width / 2 : lane + width;
}

/// One row of two lanes' first-stage twiddles: `row` holds a value of groups
/// g and g+1; their mid-point times `scale` is the odd power between them.
/// `forward` gets lanes j = 2g, 2g+1, `mirror` j = 2g+2, 2g+1.
VORLEN_FFT_INLINE void firstStageRow(Vec<2> row, Vec<2> scale, Vec<2>& forward, Vec<2>& mirror) {
    const Vec<2> mids = (row + arrange<2, halvesSwappedLane>(row, row)) * scale;
    forward = arrange<2, zipLowLane>(row, mids);
    mirror = arrange<2, mirrorsFromRowsAndMids>(row, mids);
}

/// The powers (low half of each 128-bit half) and their cubes (high half)
/// of `values` and `mids` as two rows of four lanes: forward, the even
/// power before each mid-point; mirrored, in reverse order.
template <bool Mirror>
VORLEN_FFT_INLINE void spreadFour(Vec<4> values, Vec<4> mids, Vec<4>& powers, Vec<4>& cubes) {
    const Vec<4> lo = arrange<4, pairLowLane>(values, mids);
    const Vec<4> hi = arrange<4, pairHighLane>(values, mids);
    powers = Mirror ? arrange<4, lowHalvesLane>(hi, lo) : arrange<4, lowHalvesLane>(lo, hi);
    cubes = Mirror ? arrange<4, highHalvesLane>(hi, lo) : arrange<4, highHalvesLane>(lo, hi);
}

/// The twiddles of a first-stage pass: `forward` for lanes j = 2g.., `mirror`
/// for j = 2g+W down to 2g+1, from the W/2 + 1 groups g.. at `g`; the odd
/// powers are mid-points, (a + b) times the scale of W or W^3.
template <int W>
struct FirstPass {
    PlainTwiddles<W> forward;
    PlainTwiddles<W> mirror;
};

/// The groups are those at `base`, base + 4, .., but for the first and the
/// last, which `first` and `last` replace unless null. Per width, as a
/// transposition is: two lanes work on rows of groups; four keep a power and
/// its cube in one register, so that the mid-points take half the
/// operations; wider ones join two halves.
template <int W>
VORLEN_FFT_INLINE FirstPass<W> firstPassTwiddles(const double* base, const double* first,
                                                 const double* last, double scale1, double scale3) {
    first = first != nullptr ? first : base;
    last = last != nullptr ? last : base + 2 * W;
    if constexpr (W == 2) {
        const double* g[2] = {first, last};
        const GroupRows<2> rows = groupRows<2>(g);
        GroupRows<2> fw;
        GroupRows<2> mw;
        firstStageRow(rows.c, splat<2>(scale1), fw.c, mw.c);
        firstStageRow(rows.s, splat<2>(scale1), fw.s, mw.s);
        firstStageRow(rows.c3, splat<2>(scale3), fw.c3, mw.c3);
        firstStageRow(rows.ns3, splat<2>(scale3), fw.ns3, mw.ns3);
        return {direct(fw), mirrored(mw)};
    } else if constexpr (W == 4) {
        const Vec<4> g0 = load<4>(first);
        const Vec<4> g1 = load<4>(base + 4);
        const Vec<4> g2 = load<4>(last);
        const Vec<4> scales{scale1, scale1, scale3, scale3};
        // cos and cos 3 of groups 0 and 1 (low), of 1 and 2 (high); the same
        // for sin and -sin 3.
        const Vec<4> cosLow = arrange<4, pairLowLane>(g0, g1);
        const Vec<4> sinLow = arrange<4, pairHighLane>(g0, g1);
        const Vec<4> cosHigh = arrange<4, pairLowLane>(g1, g2);
        const Vec<4> sinHigh = arrange<4, pairHighLane>(g1, g2);
        const Vec<4> midCos = (cosLow + cosHigh) * scales;
        const Vec<4> midSin = (sinLow + sinHigh) * scales;
        GroupRows<4> fw;
        GroupRows<4> mw;
        spreadFour<false>(cosLow, midCos, fw.c, fw.c3);
        spreadFour<false>(sinLow, midSin, fw.s, fw.ns3);
        spreadFour<true>(cosHigh, midCos, mw.c, mw.c3);
        spreadFour<true>(sinHigh, midSin, mw.s, mw.ns3);
        return {direct(fw), mirrored(mw)};
    } else {
        const FirstPass<W / 2> lo = firstPassTwiddles<W / 2>(base, first, nullptr, scale1, scale3);
        const FirstPass<W / 2> hi =
            firstPassTwiddles<W / 2>(base + W, nullptr, last, scale1, scale3);
        return {{join(lo.forward.w1, hi.forward.w1), join(lo.forward.w3, hi.forward.w3)},
                {join(hi.mirror.w1, lo.mirror.w1), join(hi.mirror.w3, lo.mirror.w3)}};
    }
}

/// `firstStageForward` of the points that `src` reads and writes in the
/// layout of W lanes; n doubles, N = n/2 >= 8 W points. The segment of length
/// N/4 holds even powers only (group k: W^(2k)); each odd power is the
/// mid-point of its neighbours, scaled by segment entries 2 (W) and 3 (W^3).
template <int W, class Source>
void firstStageLanes(int32_t n, const Source& src, const double* w, int32_t nw) noexcept {
    const int32_t points = n / 2;
    const int32_t q = points / 4;
    const double* seg = w + nw - points / 2;
    const double c = seg[1];
    const double eighth[4] = {c, c, -c, -c};
    // Here W^0 keeps a positive third sine: the interleaved stage takes it so.
    static constexpr double kFirstUnit[4] = {1.0, 0.0, 1.0, 0.0};
    const Source from = src;
    // Pass k covers lanes j = Wk.. and their mirrors, from the groups Wk/2..
    const auto pass = [&](int32_t k, const double* first, const double* last) VORLEN_FFT_LAMBDA {
        const FirstPass<W> t = firstPassTwiddles<W>(seg + 2 * W * k, first, last, seg[2], seg[3]);
        splitPlainAt(from, W * k, q, t.forward.w1, t.forward.w3);
        splitPlainAt(from, q - W * k - W, q, t.mirror.w1, t.mirror.w3);
    };
    const int32_t last = q / (2 * W) - 1;
    pass(0, kFirstUnit, nullptr);
    for (int32_t k = 1; k < last; ++k) {
        pass(k, nullptr, nullptr);
    }
    pass(last, nullptr, eighth);
}

/// `middleStage1` of the block `a` of 4q points in the layout of W lanes.
template <int W, int32_t FixedQ = 0>
void middleStage1Lanes(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    const int32_t q = FixedQ != 0 ? FixedQ : m / 4;
    plainSplitTwiddles<W>(w + nw - 4 * q, q, [&](int32_t j, PlainTwiddles<W> t) VORLEN_FFT_LAMBDA {
        splitPlainAt(Lanes<W>{a, a}, j, q, t.w1, t.w3);
    });
}

/// `middleStage2` of the block `a` of 4q points in the layout of W lanes.
template <int W, int32_t FixedQ = 0>
void middleStage2Lanes(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    const int32_t q = FixedQ != 0 ? FixedQ : m / 4;
    rotatedSplitTwiddles<W>(w + nw - 8 * q, q,
                            [&](int32_t j, RotatedTwiddles<W> t) VORLEN_FFT_LAMBDA {
                                splitRotatedAt(Lanes<W>{a, a}, j, q, t.w1, t.v1, t.w3, t.v3);
                            });
}

/// The twiddles of every plain or rotated split of blocks of `M` points,
/// built once per transform for the sizes that a transform splits most
/// often. Plain doubles, aligned only to 16 bytes: the stack of 64-bit
/// Windows keeps no more, and two lanes read them as operands.
template <int W, int32_t M, bool Rotated>
struct alignas(16) BlockTwiddles {
    static constexpr int32_t kQuarter = M / 4;
    static constexpr int32_t kFactors = Rotated ? 4 : 2;
    double t[kQuarter / W][kFactors][2 * W];

    BlockTwiddles(const double* w, int32_t nw) noexcept {
        const double* seg = w + nw - (Rotated ? 8 : 4) * kQuarter;
        if constexpr (Rotated) {
            rotatedSplitTwiddles<W>(seg, kQuarter, [&](int32_t j, RotatedTwiddles<W> r) {
                storePoints<W>(t[j / W][0], r.w1);
                storePoints<W>(t[j / W][1], r.v1);
                storePoints<W>(t[j / W][2], r.w3);
                storePoints<W>(t[j / W][3], r.v3);
            });
        } else {
            plainSplitTwiddles<W>(seg, kQuarter, [&](int32_t j, PlainTwiddles<W> p) {
                storePoints<W>(t[j / W][0], p.w1);
                storePoints<W>(t[j / W][1], p.w3);
            });
        }
    }

    /// The split of the block `a` with these twiddles. Kept out of line: the
    /// compiler would otherwise carry the split's results in registers to
    /// the leaves that read them back, and spill them.
    __attribute__((noinline)) void split(double* a) const noexcept {
#pragma GCC unroll 16
        for (int32_t j = 0; j < kQuarter; j += W) {
            const double(&f)[kFactors][2 * W] = t[j / W];
            if constexpr (Rotated) {
                splitRotatedAt(Lanes<W>{a, a}, j, kQuarter, loadPoints<W>(f[0]),
                               loadPoints<W>(f[1]), loadPoints<W>(f[2]), loadPoints<W>(f[3]));
            } else {
                splitPlainAt(Lanes<W>{a, a}, j, kQuarter, loadPoints<W>(f[0]), loadPoints<W>(f[1]));
            }
        }
    }
};

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
