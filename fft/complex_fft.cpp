#include "complex_fft.h"

#include "leaf_kernels.h"
#include "leaf_schedule.h"

#include <bit>

// The in-place transform of any power of two, written plainly on
// interleaved points (butterflies.h): the first stage, the splits, the 8- and
// 16-point leaves and the bit reversal. The plans' own length takes the
// direct route of frame_transforms.cpp instead.

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

constexpr int32_t kReversed4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr int32_t kReversed3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

template <bool Conj>
VORLEN_FFT_INLINE void swapPoints(double* __restrict a, int32_t p, int32_t r) {
    const double re = a[2 * p];
    const double im = a[2 * p + 1];
    a[2 * p] = a[2 * r];
    a[2 * p + 1] = Conj ? -a[2 * r + 1] : a[2 * r + 1];
    a[2 * r] = re;
    a[2 * r + 1] = Conj ? -im : im;
}

// A point index is split as high | middle | low, where high and low have the
// width of the table level m and middle has 3 or 4 bits. Reversing the whole
// swaps high and low, each reversed, and reverses middle, so the block
// (high, low) of consecutive-middle points trades places with the block
// (rev low, rev high). Level m of the table gives 8m times the reversal of a
// high or low field. With `Conj` every imaginary part changes sign too.
template <bool Conj>
void permute(int32_t n, const int32_t* ip, double* __restrict a) noexcept {
    int32_t m = 1;
    int32_t l = n / 4;
    while (l > 8) {
        m *= 2;
        l /= 4;
    }
    const int32_t lowBits = std::countr_zero(static_cast<uint32_t>(m));
    const int32_t midBits = l == 8 ? 4 : 3;
    const int32_t* reversedMid = l == 8 ? kReversed4 : kReversed3;
    const int32_t mids = 1 << midBits;
    const int32_t highShift = lowBits + midBits;
    const int32_t* level = ip + m;
    const int32_t unit = 8 * m;
    for (int32_t high = 0; high < m; ++high) {
        const int32_t reversedHigh = level[high] / unit;
        for (int32_t low = 0; low < m; ++low) {
            const int32_t reversedLow = level[low] / unit;
            const int32_t block = (high << highShift) | low;
            const int32_t partner = (reversedLow << highShift) | reversedHigh;
            if (partner < block) {
                continue; // this pair of blocks was handled from the other side
            }
            for (int32_t mid = 0; mid < mids; ++mid) {
                const int32_t p = block | (mid << lowBits);
                const int32_t r = partner | (reversedMid[mid] << lowBits);
                if (partner != block || r > p) {
                    swapPoints<Conj>(a, p, r);
                } else if (Conj && r == p) {
                    a[2 * p + 1] = -a[2 * p + 1];
                }
            }
        }
    }
}

// The first stage of an N-point transform would need a segment of length N/2;
// the table holds one of N/4 (even powers of W only) and forms each odd power
// as the normalised mid-point of its two even neighbours, so a table of n/4
// entries serves a transform of n doubles. With `Conj` it reads the complex
// conjugate of the array, so that the forward stages after it and a final
// conjugation give the negative exponent.
template <bool Conj>
void firstStage(int32_t n, const double* src, double* a, const double* w, int32_t nw) noexcept {
    const Interleaved<Conj> x{src, a};
    const int32_t points = n / 2;
    const int32_t q = points / 4;
    const double* seg = w + nw - points / 2;
    const double c = seg[1];
    const double midScale1 = seg[2];
    const double midScale3 = seg[3];

    splitPlainAt(x, 0, q, One{}, One{});
    Tw prev1 = twiddle(1.0, 0.0);
    Tw prev3 = twiddle(1.0, 0.0);
    const int32_t groups = points / 16;
    for (int32_t k = 1; k < groups; ++k) {
        const double* g = seg + 4 * k;
        const Tw even1 = twiddle(g[0], g[1]);
        const Tw even3 = twiddle(g[2], -g[3]);
        const Tw odd1 = midpoint(prev1, even1, midScale1);
        const Tw odd3 = midpoint(prev3, even3, midScale3);
        splitPlainAt(x, 2 * k - 1, q, odd1, odd3);
        splitPlainAt(x, q - (2 * k - 1), q, mirrorOnce(odd1), mirrorThrice(odd3));
        splitPlainAt(x, 2 * k, q, even1, even3);
        splitPlainAt(x, q - 2 * k, q, mirrorOnce(even1), mirrorThrice(even3));
        prev1 = even1;
        prev3 = even3;
    }
    // The even power W^(N/8) is e^(i pi/4), which the segment does not hold as a group.
    const Tw eighth1 = twiddle(c, c);
    const Tw eighth3 = twiddle(-c, c);
    const int32_t j = points / 8 - 1;
    const Tw odd1 = midpoint(prev1, eighth1, midScale1);
    const Tw odd3 = midpoint(prev3, eighth3, midScale3);
    splitPlainAt(x, j, q, odd1, odd3);
    splitPlainAt(x, q - j, q, mirrorOnce(odd1), mirrorThrice(odd3));
    splitPlainAt(x, points / 8, q, eighth1, eighth3);
}

