#include "bit_reversal.h"
#include "complex_fft.h"
#include "fft_tables.h"
#include "reference_dft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace vorlen::fft {
namespace {

using test::Exact;

// Tables as a plan of 2048 real points builds them, and tables of the least
// size a transform may be given: both must serve every smaller transform.
struct Tables {
    explicit Tables(int32_t nw) : nw(nw), ip(indexTableSize(nw)), w(nw) {
        makeTwiddleTable(nw, ip.data(), w.data());
    }
    int32_t nw;
    std::vector<int32_t> ip;
    std::vector<double> w;
};

std::vector<Exact> toExact(const std::vector<double>& a) {
    std::vector<Exact> z(a.size() / 2);
    for (std::size_t j = 0; j < z.size(); ++j) {
        z[j] = Exact(a[2 * j], a[2 * j + 1]);
    }
    return z;
}

double tolerance(int32_t points) {
    return 2.0 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::log2(points));
}

class ComplexFftSizes : public ::testing::TestWithParam<int32_t> {};

TEST_P(ComplexFftSizes, MatchesTheReferenceInBothDirections) {
    const int32_t n = GetParam();
    const int32_t points = n / 2;
    for (const int32_t nw : {512, std::max(4, n / 4)}) {
        const Tables t(nw);
        for (const int sign : {+1, -1}) {
            std::vector<double> a = test::randomValues(n, 1234 + n);
            const std::vector<Exact> want = test::referenceDft(toExact(a), sign);
            if (sign > 0) {
                complexForward(n, a.data(), t.ip.data(), nw, t.w.data());
            } else {
                complexBackward(n, a.data(), t.ip.data(), nw, t.w.data());
            }
            EXPECT_LT(test::relativeError(toExact(a), want), tolerance(points))
                << "n=" << n << " nw=" << nw << " sign=" << sign;
        }
    }
}

TEST_P(ComplexFftSizes, BackwardUndoesForwardTimesThePointCount) {
    const int32_t n = GetParam();
    const Tables t(512);
    const std::vector<double> x = test::randomValues(n, 99);
    std::vector<double> a = x;
    complexForward(n, a.data(), t.ip.data(), t.nw, t.w.data());
    complexBackward(n, a.data(), t.ip.data(), t.nw, t.w.data());
    for (int32_t i = 0; i < n; ++i) {
        ASSERT_NEAR(a[i], x[i] * (n / 2), 1e-12 * n) << "n=" << n << " i=" << i;
    }
}

TEST_P(ComplexFftSizes, ImpulsesGiveUnitAndRotatingOutputs) {
    const int32_t n = GetParam();
    const int32_t points = n / 2;
    const Tables t(512);
    std::vector<double> a(n, 0.0);
    a[0] = 1.0;
    complexForward(n, a.data(), t.ip.data(), t.nw, t.w.data());
    for (int32_t k = 0; k < points; ++k) {
        EXPECT_EQ(a[2 * k], 1.0);
        EXPECT_EQ(a[2 * k + 1], 0.0);
    }
    std::fill(a.begin(), a.end(), 0.0);
    a[2] = 1.0;
    complexForward(n, a.data(), t.ip.data(), t.nw, t.w.data());
    const double pi = std::acos(-1.0);
    for (int32_t k = 0; k < points; ++k) {
        EXPECT_NEAR(a[2 * k], std::cos(2 * pi * k / points), 1e-15) << "k=" << k;
        EXPECT_NEAR(a[2 * k + 1], std::sin(2 * pi * k / points), 1e-15) << "k=" << k;
    }
}

INSTANTIATE_TEST_SUITE_P(PowersOfTwo, ComplexFftSizes,
                         ::testing::Values(4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048));

TEST(ComplexFft, TwoPointsAndBelow) {
    const Tables t(512);
    std::vector<double> a = {1.0, 2.0, 3.0, 5.0};
    complexForward(4, a.data(), t.ip.data(), t.nw, t.w.data());
    EXPECT_EQ(a, (std::vector<double>{4.0, 7.0, -2.0, -3.0}));
    a = {1.0, 2.0, 3.0, 5.0};
    complexBackward(4, a.data(), t.ip.data(), t.nw, t.w.data());
    EXPECT_EQ(a, (std::vector<double>{4.0, 7.0, -2.0, -3.0}));
    a = {1.0, 2.0};
    complexForward(2, a.data(), t.ip.data(), t.nw, t.w.data());
    complexBackward(2, a.data(), t.ip.data(), t.nw, t.w.data());
    EXPECT_EQ(a, (std::vector<double>{1.0, 2.0}));
}

TEST(BitReversal, MovesEveryPointToItsReversedIndexAndIsAnInvolution) {
    const Tables t(512);
    for (int32_t n = 64; n <= 2048; n *= 2) {
        const int32_t points = n / 2;
        const int bits = std::countr_zero(static_cast<uint32_t>(points));
        const auto reversed = [bits](int32_t p) {
            int32_t r = 0;
            for (int b = 0; b < bits; ++b) {
                r |= ((p >> b) & 1) << (bits - 1 - b);
            }
            return r;
        };
        // Point p holds (p, -p - 1), so every value tells where it came from.
        std::vector<double> a(n);
        for (int32_t p = 0; p < points; ++p) {
            a[2 * p] = p;
            a[2 * p + 1] = -p - 1.0;
        }
        const std::vector<double> original = a;
        bitReverse(n, t.ip.data(), a.data());
        for (int32_t p = 0; p < points; ++p) {
            ASSERT_EQ(a[2 * p], reversed(p)) << "n=" << n << " p=" << p;
            ASSERT_EQ(a[2 * p + 1], -reversed(p) - 1.0) << "n=" << n << " p=" << p;
        }
        bitReverse(n, t.ip.data(), a.data());
        EXPECT_EQ(a, original);

        // The same permutation, and every imaginary part negated, moved or not.
        bitReverseConjugate(n, t.ip.data(), a.data());
        for (int32_t p = 0; p < points; ++p) {
            ASSERT_EQ(a[2 * p], reversed(p)) << "n=" << n << " p=" << p;
            ASSERT_EQ(a[2 * p + 1], reversed(p) + 1.0) << "n=" << n << " p=" << p;
        }
        bitReverseConjugate(n, t.ip.data(), a.data());
        EXPECT_EQ(a, original);
    }
}

} // namespace
} // namespace vorlen::fft
