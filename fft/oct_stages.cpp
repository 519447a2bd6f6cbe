#include "oct_stages.h"

#include "quad_twiddles.h"

#if VORLEN_FFT_OCTS

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

// Where a split reads its points: the array itself, in the oct layout, or
// the interleaved input of the first stage, windowed or not. Point j of a
// block starts at double 2j when j is a multiple of 8.
struct FromOcts {
    const double* a;
    VORLEN_FFT_INLINE P8 at(int32_t j) const { return loadOct(a + 2 * j); }
};

struct FromInterleaved {
    const double* a;
    VORLEN_FFT_INLINE P8 at(int32_t j) const { return loadInterleavedOct(a, j); }
};

struct FromWindowed {
    const double* a;
    const double* win;
    VORLEN_FFT_INLINE P8 at(int32_t j) const { return loadWindowedOct(a, win, j); }
};

template <class Source>
VORLEN_FFT_INLINE void splitPlainAt(const Source& src, double* a, int32_t j, int32_t q, Tw8 w1,
                                    Tw8 w3) {
    P8 a0 = src.at(j);
    P8 a1 = src.at(j + q);
    P8 a2 = src.at(j + 2 * q);
    P8 a3 = src.at(j + 3 * q);
    splitPlainPairs(a0, a1, a2, a3, w1, w3);
    storeOct(a + 2 * j, a0);
    storeOct(a + 2 * (j + q), a1);
    storeOct(a + 2 * (j + 2 * q), a2);
    storeOct(a + 2 * (j + 3 * q), a3);
}

VORLEN_FFT_INLINE void splitRotatedAt(double* a, int32_t j, int32_t q, Tw8 w1, Tw8 v1, Tw8 w3,
                                      Tw8 v3) {
    P8 a0 = loadOct(a + 2 * j);
    P8 a1 = loadOct(a + 2 * (j + q));
    P8 a2 = loadOct(a + 2 * (j + 2 * q));
    P8 a3 = loadOct(a + 2 * (j + 3 * q));
    splitRotatedPairs(a0, a1, a2, a3, w1, v1, w3, v3);
    storeOct(a + 2 * j, a0);
    storeOct(a + 2 * (j + q), a1);
    storeOct(a + 2 * (j + 2 * q), a2);
    storeOct(a + 2 * (j + 3 * q), a3);
}

// Pass k of the first stage covers the quad stage's passes 2k and 2k+1: the
// points 8k..8k+7, and their mirrors q-8k-8..q-8k-1, whose lower quad is
// the mirror of pass 2k+1. `g0`..`g4` are the table groups of W^(8k) to
// W^(8k+8) in steps of 2.
template <class Source>
void firstStage(int32_t n, const Source& src, double* a, const double* w, int32_t nw) noexcept {
    const int32_t points = n / 2;
    const int32_t q = points / 4;
    const double* seg = w + nw - points / 2;
    const double c = seg[1];
    const __m256d scales = _mm256_set_pd(seg[3], seg[3], seg[2], seg[2]);
    const int32_t last = q / 16 - 1;
    // W^0 = 1 and W^(q/2) = e^(i pi/4) are not table groups.
    __m256d g0 = group(1.0, 0.0, 1.0, 0.0);
    for (int32_t k = 0; k <= last; ++k) {
        const __m256d g1 = _mm256_loadu_pd(seg + 16 * k + 4);
        const __m256d g2 = _mm256_loadu_pd(seg + 16 * k + 8);
        const __m256d g3 = _mm256_loadu_pd(seg + 16 * k + 12);
        const __m256d g4 = k == last ? group(c, c, -c, -c) : _mm256_loadu_pd(seg + 16 * k + 16);
        Tw4 w1[2];
        Tw4 w3[2];
        Tw4 m1[2];
        Tw4 m3[2];
        firstStageTwiddles(g0, g1, g2, scales, w1[0], w3[0], m1[0], m3[0]);
        firstStageTwiddles(g2, g3, g4, scales, w1[1], w3[1], m1[1], m3[1]);
        splitPlainAt(src, a, 8 * k, q, joined(w1[0], w1[1]), joined(w3[0], w3[1]));
        splitPlainAt(src, a, q - 8 * k - 8, q, joined(m1[1], m1[0]), joined(m3[1], m3[0]));
        g0 = g4;
    }
}

// Calls apply(j, q, w1, w3) for every oct j of a plain split of m points,
// with the twiddles of the quads j and j+4 joined.
template <int32_t FixedM, class Apply>
VORLEN_FFT_INLINE void plainTwiddles(int32_t m, const double* w, int32_t nw, const Apply& apply) {
    const int32_t q = (FixedM != 0 ? FixedM : m) / 4;
    const double* seg = w + nw - 4 * q;
    const double c = seg[1];
    Tw4 w1[2];
    Tw4 w3[2];
    for (int32_t j = 0; j < q / 2; j += 8) {
        plainLowTwiddles(seg, j, w1[0], w3[0]);
        plainLowTwiddles(seg, j + 4, w1[1], w3[1]);
        apply(j, q, joined(w1[0], w1[1]), joined(w3[0], w3[1]));
    }
    for (int32_t j = q / 2; j < q; j += 8) {
        plainHighTwiddles(seg, j, q, c, w1[0], w3[0]);
        plainHighTwiddles(seg, j + 4, q, c, w1[1], w3[1]);
        apply(j, q, joined(w1[0], w1[1]), joined(w3[0], w3[1]));
    }
}