// Splits a plain block of `m` >= 8 points; quarter 1 becomes rotated.
// Uses the segment of length m/2 at entry nw - m.
void middleStage1(int32_t m, double* __restrict a, const double* w, int32_t nw) noexcept {
    const Interleaved<> x{a, a};
    const int32_t q = m / 4;
    const double* seg = w + nw - m;
    const double c = seg[1];
    splitPlainAt(x, 0, q, One{}, One{});
    // Group j of the segment holds W^j and conj(W^(3j)); the mirror point
    // q - j takes its twiddles from the same group.
    for (int32_t j = 1; j < q / 2; ++j) {
        const double* g = seg + 4 * j;
        const Tw w1 = twiddle(g[0], g[1]);
        const Tw w3 = twiddle(g[2], -g[3]);
        splitPlainAt(x, j, q, w1, w3);
        splitPlainAt(x, q - j, q, mirrorOnce(w1), mirrorThrice(w3));
    }
    splitPlainAt(x, q / 2, q, twiddle(c, c), twiddle(-c, c));
}

// Splits a rotated block of `m` >= 8 points; quarters 1 and 3 stay
// rotated. Uses the segment of length m at entry nw - 2m.
void middleStage2(int32_t m, double* __restrict a, const double* w, int32_t nw) noexcept {
    const Interleaved<> x{a, a};
    const int32_t q = m / 4;
    const double* seg = w + nw - 2 * m;
    const double c = seg[1];
    splitRotatedAt(x, 0, q, One{}, twiddle(c, c), One{}, twiddle(-c, c));
    // With w = e^(i pi/m), group j holds w^j and conj(w^(3j)). Since
    // w^q = e^(i pi/4), group q - j yields e^(i pi/4) w^j = i conj(w^(q-j))
    // and e^(3i pi/4) w^(3j) = -i conj(w^(3(q-j))): two groups serve a point
    // and its mirror.
    for (int32_t j = 1; j < q / 2; ++j) {
        const double* g = seg + 4 * j;
        const double* h = seg + 4 * (q - j);
        const Tw g1 = twiddle(g[0], g[1]);
        const Tw g3 = twiddle(g[2], -g[3]);
        const Tw h1 = twiddle(h[0], h[1]);
        const Tw h3 = twiddle(h[2], -h[3]);
        splitRotatedAt(x, j, q, g1, mirrorOnce(h1), g3, mirrorThrice(h3));
        splitRotatedAt(x, q - j, q, h1, mirrorOnce(g1), h3, mirrorThrice(g3));
    }
    const double* g = seg + 2 * q;
    const Tw g1 = twiddle(g[0], g[1]);
    const Tw g3 = twiddle(g[2], -g[3]);
    splitRotatedAt(x, q / 2, q, g1, mirrorOnce(g1), g3, mirrorThrice(g3));
}

// The 8-point leaves; straight-line code.
template <bool Rotated>
void leaf8(double* a, const double* w, int32_t nw) noexcept {
    Cx v[8];
    loadBlock(a, v);
    if constexpr (Rotated) {
        const double* seg = w + nw - 8;
        const double c = seg[1];
        const double c8 = seg[2]; // cos(pi/8)
        const double s8 = seg[3]; // sin(pi/8)
        // With w = e^(i pi/8), j = 1: w, e^(3i pi/8), w^3, e^(9i pi/8).
        splitRotated(v[0], v[2], v[4], v[6], One{}, twiddle(c, c), One{}, twiddle(-c, c));
        splitRotated(v[1], v[3], v[5], v[7], twiddle(c8, s8), twiddle(s8, c8), twiddle(s8, c8),
                     twiddle(-c8, -s8));
    } else {
        const double c = w[1];
        splitPlain(v[0], v[2], v[4], v[6], One{}, One{});
        splitPlain(v[1], v[3], v[5], v[7], twiddle(c, c), twiddle(-c, c));
    }
    dft2Plain(v[0], v[1]);
    dft2Rotated(v[2], v[3]);
    dft2Plain(v[4], v[5]);
    if constexpr (Rotated) {
        dft2Rotated(v[6], v[7]);
    } else {
        dft2Plain(v[6], v[7]);
    }
    storeBlock(a, v);
}

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
            leaf8<false>(a, w, nw);
        }
    }
    VORLEN_FFT_INLINE void rotated(double* a, int32_t /*first*/) const noexcept {
        if constexpr (Leaf == 16) {
            leaf16<true>(a, t);
        } else {
            leaf8<true>(a, w, nw);
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

template <bool Backward>
void transform(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept {
    const bool backward = Backward;
    if (n > 32) {
        firstStage<Backward>(n, a, a, w, nw);
        network(n, a, w, nw);
        permute<Backward>(n, ip, a);
    } else if (n == 32) {
        leaf16<false>(a, makeLeaf16Twiddles(w, nw));
        reorderSmall(a, kReversed4, backward);
    } else if (n == 16) {
        leaf8<false>(a, w, nw);
        reorderSmall(a, kReversed3, backward);
    } else if (n == 8) {
        fourPoints(a, backward);
    } else if (n == 4) {
        const Cx z0 = loadPoint(a, 0);
        const Cx z1 = loadPoint(a, 1);
        storePoint(a, 0, z0 + z1);
        storePoint(a, 1, z0 - z1);
    }
}

} // namespace

void complexForward(int32_t n, double* a, const int32_t* ip, int32_t nw, const double* w) noexcept {
    transform<false>(n, a, ip, nw, w);
}

void complexBackward(int32_t n, double* a, const int32_t* ip, int32_t nw,
                     const double* w) noexcept {
    transform<true>(n, a, ip, nw, w);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
