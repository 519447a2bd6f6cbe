// The one vector type of the kernels: W doubles in a register (or W/2, or
// plain doubles, where the target has narrower ones), and W neighbouring
// points of a transform as a vector of real parts and a vector of imaginary
// parts. Every kernel is written once over it; a build sets its width from
// the widest instruction set it targets (kWidth).
//
// The vectors are the compiler's own (GCC and Clang vector extensions): each
// lane rounds every operation as a lone double would, so any width gives the
// same bits, and a new instruction set (NEON, two doubles to a register like
// SSE2) needs no code here at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

// The kernels are compiled more than once: on x86 for the baseline
// instruction set, once more with AVX and, on x86-64, with AVX-512; on 64-bit
// ARM for the baseline without Advanced SIMD and once more with NEON. The
// plans choose a build at run time. Each build's functions live in their own
// namespace, so that the linker never mixes them. The AVX-512 build defines
// VORLEN_FFT_AVX_BUILD too: it has everything the AVX build has.
#if defined(VORLEN_FFT_NEON_BUILD)
#define VORLEN_FFT_ISA neon
#elif defined(VORLEN_FFT_AVX512_BUILD)
#define VORLEN_FFT_ISA avx512
#elif defined(VORLEN_FFT_AVX_BUILD)
#define VORLEN_FFT_ISA avx
#else
#define VORLEN_FFT_ISA baseline
#endif

// The compiler would otherwise keep the larger butterflies as calls inside
// the stage loops, passing complex values through memory: several times slower.
#define VORLEN_FFT_INLINE inline __attribute__((always_inline))
#define VORLEN_FFT_LAMBDA __attribute__((always_inline))

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

#if defined(VORLEN_FFT_AVX512_BUILD)
inline constexpr int kWidth = 8;
#elif defined(VORLEN_FFT_AVX_BUILD)
inline constexpr int kWidth = 4;
#else
inline constexpr int kWidth = 2;
#endif

template <int W>
struct VecOf {
    typedef double type __attribute__((vector_size(W * sizeof(double))));
    // The same in memory at any double's address, as the intrinsics' own
    // unaligned loads see it: loads and stores then fold into arithmetic.
    typedef double unaligned
        __attribute__((vector_size(W * sizeof(double)), aligned(sizeof(double)), may_alias));
};
/// W doubles, one per lane.
template <int W>
using Vec = typename VecOf<W>::type;

/// The W doubles at `p`, which need no alignment.
template <int W>
VORLEN_FFT_INLINE Vec<W> load(const double* p) {
    return *reinterpret_cast<const typename VecOf<W>::unaligned*>(p);
}
/// Writes the lanes of `v` to `p`.
template <int W>
VORLEN_FFT_INLINE void store(double* p, Vec<W> v) {
    *reinterpret_cast<typename VecOf<W>::unaligned*>(p) = v;
}

/// Writes lanes First and First + 1 of `v` to `p`: a copy of those bytes,
/// which compilers turn into one extracting store.
template <int W, int First>
VORLEN_FFT_INLINE void storeTwo(double* p, Vec<W> v) {
    __builtin_memcpy(p, reinterpret_cast<const char*>(&v) + First * sizeof(double),
                     2 * sizeof(double));
}

/// `x` in every lane.
template <int W>
VORLEN_FFT_INLINE Vec<W> splat(double x) {
    return x - Vec<W>{}; // exact, and -0.0 stays -0.0
}

template <int W>
struct BitsOf {
    typedef uint64_t type __attribute__((vector_size(W * sizeof(double))));
};

template <int W, uint32_t Mask, std::size_t... I>
VORLEN_FFT_INLINE Vec<W> flipSigns(Vec<W> v, std::index_sequence<I...> /*lanes*/) {
    using Bits = typename BitsOf<W>::type;
    return (Vec<W>)((Bits)v ^ Bits{(((Mask >> I) & 1u) != 0 ? 0x8000000000000000u : 0u)...});
}
/// `v` with the signs of the lanes in `Mask` changed: an exact negation.
template <int W, uint32_t Mask>
VORLEN_FFT_INLINE Vec<W> flipSigns(Vec<W> v) {
    return flipSigns<W, Mask>(v, std::make_index_sequence<W>{});
}

/// Where lane `lane` of a W-lane result comes from: lanes 0..W-1 of the
/// first operand, W..2W-1 of the second.
using LaneRule = int (*)(int lane, int width);

