// The moving average across frequency: window bounds, divisors and the running-sum order.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "smoothing.h"

namespace {

using vorlen::kSpectrumBins;
using vorlen::smoothSpectrum;
using Spectrum = std::array<double, kSpectrumBins>;

Spectrum smoothed(int32_t h, Spectrum m) {
    Spectrum scratch{};
    smoothSpectrum(h, m.data(), scratch.data());
    return m;
}

// With integer magnitudes every partial sum is exact, so the only rounding left is the one
// division: each bin must equal the plain average of its window to the last bit. Any wrong
// bound or divisor shows.
TEST(SmoothSpectrum, EqualsThePlainAverageOfEachClippedWindowForIntegerMagnitudes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> magnitude(0, 1000);
    Spectrum m{};
    for (double& bin : m) {
        bin = magnitude(random);
    }
    for (int32_t h : {0, 1, 2, 5, 10, 20, 100, 511, 512}) {
        const Spectrum result = smoothed(h, m);
        for (int32_t i = 0; i < kSpectrumBins; ++i) {
            const int32_t first = std::max(0, i - h);
            const int32_t last = std::min(kSpectrumBins - 1, i + h);
            int64_t sum = 0;
            for (int32_t j = first; j <= last; ++j) {
                sum += static_cast<int64_t>(m[j]);
            }
            ASSERT_EQ(result[i], static_cast<double>(sum) / (last - first + 1))
                << "h = " << h << ", bin " << i;
        }
    }
}

TEST(SmoothSpectrum, DefaultHalfWidthUsesTheDocumentedWindows) {
    Spectrum ramp{};
    for (int32_t i = 0; i < kSpectrumBins; ++i) {
        ramp[i] = i;
    }
    const Spectrum result = smoothed(10, ramp);
    EXPECT_EQ(result[0], 5.0);       // bins 0..10, / 11
    EXPECT_EQ(result[10], 10.0);     // bins 0..20, / 21
    EXPECT_EQ(result[11], 11.0);     // bins 1..21, / 21
    EXPECT_EQ(result[1014], 1014.0); // bins 1004..1024, / 21
    EXPECT_EQ(result[1015], 1014.5); // bins 1005..1024, / 20
    EXPECT_EQ(result[1024], 1019.0); // bins 1014..1024, / 11
}

TEST(SmoothSpectrum, WidestHalfWidthHasNoMiddle) {
    Spectrum m{};
    m[0] = 1025.0;
    const Spectrum result = smoothed(512, m);
    EXPECT_EQ(result[512], 1.0); // all 1025 bins
    EXPECT_EQ(result[513], 0.0); // bins 1..1024
    EXPECT_EQ(result[0], 1025.0 / 513.0);
}

// The sum is carried along the array, never formed afresh: a large bin swallows the small
// one beside it, and the residue stays when the large one leaves.
TEST(SmoothSpectrum, CarriesOneRunningSumThroughTheArray) {
    Spectrum m{};
    m.fill(1.0);
    m[0] = 1.0e16;
    const Spectrum result = smoothed(0, m);
    EXPECT_EQ(result[0], 1.0e16);
    EXPECT_EQ(result[1], 0.0); // (1e16 + 1) - 1e16 rounds to 0, not 1
}

TEST(SmoothSpectrum, KeepsConstantsZerosAndSpreadsASingleBin) {
    Spectrum constant{};
    constant.fill(0.3);
    Spectrum zeros{};
    for (int32_t h : {0, 10, 512}) {
        for (double bin : smoothed(h, constant)) {
            ASSERT_NEAR(bin, 0.3, 1e-13);
        }
        for (double bin : smoothed(h, zeros)) {
            ASSERT_EQ(bin, 0.0);
        }
    }

    Spectrum single{};
    single[500] = 1.0;
    const int32_t h = 7;
    const Spectrum result = smoothed(h, single);
    for (int32_t i = 0; i < kSpectrumBins; ++i) {
        const double expected = (i >= 500 - h && i <= 500 + h) ? 1.0 / (2 * h + 1) : 0.0;
        ASSERT_NEAR(result[i], expected, 1e-15) << "bin " << i;
    }
}

} // namespace
