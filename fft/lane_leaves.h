// The 16-point leaves on blocks in the layout of W lanes (lanes.h), writing
// their outputs to their final places: the interleaved leaves' transforms and
// roundings (but for a zero's sign, as in lane_stages.h).
#pragma once

#include "leaf_kernels.h"

#include <cstdint>
#include <utility>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

/// The 4-bit reversal: slot i of a 16-point leaf holds output kReversed16[i].
inline constexpr int32_t kReversed16[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

/// Points `First`..First+W-1 of a leaf's four twiddles at `p`, repeated
/// across the lanes when W is wider than four.
template <int W, int First = 0>
VORLEN_FFT_INLINE Points<W> leafTwiddle(const double* p) {
    if constexpr (W <= 4) {
        return {load<W>(p + First), load<W>(p + 4 + First)};
    } else {
        const Points<W / 2> half = leafTwiddle<W / 2>(p);
        return join(half, half);
    }
}

/// Stores the outputs of leaves at their final places: output k of a leaf
/// whose outputs start at `out[i]` goes to point k * Stride of it; with
/// `Conj` conjugated and scaled.
template <int W, int32_t Stride, bool Conj>
struct LeafScatter {
    static constexpr int kLeaves = W >= 4 ? W / 4 : 1;
    double* out[kLeaves];
    double scale;

    /// Slot `Slot` of the one leaf, from an interleaved point.
    template <int32_t Slot>
    VORLEN_FFT_INLINE void put(Cx v) const {
        storePoint(out[0], kReversed16[Slot] * Stride, Conj ? Cx{v.v * Vec<2>{scale, -scale}} : v);
    }

    template <int32_t L, std::size_t... Leaf>
    VORLEN_FFT_INLINE void putLanes(Vec<W> even, Vec<W> odd, std::index_sequence<Leaf...>) const {
        constexpr int32_t s = 2 * Stride;
        ((storeTwo<W, 4 * Leaf>(out[Leaf] + s * kReversed16[L], even),
          storeTwo<W, 4 * Leaf + 2>(out[Leaf] + s * kReversed16[8 + L], even),
          storeTwo<W, 4 * Leaf>(out[Leaf] + s * kReversed16[4 + L], odd),
          storeTwo<W, 4 * Leaf + 2>(out[Leaf] + s * kReversed16[12 + L], odd)),
         ...);
    }

    /// Lane 4i + o of `v` is slot 4o + L of leaf i.
    template <int32_t L>
    VORLEN_FFT_INLINE void put(Points<W> v) const {
        if constexpr (Conj) {
            v = {v.re * splat<W>(scale), v.im * splat<W>(-scale)};
        }
        putLanes<L>(arrange<W, pairLowLane>(v.re, v.im), arrange<W, pairHighLane>(v.re, v.im),
                    std::make_index_sequence<kLeaves>{});
    }
};

/// The 4-point transform of one quarter of a two-lane leaf, held in `low`
/// (points 0, 1) and `high` (points 2, 3) after the first split; its outputs
/// are slots First..First+3.
template <int32_t First, bool Rotated, class Sink>
VORLEN_FFT_INLINE void finishQuarter(Points<2> low, Points<2> high, const LeafTwiddles& t,
                                     const Sink& sink) {
    const Points<2> s = Rotated ? plusI(low, high) : low + high;
    const Points<2> d = Rotated ? minusI(low, high) : low - high;
    const Cx x0{arrange<2, zipLowLane>(s.re, s.im)};
    const Cx x2{arrange<2, zipHighLane>(s.re, s.im)};
    const Cx x1{arrange<2, zipLowLane>(d.re, d.im)};
    const Cx x3{arrange<2, zipHighLane>(d.re, d.im)};
    if constexpr (Rotated) {
        const Cx y2 = t.eighth1 * x2;
        const Cx z2 = t.eighth3 * x3;
        sink.template put<First>(x0 + y2);
        sink.template put<First + 1>(x0 - y2);
        sink.template put<First + 2>(x1 + z2);
        sink.template put<First + 3>(x1 - z2);
    } else {
        sink.template put<First>(x0 + x2);
        sink.template put<First + 1>(x0 - x2);
        sink.template put<First + 2>(x1 + timesI(x3));
        sink.template put<First + 3>(x1 - timesI(x3));
    }
}

/// The leaf at `a` in the two-lane layout: the first split runs on pairs of
/// points, the 4-point transforms on interleaved points, which the outputs
/// need anyway: two lanes cannot hold a quarter's four points.
template <bool Rotated, class Sink>
VORLEN_FFT_INLINE void leaf16Pairs(const double* a, const LeafTwiddles& t, const Sink& sink) {
    // Named, not an array: the compiler keeps arrays of vectors in memory.
    Points<2> p0 = loadPoints<2>(a);
    Points<2> p1 = loadPoints<2>(a + 4);
    Points<2> p2 = loadPoints<2>(a + 8);
    Points<2> p3 = loadPoints<2>(a + 12);
    Points<2> p4 = loadPoints<2>(a + 16);
    Points<2> p5 = loadPoints<2>(a + 20);
    Points<2> p6 = loadPoints<2>(a + 24);
    Points<2> p7 = loadPoints<2>(a + 28);
    if constexpr (Rotated) {
        const auto& r = t.rotated;
        splitRotated(p0, p2, p4, p6, leafTwiddle<2>(r[0]), leafTwiddle<2>(r[1]),
                     leafTwiddle<2>(r[2]), leafTwiddle<2>(r[3]));
        splitRotated(p1, p3, p5, p7, leafTwiddle<2, 2>(r[0]), leafTwiddle<2, 2>(r[1]),
                     leafTwiddle<2, 2>(r[2]), leafTwiddle<2, 2>(r[3]));
    } else {
        splitPlain(p0, p2, p4, p6, leafTwiddle<2>(t.plain[0]), leafTwiddle<2>(t.plain[1]));
        splitPlain(p1, p3, p5, p7, leafTwiddle<2, 2>(t.plain[0]), leafTwiddle<2, 2>(t.plain[1]));
    }
    finishQuarter<0, false>(p0, p1, t, sink);
    finishQuarter<4, true>(p2, p3, t, sink);
    finishQuarter<8, false>(p4, p5, t, sink);
    finishQuarter<12, Rotated>(p6, p7, t, sink);
}

/// Points p..p+3 of the leaf at `a` in the layout of W lanes.
template <int W>
VORLEN_FFT_INLINE Points<4> quadAt(const double* a, int32_t p) {
    const double* at = a + 2 * p - p % W;
    return {load<4>(at), load<4>(at + W)};
}

/// Quad p of every leaf of `leaf` (one or two), leaf i in lanes 4i..4i+3.
template <int W>
VORLEN_FFT_INLINE Points<W> quadsOf(const double* const* leaf, int32_t p) {
    if constexpr (W == 4) {
        return quadAt<W>(leaf[0], p);
    } else {
        return join(quadAt<W>(leaf[0], p), quadAt<W>(leaf[1], p));
    }
}

/// The first split of the leaf at `a` (layout of W lanes), one quad per
/// quarter.
template <int W, bool Rotated>
VORLEN_FFT_INLINE void splitLeafQuads(const double* a, const LeafTwiddles& t, Points<4>& y0,
                                      Points<4>& y1, Points<4>& y2, Points<4>& y3) {
    y0 = quadAt<W>(a, 0);
    y1 = quadAt<W>(a, 4);
    y2 = quadAt<W>(a, 8);
    y3 = quadAt<W>(a, 12);
    if constexpr (Rotated) {
        splitRotated(y0, y1, y2, y3, leafTwiddle<4>(t.rotated[0]), leafTwiddle<4>(t.rotated[1]),
                     leafTwiddle<4>(t.rotated[2]), leafTwiddle<4>(t.rotated[3]));
    } else {
        splitPlain(y0, y1, y2, y3, leafTwiddle<4>(t.plain[0]), leafTwiddle<4>(t.plain[1]));
    }
}

/// The W/4 leaves at `leaf` (leaf i rotated where bit i of `Rotated` is
/// set), leaf i in lanes 4i..4i+3: the first split runs on the quarters'
/// quads; a transposition then puts point l of every quarter in one register,
/// so that the 4-point transforms of all quarters run at once, the rotated
/// quarters' lanes taking their own steps by blending. Slot 4L + l of leaf i
/// is lane 4i + L of the points passed to `sink.put<l>`.
template <int W, uint32_t Rotated, class Sink>
VORLEN_FFT_INLINE void leaf16Lanes(const double* const* leaf, const LeafTwiddles& t,
                                   const Sink& sink) {
    constexpr uint32_t kAll = (1u << (W / 4)) - 1;
    Points<W> y0;
    Points<W> y1;
    Points<W> y2;
    Points<W> y3;
    if constexpr (Rotated == 0 || Rotated == kAll) {
        y0 = quadsOf<W>(leaf, 0);
        y1 = quadsOf<W>(leaf, 4);
        y2 = quadsOf<W>(leaf, 8);
        y3 = quadsOf<W>(leaf, 12);
        if constexpr (Rotated != 0) {
            splitRotated(y0, y1, y2, y3, leafTwiddle<W>(t.rotated[0]), leafTwiddle<W>(t.rotated[1]),
                         leafTwiddle<W>(t.rotated[2]), leafTwiddle<W>(t.rotated[3]));
        } else {
            splitPlain(y0, y1, y2, y3, leafTwiddle<W>(t.plain[0]), leafTwiddle<W>(t.plain[1]));
        }
    } else {
        // A plain and a rotated leaf: the two splits differ in their
        // operations, not only in their twiddles.
        static_assert(W == 8 && Rotated == 1, "a rotated leaf 0 and a plain leaf 1");
        Points<4> a0;
        Points<4> a1;
        Points<4> a2;
        Points<4> a3;
        Points<4> b0;
        Points<4> b1;
        Points<4> b2;
        Points<4> b3;
        splitLeafQuads<W, true>(leaf[0], t, a0, a1, a2, a3);
        splitLeafQuads<W, false>(leaf[1], t, b0, b1, b2, b3);
        y0 = join(a0, b0);
        y1 = join(a1, b1);
        y2 = join(a2, b2);
        y3 = join(a3, b3);
    }
    transposeSlices<W>(y0.re, y1.re, y2.re, y3.re);
    transposeSlices<W>(y0.im, y1.im, y2.im, y3.im);
    // Lane L of a slice now holds quarter L, of which quarter 1, and for a
    // rotated leaf quarter 3, owes a rotated transform: y0 + i y2 where the
    // others add y2, and e^(i pi/4), e^(3i pi/4) times x2, x3 where the
    // others take x2 and i x3.
    constexpr uint32_t kRotatedLanes = [] {
        uint32_t mask = 0;
        for (int i = 0; i < W / 4; ++i) {
            mask |= (((Rotated >> i) & 1u) != 0 ? 0b1010u : 0b0010u) << (4 * i);
        }
        return mask;
    }();
    const Points<W> s2 = blended<kRotatedLanes>(y2, timesI(y2));
    const Points<W> s3 = blended<kRotatedLanes>(y3, timesI(y3));
    const Points<W> x0 = y0 + s2;
    const Points<W> x1 = y0 - s2;
    const Points<W> x2 = y1 + s3;
    const Points<W> x3 = y1 - s3;
    const Vec<W> c = splat<W>(t.eighth);
    const Points<W> t2 = blended<kRotatedLanes>(x2, Points<W>{c, c} * x2);
    const Points<W> t3 = blended<kRotatedLanes>(timesI(x3), Points<W>{-c, c} * x3);
    sink.template put<0>(x0 + t2);
    sink.template put<1>(x0 - t2);
    sink.template put<2>(x1 + t3);
    sink.template put<3>(x1 - t3);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
