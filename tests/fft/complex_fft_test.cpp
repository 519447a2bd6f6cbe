#include "complex_fft.h"
#include "fft_tables.h"
#include "reference_dft.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
} // namespace vorlen::fft