template <int W, LaneRule Rule, std::size_t... I>
VORLEN_FFT_INLINE Vec<W> arrange(Vec<W> a, Vec<W> b, std::index_sequence<I...> /*lanes*/) {
    return __builtin_shufflevector(a, b, Rule(static_cast<int>(I), W)...);
}
/// The lanes that `Rule` picks from `a` and `b`.
template <int W, LaneRule Rule>
VORLEN_FFT_INLINE Vec<W> arrange(Vec<W> a, Vec<W> b) {
    return arrange<W, Rule>(a, b, std::make_index_sequence<W>{});
}

constexpr int zipLowLane(int lane, int width) {
    return lane / 2 + (lane % 2) * width;
}
constexpr int zipHighLane(int lane, int width) {
    return width / 2 + lane / 2 + (lane % 2) * width;
}
constexpr int pairLowLane(int lane, int width) {
    return lane % 2 == 0 ? lane : width + lane - 1;
}
constexpr int pairHighLane(int lane, int width) {
    return lane % 2 == 0 ? lane + 1 : width + lane;
}
constexpr int reversedLane(int lane, int width) {
    return width - 1 - lane;
}
constexpr int halvesSwappedLane(int lane, int width) {
    return (lane + width / 2) % width;
}

constexpr int sliceLowsLane(int lane, int width) {
    const int o = lane % 4;
    return o < 2 ? lane : width + lane - 2;
}
constexpr int sliceHighsLane(int lane, int width) {
    const int o = lane % 4;
    return o < 2 ? lane + 2 : width + lane;
}

/// Transposes the 4x4 matrix whose rows are lanes 4i..4i+3 of r0..r3, for
/// every i.
template <int W>
VORLEN_FFT_INLINE void transposeSlices(Vec<W>& r0, Vec<W>& r1, Vec<W>& r2, Vec<W>& r3) {
    const Vec<W> t0 = arrange<W, pairLowLane>(r0, r1);
    const Vec<W> t1 = arrange<W, pairHighLane>(r0, r1);
    const Vec<W> t2 = arrange<W, pairLowLane>(r2, r3);
    const Vec<W> t3 = arrange<W, pairHighLane>(r2, r3);
    r0 = arrange<W, sliceLowsLane>(t0, t2);
    r1 = arrange<W, sliceLowsLane>(t1, t3);
    r2 = arrange<W, sliceHighsLane>(t0, t2);
    r3 = arrange<W, sliceHighsLane>(t1, t3);
}

template <int W, std::size_t... I>
VORLEN_FFT_INLINE Vec<2 * W> join(Vec<W> lo, Vec<W> hi, std::index_sequence<I...> /*lanes*/) {
    return __builtin_shufflevector(lo, hi, I...);
}
/// `lo` in the low lanes, `hi` in the high ones.
template <int W>
VORLEN_FFT_INLINE Vec<2 * W> join(Vec<W> lo, Vec<W> hi) {
    return join<W>(lo, hi, std::make_index_sequence<2 * W>{});
}

template <int W, uint32_t Mask, std::size_t... I>
VORLEN_FFT_INLINE Vec<W> blend(Vec<W> a, Vec<W> b, std::index_sequence<I...> /*lanes*/) {
    return __builtin_shufflevector(a, b, (((Mask >> I) & 1u) != 0 ? W + I : I)...);
}
/// Lanes of `b` where `Mask` has a bit, of `a` elsewhere.
template <int W, uint32_t Mask>
VORLEN_FFT_INLINE Vec<W> blend(Vec<W> a, Vec<W> b) {
    return blend<W, Mask>(a, b, std::make_index_sequence<W>{});
}

/// W neighbouring points, or one twiddle factor per lane.
template <int W>
struct Points {
    Vec<W> re;
    Vec<W> im;
};

