#include "split_stages.h"

#include "butterflies.h"

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// The first stage of an N-point transform would need a segment of length N/2;
// the table holds one of N/4 (even powers of W only) and forms each odd power
// as the normalised mid-point of its two even neighbours, so a table of n/4
// entries serves a transform of n doubles.
template <bool Conj>
void firstStage(int32_t n, const double* src, double* a, const double* w, int32_t nw) noexcept {
    const int32_t points = n / 2;
    const int32_t q = points / 4;
    const double* seg = w + nw - points / 2;
    const double c = seg[1];
    const double midScale1 = seg[2];
    const double midScale3 = seg[3];

    splitPlainAt<Conj>(src, a, 0, q, One{}, One{});
    Tw prev1 = twiddle(1.0, 0.0);
    Tw prev3 = twiddle(1.0, 0.0);
    const int32_t groups = points / 16;
    for (int32_t k = 1; k < groups; ++k) {
        const double* g = seg + 4 * k;
        const Tw even1 = twiddleAt(g);
        const Tw even3 = twiddleConjAt(g + 2);
        const Tw odd1 = midpoint(prev1, even1, midScale1);
        const Tw odd3 = midpoint(prev3, even3, midScale3);
        splitPlainAt<Conj>(src, a, 2 * k - 1, q, odd1, odd3);
        splitPlainAt<Conj>(src, a, q - (2 * k - 1), q, mirrorOnce(odd1), mirrorThrice(odd3));
        splitPlainAt<Conj>(src, a, 2 * k, q, even1, even3);
        splitPlainAt<Conj>(src, a, q - 2 * k, q, mirrorOnce(even1), mirrorThrice(even3));
        prev1 = even1;
        prev3 = even3;
    }
    // The even power W^(N/8) is e^(i pi/4), which the segment does not hold as a group.
    const Tw eighth1 = twiddle(c, c);
    const Tw eighth3 = twiddle(-c, c);
    const int32_t j = points / 8 - 1;
    const Tw odd1 = midpoint(prev1, eighth1, midScale1);
    const Tw odd3 = midpoint(prev3, eighth3, midScale3);
    splitPlainAt<Conj>(src, a, j, q, odd1, odd3);
    splitPlainAt<Conj>(src, a, q - j, q, mirrorOnce(odd1), mirrorThrice(odd3));
    splitPlainAt<Conj>(src, a, points / 8, q, eighth1, eighth3);
}

} // namespace

void firstStageForward(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    firstStage<false>(n, a, a, w, nw);
}

void firstStageBackward(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    firstStage<true>(n, a, a, w, nw);
}

void middleStage1(int32_t m, double* __restrict a, const double* w, int32_t nw) noexcept {
    const int32_t q = m / 4;
    const double* seg = w + nw - m;
    const double c = seg[1];
    splitPlainAt(a, 0, q, One{}, One{});
    // Group j of the segment holds W^j and conj(W^(3j)); the mirror point
    // q - j takes its twiddles from the same group.
    for (int32_t j = 1; j < q / 2; ++j) {
        const double* g = seg + 4 * j;
        const Tw w1 = twiddleAt(g);
        const Tw w3 = twiddleConjAt(g + 2);
        splitPlainAt(a, j, q, w1, w3);
        splitPlainAt(a, q - j, q, mirrorOnce(w1), mirrorThrice(w3));
    }
    splitPlainAt(a, q / 2, q, twiddle(c, c), twiddle(-c, c));
}

void middleStage2(int32_t m, double* __restrict a, const double* w, int32_t nw) noexcept {
    const int32_t q = m / 4;
    const double* seg = w + nw - 2 * m;
    const double c = seg[1];
    splitRotatedAt(a, 0, q, One{}, twiddle(c, c), One{}, twiddle(-c, c));
    // With w = e^(i pi/m), group j holds w^j and conj(w^(3j)). Since
    // w^q = e^(i pi/4), group q - j yields e^(i pi/4) w^j = i conj(w^(q-j))
    // and e^(3i pi/4) w^(3j) = -i conj(w^(3(q-j))): two groups serve a point
    // and its mirror.
    for (int32_t j = 1; j < q / 2; ++j) {
        const double* g = seg + 4 * j;
        const double* h = seg + 4 * (q - j);
        const Tw g1 = twiddleAt(g);
        const Tw g3 = twiddleConjAt(g + 2);
        const Tw h1 = twiddleAt(h);
        const Tw h3 = twiddleConjAt(h + 2);
        splitRotatedAt(a, j, q, g1, mirrorOnce(h1), g3, mirrorThrice(h3));
        splitRotatedAt(a, q - j, q, h1, mirrorOnce(g1), h3, mirrorThrice(g3));
    }
    const double* g = seg + 2 * q;
    const Tw g1 = twiddleAt(g);
    const Tw g3 = twiddleConjAt(g + 2);
    splitRotatedAt(a, q / 2, q, g1, mirrorOnce(g1), g3, mirrorThrice(g3));
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
