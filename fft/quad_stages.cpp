#include "quad_stages.h"

#include "quad_twiddles.h"

#if VORLEN_FFT_WIDE

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// Where a split reads its points: the array itself, in the quad layout, or
// the interleaved input of the first stage, windowed or not. Point j of a
// block starts at double 2j when j is a multiple of 4, as in the pair layout.
struct FromQuads {
    const double* a;
    VORLEN_FFT_INLINE P4 at(int32_t j) const { return loadQuad(a + 2 * j); }
};

struct FromInterleaved {
    const double* a;
    VORLEN_FFT_INLINE P4 at(int32_t j) const { return loadInterleavedQuad(a, j); }
};

struct FromWindowed {
    const double* a;
    const double* win;
    VORLEN_FFT_INLINE P4 at(int32_t j) const { return loadWindowedQuad(a, win, j); }
};

template <class Source>
VORLEN_FFT_INLINE void splitPlainAt(const Source& src, double* a, int32_t j, int32_t q, Tw4 w1,
                                    Tw4 w3) {
    P4 a0 = src.at(j);
    P4 a1 = src.at(j + q);
    P4 a2 = src.at(j + 2 * q);
    P4 a3 = src.at(j + 3 * q);
    splitPlainPairs(a0, a1, a2, a3, w1, w3);
    storeQuad(a + 2 * j, a0);
    storeQuad(a + 2 * (j + q), a1);
    storeQuad(a + 2 * (j + 2 * q), a2);
    storeQuad(a + 2 * (j + 3 * q), a3);
}

VORLEN_FFT_INLINE void splitRotatedAt(double* a, int32_t j, int32_t q, Tw4 w1, Tw4 v1, Tw4 w3,
                                      Tw4 v3) {
    P4 a0 = loadQuad(a + 2 * j);
    P4 a1 = loadQuad(a + 2 * (j + q));
    P4 a2 = loadQuad(a + 2 * (j + 2 * q));
    P4 a3 = loadQuad(a + 2 * (j + 3 * q));
    splitRotatedPairs(a0, a1, a2, a3, w1, v1, w3, v3);
    storeQuad(a + 2 * j, a0);
    storeQuad(a + 2 * (j + q), a1);
    storeQuad(a + 2 * (j + 2 * q), a2);
    storeQuad(a + 2 * (j + 3 * q), a3);
}

// One pass of the first stage: the points 4k..4k+3 and their mirrors
// q-4k-4..q-4k-1, with the twiddles of firstStageTwiddles.
template <class Source>
VORLEN_FFT_INLINE void firstStagePass(const Source& src, double* a, int32_t k, int32_t q,
                                      __m256d g0, __m256d g1, __m256d g2, __m256d scales) {
    Tw4 w1;
    Tw4 w3;
    Tw4 m1;
    Tw4 m3;
    firstStageTwiddles(g0, g1, g2, scales, w1, w3, m1, m3);
    splitPlainAt(src, a, 4 * k, q, w1, w3);
    splitPlainAt(src, a, q - 4 * k - 4, q, m1, m3);
}

template <class Source>
void firstStage(int32_t n, const Source& src, double* a, const double* w, int32_t nw) noexcept {
    const int32_t points = n / 2;
    const int32_t q = points / 4;
    const double* seg = w + nw - points / 2;
    const double c = seg[1];
    const __m256d scales = _mm256_set_pd(seg[3], seg[3], seg[2], seg[2]);
    const int32_t last = q / 8 - 1;
    // W^0 = 1 and W^(q/2) = e^(i pi/4) are not table groups.
    __m256d g0 = group(1.0, 0.0, 1.0, 0.0);
    for (int32_t k = 0; k < last; ++k) {
        const __m256d g2 = _mm256_loadu_pd(seg + 8 * k + 8);
        firstStagePass(src, a, k, q, g0, _mm256_loadu_pd(seg + 8 * k + 4), g2, scales);
        g0 = g2;
    }
    firstStagePass(src, a, last, q, g0, _mm256_loadu_pd(seg + 8 * last + 4), group(c, c, -c, -c),
                   scales);
}

// Calls apply(j, q, w1, w3) for every quad j of a plain split of m points,
// with the twiddles W^j and W^(3j) of its lanes.
template <int32_t FixedM, class Apply>
VORLEN_FFT_INLINE void plainTwiddles(int32_t m, const double* w, int32_t nw, const Apply& apply) {
    const int32_t q = (FixedM != 0 ? FixedM : m) / 4;
    const double* seg = w + nw - 4 * q;
    const double c = seg[1];
    Tw4 w1;
    Tw4 w3;
    for (int32_t j = 0; j < q / 2; j += 4) {
        plainLowTwiddles(seg, j, w1, w3);
        apply(j, q, w1, w3);
    }
    for (int32_t j = q / 2; j < q; j += 4) {
        plainHighTwiddles(seg, j, q, c, w1, w3);
        apply(j, q, w1, w3);
    }
}