template <int W>
VORLEN_FFT_INLINE Points<W> operator+(Points<W> a, Points<W> b) {
    return {a.re + b.re, a.im + b.im};
}
template <int W>
VORLEN_FFT_INLINE Points<W> operator-(Points<W> a, Points<W> b) {
    return {a.re - b.re, a.im - b.im};
}
/// a + i b.
template <int W>
VORLEN_FFT_INLINE Points<W> plusI(Points<W> a, Points<W> b) {
    return {a.re - b.im, a.im + b.re};
}
/// a - i b.
template <int W>
VORLEN_FFT_INLINE Points<W> minusI(Points<W> a, Points<W> b) {
    return {a.re + b.im, a.im - b.re};
}
/// i b, exactly.
template <int W>
VORLEN_FFT_INLINE Points<W> timesI(Points<W> b) {
    return {-b.im, b.re};
}
/// Product of each lane's twiddle `w` and point `x`.
template <int W>
VORLEN_FFT_INLINE Points<W> operator*(Points<W> w, Points<W> x) {
    return {x.re * w.re - x.im * w.im, x.im * w.re + x.re * w.im};
}
/// Lanes of `b` where `Mask` has a bit, of `a` elsewhere.
template <uint32_t Mask, int W>
VORLEN_FFT_INLINE Points<W> blended(Points<W> a, Points<W> b) {
    return {blend<W, Mask>(a.re, b.re), blend<W, Mask>(a.im, b.im)};
}
/// Two sets of points as one of twice the width.
template <int W>
VORLEN_FFT_INLINE Points<2 * W> join(Points<W> lo, Points<W> hi) {
    return {join<W>(lo.re, hi.re), join<W>(lo.im, hi.im)};
}

// The arrays that the network works on keep W points to a register pair:
// doubles 2p..2p+2W-1 hold re(p)..re(p+W-1), then im(p)..im(p+W-1), for p a
// multiple of W. Point p of a block then still starts at double 2p.

/// The W points at `a` of an array in that layout.
template <int W>
VORLEN_FFT_INLINE Points<W> loadPoints(const double* a) {
    return {load<W>(a), load<W>(a + W)};
}
/// Writes W points to `a` in that layout.
template <int W>
VORLEN_FFT_INLINE void storePoints(double* a, Points<W> v) {
    store<W>(a, v.re);
    store<W>(a + W, v.im);
}

constexpr int evenLane(int lane, int /*width*/) {
    return 2 * lane;
}
constexpr int oddLane(int lane, int /*width*/) {
    return 2 * lane + 1;
}
/// The points whose interleaved (re, im) doubles lie in `lo`, then `hi`.
template <int W>
VORLEN_FFT_INLINE Points<W> deinterleave(Vec<W> lo, Vec<W> hi) {
    return {arrange<W, evenLane>(lo, hi), arrange<W, oddLane>(lo, hi)};
}
/// The W points at `a` of an interleaved array.
template <int W>
VORLEN_FFT_INLINE Points<W> loadInterleaved(const double* a) {
    return deinterleave<W>(load<W>(a), load<W>(a + W));
}
/// The same, each double times its counterpart at `win`.
template <int W>
VORLEN_FFT_INLINE Points<W> loadWindowed(const double* a, const double* win) {
    return deinterleave<W>(load<W>(a) * load<W>(win), load<W>(a + W) * load<W>(win + W));
}
constexpr int reversedReLane(int lane, int width) {
    return 2 * (width - 1 - lane);
}
constexpr int reversedImLane(int lane, int width) {
    return 2 * (width - 1 - lane) + 1;
}
/// The W points at `a` of an interleaved array, the last in lane 0.
template <int W>
VORLEN_FFT_INLINE Points<W> loadInterleavedReversed(const double* a) {
    const Vec<W> lo = load<W>(a);
    const Vec<W> hi = load<W>(a + W);
    return {arrange<W, reversedReLane>(lo, hi), arrange<W, reversedImLane>(lo, hi)};
}
constexpr int reversedZipLowLane(int lane, int width) {
    return (lane % 2) * width + width - 1 - lane / 2;
}
constexpr int reversedZipHighLane(int lane, int width) {
    return (lane % 2) * width + width / 2 - 1 - lane / 2;
}
/// Writes W points to `a` as interleaved doubles, lane 0 last.
template <int W>
VORLEN_FFT_INLINE void storeInterleavedReversed(double* a, Points<W> v) {
    store<W>(a, arrange<W, reversedZipLowLane>(v.re, v.im));
    store<W>(a + W, arrange<W, reversedZipHighLane>(v.re, v.im));
}
/// Writes W points to `a` as interleaved (re, im) doubles.
template <int W>
VORLEN_FFT_INLINE void storeInterleaved(double* a, Points<W> v) {
    store<W>(a, arrange<W, zipLowLane>(v.re, v.im));
    store<W>(a + W, arrange<W, zipHighLane>(v.re, v.im));
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