// Calls apply(j, q, w1, v1, w3, v3) for every oct j of a rotated split of
// m points.
template <int32_t FixedM, class Apply>
VORLEN_FFT_INLINE void rotatedTwiddles(int32_t m, const double* w, int32_t nw, const Apply& apply) {
    const int32_t q = (FixedM != 0 ? FixedM : m) / 4;
    const double* seg = w + nw - 8 * q;
    const double c = seg[1];
    Tw4 w1[2];
    Tw4 v1[2];
    Tw4 w3[2];
    Tw4 v3[2];
    for (int32_t j = 0; j < q; j += 8) {
        rotatedQuadTwiddles(seg, j, q, c, w1[0], v1[0], w3[0], v3[0]);
        rotatedQuadTwiddles(seg, j + 4, q, c, w1[1], v1[1], w3[1], v3[1]);
        apply(j, q, joined(w1[0], w1[1]), joined(v1[0], v1[1]), joined(w3[0], w3[1]),
              joined(v3[0], v3[1]));
    }
}

struct ApplyPlain {
    double* a;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t q, Tw8 w1, Tw8 w3) const {
        splitPlainAt(FromOcts{a}, a, j, q, w1, w3);
    }
};

struct ApplyRotated {
    double* a;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t q, Tw8 w1, Tw8 v1, Tw8 w3, Tw8 v3) const {
        splitRotatedAt(a, j, q, w1, v1, w3, v3);
    }
};

template <class Twiddles>
struct KeepPlain {
    Twiddles& t;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t /*q*/, Tw8 w1, Tw8 w3) const {
        storeTwiddles8(t.plain[j / 8][0], w1);
        storeTwiddles8(t.plain[j / 8][1], w3);
    }
};

struct KeepRotated {
    OctQuarterTwiddles& t;
    VORLEN_FFT_INLINE void operator()(int32_t j, int32_t /*q*/, Tw8 w1, Tw8 v1, Tw8 w3,
                                      Tw8 v3) const {
        storeTwiddles8(t.rotated[j / 8][0], w1);
        storeTwiddles8(t.rotated[j / 8][1], v1);
        storeTwiddles8(t.rotated[j / 8][2], w3);
        storeTwiddles8(t.rotated[j / 8][3], v3);
    }
};

// A plain split of a block of Twiddles::kPoints with twiddles from `t`.
template <class Twiddles>
VORLEN_FFT_INLINE void plainSplitsFrom(double* a, const Twiddles& t) {
    constexpr int32_t q = Twiddles::kPoints / 4;
    for (int32_t p = 0; p < Twiddles::kOcts; ++p) {
        splitPlainAt(FromOcts{a}, a, 8 * p, q, loadTwiddles8(t.plain[p][0]),
                     loadTwiddles8(t.plain[p][1]));
    }
}

// The splits of 256-point blocks; with their size known the compiler
// unrolls them.
constexpr int32_t kLeafBlockPoints = 256;

} // namespace

void firstStageForwardOcts(int32_t n, const double* src, const double* window, double* a,
                           const double* w, int32_t nw) noexcept {
    if (window != nullptr) {
        firstStage(n, FromWindowed{src, window}, a, w, nw);
    } else {
        firstStage(n, FromInterleaved{src}, a, w, nw);
    }
}

void firstStageForwardOctsInPlace(int32_t n, double* a, const double* w, int32_t nw) noexcept {
    firstStage(n, FromOcts{a}, a, w, nw);
}

void middleStage1Octs(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    if (m == kLeafBlockPoints) {
        plainTwiddles<kLeafBlockPoints>(m, w, nw, ApplyPlain{a});
    } else {
        plainTwiddles<0>(m, w, nw, ApplyPlain{a});
    }
}

void middleStage2Octs(int32_t m, double* a, const double* w, int32_t nw) noexcept {
    if (m == kLeafBlockPoints) {
        rotatedTwiddles<kLeafBlockPoints>(m, w, nw, ApplyRotated{a});
    } else {
        rotatedTwiddles<0>(m, w, nw, ApplyRotated{a});
    }
}

void makeOctQuarterTwiddles(const double* w, int32_t nw, OctQuarterTwiddles& t) noexcept {
    plainTwiddles<OctQuarterTwiddles::kPoints>(OctQuarterTwiddles::kPoints, w, nw,
                                               KeepPlain<OctQuarterTwiddles>{t});
    rotatedTwiddles<OctQuarterTwiddles::kPoints>(OctQuarterTwiddles::kPoints, w, nw,
                                                 KeepRotated{t});
}

void middleStage1OctQuarter(double* a, const OctQuarterTwiddles& t) noexcept {
    plainSplitsFrom(a, t);
}

void makeOctPlainTwiddles256(const double* w, int32_t nw, OctPlainTwiddles256& t) noexcept {
    plainTwiddles<OctPlainTwiddles256::kPoints>(OctPlainTwiddles256::kPoints, w, nw,
                                                KeepPlain<OctPlainTwiddles256>{t});
}

void middleStage1Oct256(double* a, const OctPlainTwiddles256& t) noexcept {
    plainSplitsFrom(a, t);
}

void middleStage2OctQuarter(double* a, const OctQuarterTwiddles& t) noexcept {
    constexpr int32_t q = OctQuarterTwiddles::kPoints / 4;
    for (int32_t p = 0; p < OctQuarterTwiddles::kOcts; ++p) {
        splitRotatedAt(a, 8 * p, q, loadTwiddles8(t.rotated[p][0]), loadTwiddles8(t.rotated[p][1]),
                       loadTwiddles8(t.rotated[p][2]), loadTwiddles8(t.rotated[p][3]));
    }
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft

#endif