// Calls apply(j, q, w1, v1, w3, v3) for every quad j of a rotated split of
// m points.
template <int32_t FixedM, class Apply>
VORLEN_FFT_INLINE void rotatedTwiddles(int32_t m, const double* w, int32_t nw, const Apply& apply) {
    const int32_t q = (FixedM != 0 ? FixedM : m) / 4;
    const double* seg = w + nw - 8 * q;
    const double c = seg[1];
    Tw4 w1;
    Tw4 v1;
    Tw4 w3;
    Tw4 v3;
    for (int32_t j = 0; j < q; j += 4) {
        rotatedQuadTwiddles(seg, j, q, c, w1, v1, w3, v3);
        apply(j, q, w1, v1, w3, v3);
    }
}

struct ApplyPlain {
    double* a;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t q, Tw4 w1, Tw4 w3) const {
        splitPlainAt(FromQuads{a}, a, j, q, w1, w3);
    }
};

struct ApplyRotated {
    double* a;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t q, Tw4 w1, Tw4 v1, Tw4 w3, Tw4 v3) const {
        splitRotatedAt(a, j, q, w1, v1, w3, v3);
    }
};

struct KeepPlain {
    QuadQuarterTwiddles& t;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t /*q*/, Tw4 w1, Tw4 w3) const {
        storeTwiddles(t.plain[j / 4][0], w1);
        storeTwiddles(t.plain[j / 4][1], w3);
    }
};

struct KeepRotated {
    QuadQuarterTwiddles& t;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t /*q*/, Tw4 w1, Tw4 v1, Tw4 w3,
                                      Tw4 v3) const {
        storeTwiddles(t.rotated[j / 4][0], w1);
        storeTwiddles(t.rotated[j / 4][1], v1);
        storeTwiddles(t.rotated[j / 4][2], w3);
        storeTwiddles(t.rotated[j / 4][3], v3);
    }
};

// The splits of 256-point blocks; with their size known the compiler
// unrolls them.
constexpr int32_t kLeafBlockPoints = 256;

} // namespace

void firstStageForwardQuads(int32_t n, const double* src, const double* window, double* a,
                            const double* w, int32_t nw) noexcept {
    if (window != nullptr) {
        firstStage(n, FromWindowed{src, window}, a, w, nw);
    } else {
        firstStage(n, FromInterleaved{src}, a, w, nw);
    }
}

void firstStageForwardQuadsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    firstStage(n, FromQuads{a}, a, w, nw);
}

void middleStage1Quads(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    if (m == kLeafBlockPoints) {
        plainTwiddles<kLeafBlockPoints>(m, w, nw, ApplyPlain{a});
    } else {
        plainTwiddles<0>(m, w, nw, ApplyPlain{a});
    }
}

void middleStage2Quads(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    if (m == kLeafBlockPoints) {
        rotatedTwiddles<kLeafBlockPoints>(m, w, nw, ApplyRotated{a});
    } else {
        rotatedTwiddles<0>(m, w, nw, ApplyRotated{a});
    }
}

void makeQuadQuarterTwiddles(const double* w, int32_t nw, QuadQuarterTwiddles& t) noexcept {
    plainTwiddles<QuadQuarterTwiddles::kPoints>(QuadQuarterTwiddles::kPoints, w, nw, KeepPlain{t});
    rotatedTwiddles<QuadQuarterTwiddles::kPoints>(QuadQuarterTwiddles::kPoints, w, nw,
                                                  KeepRotated{t});
}

void middleStage1QuadQuarter(double* a, const QuadQuarterTwiddles& t) noexcept {
    constexpr int32_t q = QuadQuarterTwiddles::kPoints / 4;
    for (int32_t p = 0; p < QuadQuarterTwiddles::kQuads; ++p) {
        splitPlainAt(FromQuads{a}, a, 4 * p, q, loadTwiddles(t.plain[p][0]),
                     loadTwiddles(t.plain[p][1]));
    }
}

void middleStage2QuadQuarter(double* a, const QuadQuarterTwiddles& t) noexcept {
    constexpr int32_t q = QuadQuarterTwiddles::kPoints / 4;
    for (int32_t p = 0; p < QuadQuarterTwiddles::kQuads; ++p) {
        splitRotatedAt(a, 4 * p, q, loadTwiddles(t.rotated[p][0]), loadTwiddles(t.rotated[p][1]),
                       loadTwiddles(t.rotated[p][2]), loadTwiddles(t.rotated[p][3]));
    }
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
