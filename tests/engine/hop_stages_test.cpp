// The fused passes of a hop against the plain steps they replace: the smoothing followed by
// the shaping, and the normalisation, synthesis windowing and mix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "hop_stages.h"
#include "smoothing.h"

namespace {

using vorlen::kSpectrumBins;
constexpr int kFrame = 2048;
constexpr int kHop = 1024;

std::vector<double> randomValues(size_t count, double low, double high, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> value(low, high);
    std::vector<double> values(count);
    for (double& v : values) {
        v = value(random);
    }
    return values;
}

std::vector<ComplexBin> randomSpectrum(unsigned seed, double scale = 50.0) {
    const std::vector<double> parts = randomValues(2 * kSpectrumBins, -scale, scale, seed);
    std::vector<ComplexBin> bins(kSpectrumBins);
    for (int k = 0; k < kSpectrumBins; ++k) {
        bins[k] = {parts[2 * k], parts[2 * k + 1]};
    }
    return bins;
}

std::vector<double> plainMagnitudes(const std::vector<ComplexBin>& bins) {
    std::vector<double> mag(kSpectrumBins);
    for (int k = 0; k < kSpectrumBins; ++k) {
        mag[k] = std::sqrt(bins[k].re * bins[k].re + bins[k].im * bins[k].im);
    }
    return mag;
}

/// One channel shaped the plain way: magnitudes, smoothSpectrum on both envelopes, then
/// their quotient times the noise bin.
std::vector<ComplexBin> shapedPlainly(int h, const std::vector<ComplexBin>& signal,
                                      const std::vector<ComplexBin>& noise) {
    std::vector<double> signalMag = plainMagnitudes(signal);
    std::vector<double> noiseMag = plainMagnitudes(noise);
    std::vector<double> scratch(kSpectrumBins);
    vorlen::smoothSpectrum(h, signalMag.data(), scratch.data());
    vorlen::smoothSpectrum(h, noiseMag.data(), scratch.data());
    std::vector<ComplexBin> shaped(kSpectrumBins);
    for (int k = 0; k < kSpectrumBins; ++k) {
        const double gain = noiseMag[k] == 0.0 ? 0.0 : signalMag[k] / noiseMag[k];
        shaped[k] = {gain * noise[k].re, gain * noise[k].im};
    }
    return shaped;
}

/// What shapeNoise writes: the two shaped spectra and the three magnitude spectra.
struct Shaped {
    std::vector<ComplexBin> left = std::vector<ComplexBin>(kSpectrumBins);
    std::vector<ComplexBin> right = std::vector<ComplexBin>(kSpectrumBins);
    std::vector<double> magL = std::vector<double>(kSpectrumBins);
    std::vector<double> magR = std::vector<double>(kSpectrumBins);
    std::vector<double> magNoise = std::vector<double>(kSpectrumBins);
};

Shaped shapedFused(int h, const std::vector<ComplexBin>& left, const std::vector<ComplexBin>& right,
                   const std::vector<ComplexBin>& noise) {
    Shaped out;
    vorlen::shapeNoise(h, left.data(), right.data(), noise.data(), out.magL.data(), out.magR.data(),
                       out.magNoise.data(), out.left.data(), out.right.data());
    return out;
}

// The fused pass takes the magnitudes as it goes, carries the three running sums side by
// side in smoothSpectrum's order and divides each into its average before forming the
// quotient, so it must agree to the bit, for narrow and wide windows alike.
TEST(ShapeNoise, MatchesMagnitudesSmoothingThenShapingForEveryHalfWidth) {
    const std::vector<ComplexBin> noise = randomSpectrum(1);
    const std::vector<ComplexBin> left = randomSpectrum(2, 100.0);
    const std::vector<ComplexBin> right = randomSpectrum(3, 0.01);
    for (int h : {0, 1, 2, 3, 10, 20, 100, 511, 512}) {
        const Shaped fused = shapedFused(h, left, right, noise);
        ASSERT_EQ(fused.magL, plainMagnitudes(left)) << "h " << h;
        ASSERT_EQ(fused.magR, plainMagnitudes(right)) << "h " << h;
        ASSERT_EQ(fused.magNoise, plainMagnitudes(noise)) << "h " << h;
        const std::vector<ComplexBin> plainL = shapedPlainly(h, left, noise);
        const std::vector<ComplexBin> plainR = shapedPlainly(h, right, noise);
        for (int k = 0; k < kSpectrumBins; ++k) {
            ASSERT_EQ(fused.left[k].re, plainL[k].re) << "h " << h << " bin " << k;
            ASSERT_EQ(fused.left[k].im, plainL[k].im) << "h " << h << " bin " << k;
            ASSERT_EQ(fused.right[k].re, plainR[k].re) << "h " << h << " bin " << k;
            ASSERT_EQ(fused.right[k].im, plainR[k].im) << "h " << h << " bin " << k;
        }
    }
}

// Levels far from audio's, infinities and NaNs take a slower road to the quotients on some
// processors; bins of wildly different levels side by side, silent bins among them, must
// still give the plain steps' bits wherever either road is taken.
TEST(ShapeNoise, MatchesThePlainStepsAtEveryLevel) {
    std::mt19937 random(9);
    std::uniform_real_distribution<double> decades(-200.0, 200.0);
    const auto scattered = [&](unsigned seed) {
        std::vector<ComplexBin> bins = randomSpectrum(seed);
        for (ComplexBin& bin : bins) {
            const double level = std::pow(10.0, decades(random));
            bin = {bin.re * level, bin.im * level};
        }
        return bins;
    };
    std::vector<ComplexBin> noise = scattered(10);
    std::vector<ComplexBin> left = scattered(11);
    std::vector<ComplexBin> right = randomSpectrum(12);
    for (int k = 300; k < 340; ++k) {
        noise[k] = {0.0, 0.0};
        left[k + 100] = {0.0, 0.0};
    }
    right[600] = {std::numeric_limits<double>::infinity(), 0.0};
    right[700] = {std::numeric_limits<double>::quiet_NaN(), 1.0};
    for (int h : {0, 2, 10}) {
        const Shaped fused = shapedFused(h, left, right, noise);
        const std::vector<ComplexBin> plainL = shapedPlainly(h, left, noise);
        const std::vector<ComplexBin> plainR = shapedPlainly(h, right, noise);
        const auto same = [](double a, double b) {
            return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
        };
        for (int k = 0; k < kSpectrumBins; ++k) {
            ASSERT_TRUE(same(fused.left[k].re, plainL[k].re)) << "h " << h << " bin " << k;
            ASSERT_TRUE(same(fused.left[k].im, plainL[k].im)) << "h " << h << " bin " << k;
            ASSERT_TRUE(same(fused.right[k].re, plainR[k].re)) << "h " << h << " bin " << k;
            ASSERT_TRUE(same(fused.right[k].im, plainR[k].im)) << "h " << h << " bin " << k;
        }
    }
}

// Where the noise has no energy across a whole window its envelope is exactly zero: those
// bins come out silent, not 0/0, while their neighbours keep the signal's envelope.
TEST(ShapeNoise, BinsWithASilentNoiseEnvelopeComeOutZero) {
    constexpr int h = 3;
    std::vector<ComplexBin> noise = randomSpectrum(4);
    for (int k = 100; k <= 200; ++k) {
        noise[k] = {0.0, 0.0};
    }
    const std::vector<ComplexBin> left = randomSpectrum(5);
    const std::vector<ComplexBin> right(kSpectrumBins, ComplexBin{0.0, 0.0});
    const Shaped out = shapedFused(h, left, right, noise);
    for (int k = 0; k < kSpectrumBins; ++k) {
        const bool silentBin = k >= 100 && k <= 200;
        const double level = std::hypot(out.left[k].re, out.left[k].im);
        ASSERT_TRUE(std::isfinite(level)) << "bin " << k;
        if (silentBin) {
            ASSERT_EQ(level, 0.0) << "bin " << k;
        } else {
            ASSERT_GT(level, 0.0) << "bin " << k;
        }
        ASSERT_EQ(out.right[k].re, 0.0) << "bin " << k;
        ASSERT_EQ(out.right[k].im, 0.0) << "bin " << k;
    }
}

// The mix windows the dry frame itself and forms window/2048 for the wet one, which is
// exact to the bit because 1/2048 is a power of two: it must equal analysis windowing,
// normalising, synthesis windowing and mixing one step after the other, and leave the
// frame moved on by a hop.
TEST(MixIntoRing, EqualsWindowingNormalisingAndMixingStepByStep) {
    std::vector<double> window(kFrame);
    vorlen::makeWindow(window.data());
    const std::vector<double> frame = randomValues(kFrame, -1.0, 1.0, 6);
    const std::vector<double> wet = randomValues(kFrame, -3000.0, 3000.0, 7);
    const std::vector<double> before = randomValues(kFrame, -1.0, 1.0, 8);
    for (double ratio : {1.0, 0.0, 0.3, 2.0}) {
        const double dryWeight = static_cast<double>(1.0f - static_cast<float>(ratio));
        std::vector<double> ring = before;
        std::vector<double> moved = frame;
        vorlen::mixIntoRing(moved.data(), wet.data(), window.data(), dryWeight, ratio, ring.data(),
                            ring.data() + kHop);
        for (int j = 0; j < kFrame; ++j) {
            const double dry = frame[j] * window[j];
            const double windowedWet = (wet[j] * 0.00048828125) * window[j];
            const double mixed = dryWeight * dry + ratio * windowedWet;
            const double expected = j < kHop ? mixed + before[j] : mixed;
            ASSERT_EQ(ring[j], expected) << "ratio " << ratio << " position " << j;
        }
        for (int j = 0; j < kHop; ++j) {
            ASSERT_EQ(moved[j], frame[j + kHop]) << "position " << j;
        }
    }
}

/// What a sample sent to the host must be: the cast to float, except that a finite value
/// beyond float's range stays at its largest magnitude and a subnormal float becomes zero of
/// its sign.
float hostSample(double x) {
    const float largest = std::numeric_limits<float>::max();
    if (std::isfinite(x) && std::abs(x) > largest) {
        return std::copysign(largest, static_cast<float>(x));
    }
    const float cast = static_cast<float>(x);
    return std::fpclassify(cast) == FP_SUBNORMAL ? std::copysign(0.0f, cast) : cast;
}

// The host's samples cross in and out in wide loops of any length: every value, however
// odd, must come out as hostSample says, tails included.
TEST(SampleConversion, RoundsAsACastDoesWithinFloatRangeForEveryValueAndLength) {
    const double inf = std::numeric_limits<double>::infinity();
    const double smallestNormal = std::numeric_limits<float>::min();
    std::vector<double> wide = {0.5,
                                -0.0,
                                1e-310,
                                -1e-40,
                                1e39,
                                -1e39,
                                inf,
                                -inf,
                                3.4e38,
                                3.5e38,
                                1.0 + 1e-12,
                                smallestNormal,
                                smallestNormal * (1.0 - 1e-9),
                                -smallestNormal * 0.75,
                                std::numeric_limits<double>::quiet_NaN()};
    const std::vector<double> noise = randomValues(40, -2.0, 2.0, 13);
    wide.insert(wide.end(), noise.begin(), noise.end());
    for (size_t count = 0; count <= wide.size(); ++count) {
        std::vector<float> narrow(count + 1, 7.0f);
        vorlen::narrowSamples(wide.data(), narrow.data(), static_cast<int32_t>(count));
        std::vector<double> back(count + 1, 7.0);
        vorlen::widenSamples(narrow.data(), back.data(), static_cast<int32_t>(count));
        for (size_t i = 0; i < count; ++i) {
            const float expected = hostSample(wide[i]);
            ASSERT_EQ(std::memcmp(&narrow[i], &expected, sizeof expected), 0) << count << " " << i;
            const double widened = static_cast<double>(narrow[i]);
            ASSERT_EQ(std::memcmp(&back[i], &widened, sizeof widened), 0) << count << " " << i;
        }
        ASSERT_EQ(narrow[count], 7.0f) << "wrote past " << count;
        ASSERT_EQ(back[count], 7.0) << "wrote past " << count;
    }
    // The rule above in plain values, so that it cannot drift with the code it checks.
    const double edges[] = {1e39, -1e39, 1e-310, -1e-40, smallestNormal * (1.0 - 1e-9)};
    float out[5];
    vorlen::narrowSamples(edges, out, 5);
    EXPECT_EQ(out[0], std::numeric_limits<float>::max());
    EXPECT_EQ(out[1], -std::numeric_limits<float>::max());
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_FALSE(std::signbit(out[2]));
    EXPECT_EQ(out[3], 0.0f);
    EXPECT_TRUE(std::signbit(out[3]));
    EXPECT_EQ(out[4], std::numeric_limits<float>::min());
}

} // namespace
