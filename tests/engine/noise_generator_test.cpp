// The engine's generator against the sequence of the GNU C library's srand and rand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "noise_generator.h"

namespace {

using vorlen::NoiseGenerator;

// The library's unseeded sequence, as published in countless places: the generator must
// give it on every platform, not only where the C library is glibc.
TEST(NoiseGenerator, SeedOneGivesTheWellKnownSequence) {
    NoiseGenerator generator;
    const uint32_t expected[] = {1804289383, 846930886, 1681692777, 1714636915, 1957747793,
                                 424238335,  719885386, 1649760492, 596516649,  1189641421};
    for (uint32_t value : expected) {
        EXPECT_EQ(generator.next(), value);
    }
}

TEST(NoiseGenerator, SeedZeroActsAsOne) {
    NoiseGenerator zero(0);
    NoiseGenerator one(1);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(zero.next(), one.next()) << "draw " << i;
    }
}

#if defined(__GLIBC__)
// Small, large and negative-as-signed seeds, and draws far past the state's length.
TEST(NoiseGenerator, MatchesTheCLibraryForManySeeds) {
    for (uint32_t seed :
         {0u, 1u, 2u, 12345u, 2147483646u, 2147483647u, 2147483648u, 3000000000u, 4294967295u}) {
        NoiseGenerator generator(seed);
        std::srand(seed);
        for (int i = 0; i < 5000; ++i) {
            ASSERT_EQ(generator.next(), static_cast<uint32_t>(std::rand()))
                << "seed " << seed << ", draw " << i;
        }
    }
}

// Re-seeding mid-stream restarts the sequence as srand does.
TEST(NoiseGenerator, ReseedingRestartsTheSequence) {
    NoiseGenerator generator(5);
    for (int i = 0; i < 777; ++i) {
        generator.next();
    }
    generator.seed(9);
    std::srand(9);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(generator.next(), static_cast<uint32_t>(std::rand())) << "draw " << i;
    }
}
#endif

// A fill of any length gives the noise samples of as many single draws, in order, and the
// sequence goes on from there.
TEST(NoiseGenerator, FillsGiveTheSamplesOfSingleDraws) {
    NoiseGenerator single(42);
    NoiseGenerator filled(42);
    for (int32_t count : {1, 2, 3, 4, 31, 34, 1000, 1024, 7, 1024}) {
        std::vector<double> noise(static_cast<size_t>(count) + 1, 5.0);
        filled.fillNoise(noise.data(), count);
        for (int32_t k = 0; k < count; ++k) {
            const uint32_t r = single.next() >> 16;
            const double expected = (static_cast<double>(r) * 3.0517578125e-05) * 2.0 - 1.0;
            ASSERT_EQ(noise[static_cast<size_t>(k)], expected) << "count " << count << ", " << k;
        }
        ASSERT_EQ(noise.back(), 5.0) << "wrote past " << count;
    }
}

// The noise covers its 32768 levels from -1 to just below 1 evenly.
TEST(NoiseGenerator, NoiseIsUniformOverItsLevels) {
    NoiseGenerator generator(3);
    std::vector<double> noise(1024);
    double sum = 0.0;
    double lowest = 1.0;
    double highest = -1.0;
    for (int hop = 0; hop < 256; ++hop) {
        generator.fillNoise(noise.data(), 1024);
        for (double x : noise) {
            sum += x;
            lowest = std::min(lowest, x);
            highest = std::max(highest, x);
            ASSERT_EQ(x * 16384.0, std::floor(x * 16384.0));
        }
    }
    EXPECT_EQ(lowest, -1.0);
    EXPECT_EQ(highest, 1.0 - 1.0 / 16384.0);
    EXPECT_NEAR(sum / (256.0 * 1024.0), -1.0 / 32768.0, 0.005);
}

} // namespace
