#include "fft_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vorlen::fft {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

TEST(FftTables, BitReversalLevelsHoldScaledReversedIndices) {
    std::vector<int32_t> ip(indexTableSize(512));
    std::vector<double> w(512);
    makeTwiddleTable(512, ip.data(), w.data());
    EXPECT_EQ(ip[0], 512);
    EXPECT_EQ(ip[1], 1);
    const std::vector<int32_t> levels(ip.begin() + 2, ip.begin() + 16);
    EXPECT_EQ(levels,
              (std::vector<int32_t>{0, 16, 0, 64, 32, 96, 0, 256, 128, 384, 64, 320, 192, 448}));
}

TEST(FftTables, EveryTwiddleSegmentFollowsItsRule) {
    const int32_t nw = 512;
    std::vector<int32_t> ip(indexTableSize(nw));
    std::vector<double> w(nw, 7.0);
    makeTwiddleTable(nw, ip.data(), w.data());
    EXPECT_EQ(w[0], 1.0);
    EXPECT_DOUBLE_EQ(w[1], std::sqrt(0.5));
    const double tol = 4e-16;
    for (int32_t len = nw / 2; len >= 2; len /= 2) {
        const double* s = w.data() + nw - 2 * len;
        const long double d = kPi / (4 * len);
        EXPECT_EQ(s[0], 1.0) << "L=" << len;
        EXPECT_EQ(s[1], w[1]) << "L=" << len;
        if (len == 4) {
            EXPECT_NEAR(s[2], std::cos(2 * d), tol);
            EXPECT_NEAR(s[3], std::sin(2 * d), tol);
        } else if (len >= 8) {
            EXPECT_NEAR(s[2], 0.5 / std::cos(2 * d), tol) << "L=" << len;
            EXPECT_NEAR(s[3], 0.5 / std::cos(6 * d), tol) << "L=" << len;
            for (int32_t j = 4; j < len; j += 4) {
                EXPECT_NEAR(s[j], std::cos(j * d), tol) << "L=" << len << " j=" << j;
                EXPECT_NEAR(s[j + 1], std::sin(j * d), tol) << "L=" << len << " j=" << j;
                EXPECT_NEAR(s[j + 2], std::cos(3 * j * d), tol) << "L=" << len << " j=" << j;
                EXPECT_NEAR(s[j + 3], -std::sin(3 * j * d), tol) << "L=" << len << " j=" << j;
            }
        }
    }
    // The two entries past the shortest segment belong to no segment.
    EXPECT_EQ(w[510], 7.0);
    EXPECT_EQ(w[511], 7.0);
}

TEST(FftTables, CosineTableHoldsHalfCosinesOfQuarterTurnSteps) {
    const int32_t nc = 512;
    std::vector<int32_t> ip(2, 0);
    std::vector<double> c(nc);
    makeCosineTable(nc, ip.data(), c.data());
    EXPECT_EQ(ip[1], nc);
    EXPECT_DOUBLE_EQ(c[0], std::sqrt(0.5));
    EXPECT_EQ(c[256], 0.5 * c[0]);
    for (int32_t j = 1; j < nc; ++j) {
        EXPECT_NEAR(c[j], 0.5 * std::cos(j * kPi / (2 * nc)), 2e-16) << "j=" << j;
    }
}

} // namespace
} // namespace vorlen::fft
