// The streaming engine: latency, the dry path, block independence, the noise draws and
// what hosts may hand it (in-place buffers, null channels, non-finite samples).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

#include "engine_harness.h"

namespace {

constexpr size_t kLength = 12000;

void expectIdentical(const Stereo& a, const Stereo& b, size_t from = 0) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = from; i < a.size(); ++i) {
        ASSERT_EQ(a.left[i], b.left[i]) << "left sample " << i;
        ASSERT_EQ(a.right[i], b.right[i]) << "right sample " << i;
    }
}

TEST(Engine, NonPositiveCountsTouchNeitherBuffersNorState) {
    const Stereo input = randomSignal(kLength, 1);
    const Stereo reference = renderFresh(input, 0.6f, 0.5f, 77);

    Engine engine;
    engine.set(0, 0.6f);
    engine.seed(77);
    Stereo output = engine.run(slice(input, 0, 1500));
    Stereo sentinel(8);
    std::fill(sentinel.left.begin(), sentinel.left.end(), 9.0f);
    std::fill(sentinel.right.begin(), sentinel.right.end(), 9.0f);
    float* buffers[2] = {sentinel.left.data(), sentinel.right.data()};
    for (int count : {0, -1, -4096, std::numeric_limits<int>::min()}) {
        engine.effect->processReplacing(buffers, buffers, count);
    }
    for (size_t i = 0; i < sentinel.size(); ++i) {
        EXPECT_EQ(sentinel.left[i], 9.0f);
        EXPECT_EQ(sentinel.right[i], 9.0f);
    }
    // Neither the engine nor the generator moved: the rest continues the single run.
    append(output, engine.run(slice(input, 1500, kLength)));
    expectIdentical(output, reference);
}

TEST(Engine, FirstHopOfOutputIsExactlyZeroWhateverTheParameters) {
    const Stereo input = randomSignal(3000, 2);
    for (float ratio : {0.0f, 0.5f, 1.0f, 2.0f}) {
        for (float smoothing : {0.0f, 0.5f, 1.0f}) {
            const Stereo output = renderFresh(input, ratio, smoothing, 3, {7});
            const size_t silent = ratio == 0.0f ? 2048 : 1024;
            for (size_t i = 0; i < silent; ++i) {
                ASSERT_EQ(output.left[i], 0.0f) << "ratio " << ratio << ", sample " << i;
                ASSERT_EQ(output.right[i], 0.0f) << "ratio " << ratio << ", sample " << i;
            }
        }
    }
}

// With Ratio 0 only the dry term remains: the input, 2048 samples late, under the sum of
// the two overlapping analysis windows.
TEST(Engine, RatioZeroDelaysTheInputByTheLatencyUnderTheWindowGain) {
    const Stereo input = randomSignal(kLength, 4);
    for (const std::vector<int>& blocks : {std::vector<int>{1}, {1000}, {5000, 3, 1024}}) {
        const Stereo output = renderFresh(input, 0.0f, 0.5f, 5, blocks);
        expectDryDelayed(input, output, 2048);
    }
}

TEST(Engine, SilenceStaysExactlySilentAsNoise) {
    const Stereo silence(kLength);
    for (float smoothing : {0.0f, 0.5f, 1.0f}) {
        const Stereo output = renderFresh(silence, 1.0f, smoothing, 6, {333});
        for (size_t i = 0; i < kLength; ++i) {
            ASSERT_EQ(output.left[i], 0.0f) << "sample " << i;
            ASSERT_EQ(output.right[i], 0.0f) << "sample " << i;
        }
    }
}

TEST(Engine, BlockSizesDoNotChangeTheOutput) {
    const Stereo input = randomSignal(kLength, 7);
    const Stereo whole = renderFresh(input, 0.7f, 0.5f, 8, {static_cast<int>(kLength)});
    const std::vector<std::vector<int>> splits = {
        {1}, {7}, {1000}, {1024}, {5000}, {3, 1021, 1, 2048, 4999, 17, 1024, 64},
    };
    for (const std::vector<int>& blocks : splits) {
        SCOPED_TRACE(::testing::Message() << "first block " << blocks[0]);
        expectIdentical(renderFresh(input, 0.7f, 0.5f, 8, blocks), whole);
    }
}

// The noise is the engine's own: a host's (or another plug-in's) sequence from the C
// generator goes on as if the effect were not there, whatever it processes.
TEST(Engine, LeavesTheCGeneratorToTheHost) {
    const Stereo input = randomSignal(5000, 9);
    for (float ratio : {0.0f, 1.0f}) {
        for (float smoothing : {0.0f, 1.0f}) {
            std::srand(10);
            const int first = std::rand();
            renderFresh(input, ratio, smoothing, 10, {999});
            const int second = std::rand();
            std::srand(10);
            EXPECT_EQ(first, std::rand());
            EXPECT_EQ(second, std::rand());
        }
    }
}

// Hosts often process in place; the input of each index must be read before its output
// overwrites it.
TEST(Engine, InPlaceBuffersGiveTheOutOfPlaceResult) {
    const Stereo input = randomSignal(kLength, 11);
    const Stereo expected = renderFresh(input, 0.5f, 0.5f, 12, {700});

    Engine engine;
    engine.set(0, 0.5f);
    engine.seed(12);
    Stereo buffer = input;
    for (size_t done = 0; done < kLength; done += 700) {
        const int count = static_cast<int>(std::min<size_t>(700, kLength - done));
        float* channels[2] = {buffer.left.data() + done, buffer.right.data() + done};
        engine.effect->processReplacing(channels, channels, count);
    }
    expectIdentical(buffer, expected);
}

TEST(Engine, NullChannelsAreSilentInputsAndSkippedOutputs) {
    Stereo input = randomSignal(kLength, 13);
    std::fill(input.right.begin(), input.right.end(), 0.0f);
    const Stereo expected = renderFresh(input, 0.5f, 0.5f, 14);

    Engine engine;
    engine.set(0, 0.5f);
    engine.seed(14);
    // Null arrays: nothing is processed and no noise is drawn.
    engine.effect->processReplacing(nullptr, nullptr, 512);
    float* someInputs[2] = {input.left.data(), input.right.data()};
    engine.effect->processReplacing(someInputs, nullptr, 512);
    Stereo output(kLength);
    float* outputs[2] = {output.left.data(), nullptr};
    float* inputs[2] = {input.left.data(), nullptr};
    engine.effect->processReplacing(inputs, outputs, static_cast<int>(kLength));
    for (size_t i = 0; i < kLength; ++i) {
        ASSERT_EQ(output.left[i], expected.left[i]) << "sample " << i;
        ASSERT_EQ(output.right[i], 0.0f) << "sample " << i;
    }
}

// A non-finite sample spoils the frames that hold it and the ring positions they reach,
// nothing more: once those have been sent, the output is that of the same input without it.
TEST(Engine, NonFiniteInputPassesThroughAndLeaves) {
    Stereo input = randomSignal(kLength, 15);
    input.left[3000] = 0.0f;
    for (float ratio : {0.0f, 1.0f}) {
        const Stereo clean = renderFresh(input, ratio, 0.5f, 16);
        for (float bad :
             {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
            Stereo spoiled = input;
            spoiled.left[3000] = bad;
            const Stereo output = renderFresh(spoiled, ratio, 0.5f, 16);
            // Sample 3000 sits in the frames of the hops after 3072 and 4096 samples; the
            // later one is sent as outputs 4096..6143.
            EXPECT_FALSE(std::isfinite(output.left[5000]));
            for (size_t i = 6144; i < kLength; ++i) {
                ASSERT_EQ(output.left[i], clean.left[i]) << "sample " << i;
            }
            for (size_t i = 0; i < kLength; ++i) {
                ASSERT_EQ(output.right[i], clean.right[i]) << "right sample " << i;
            }
        }
    }
}

// Host values beyond 0..1 give half-widths the smoothing is not defined for; they act as
// the nearest one it is defined for.
TEST(Engine, OutOfRangeSmoothingActsAsTheNearestValidHalfWidth) {
    const Stereo input = randomSignal(6000, 17);
    expectIdentical(renderFresh(input, 1.0f, 1.0e9f, 18), renderFresh(input, 1.0f, 25.6f, 18));
    expectIdentical(renderFresh(input, 1.0f, -1.0e9f, 18), renderFresh(input, 1.0f, 0.0f, 18));
    expectIdentical(renderFresh(input, 1.0f, std::numeric_limits<float>::infinity(), 18),
                    renderFresh(input, 1.0f, 25.6f, 18));
}

// Ratio beyond 0..1 is held at the nearest end, in the audio as in the display.
TEST(Engine, OutOfRangeRatioActsAsTheNearestEnd) {
    const Stereo input = randomSignal(6000, 19);
    expectIdentical(renderFresh(input, 2.0f, 0.5f, 20), renderFresh(input, 1.0f, 0.5f, 20));
    expectIdentical(renderFresh(input, 3e38f, 0.5f, 20), renderFresh(input, 1.0f, 0.5f, 20));
    expectIdentical(renderFresh(input, -3.0f, 0.5f, 20), renderFresh(input, 0.0f, 0.5f, 20));
}

/// A sine of the given peak on both channels.
Stereo sine(size_t length, double peak) {
    Stereo signal(length);
    for (size_t i = 0; i < length; ++i) {
        const auto x = static_cast<float>(peak * std::sin(0.05 * static_cast<double>(i)));
        signal.left[i] = x;
        signal.right[i] = -x;
    }
    return signal;
}

// Finite input, however large, gives finite output: at the top of float's range the dry
// gain of up to sqrt(2), or shaped noise peaking above the signal, would overflow float.
TEST(Engine, HugeFiniteInputGivesFiniteOutput) {
    Stereo input = sine(kLength, 3e38);
    for (size_t i = 0; i < kLength; i += 7) {
        input.left[i] = std::numeric_limits<float>::max();
        input.right[i] = -std::numeric_limits<float>::max();
    }
    for (float ratio : {0.0f, 0.5f, 1.0f}) {
        for (float smoothing : {0.0f, 1.0f}) {
            const Stereo output = renderFresh(input, ratio, smoothing, 21, {512});
            bool reachedTheTop = false;
            for (size_t i = 0; i < kLength; ++i) {
                ASSERT_TRUE(std::isfinite(output.left[i])) << "ratio " << ratio << ", " << i;
                ASSERT_TRUE(std::isfinite(output.right[i])) << "ratio " << ratio << ", " << i;
                reachedTheTop = reachedTheTop || std::abs(output.left[i]) > 1e38f;
            }
            EXPECT_TRUE(reachedTheTop) << "ratio " << ratio;
        }
    }
}

// A signal near the bottom of float's range must not come out as subnormal samples, which
// cost hosts dearly; it comes out as zeros and as normal floats.
TEST(Engine, TinyInputGivesNoSubnormalOutput) {
    const Stereo input = sine(kLength, 1e-37);
    for (float ratio : {0.0f, 0.5f, 1.0f}) {
        const Stereo output = renderFresh(input, ratio, 0.5f, 22, {700});
        size_t nonZero = 0;
        for (size_t i = 0; i < kLength; ++i) {
            for (float sample : {output.left[i], output.right[i]}) {
                ASSERT_NE(std::fpclassify(sample), FP_SUBNORMAL) << "ratio " << ratio << ", " << i;
                nonZero += sample != 0.0f ? 1 : 0;
            }
        }
        EXPECT_GT(nonZero, kLength / 2) << "ratio " << ratio;
    }
}

/// Host suspension and resumption through the dispatcher, as effMainsChanged 0 then 1.
void suspendAndResume(Engine& engine) {
    engine.effect->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
    engine.effect->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
}

// Hosts suspend on transport stops and relocations: nothing from before may come out after.
TEST(Engine, ResumeStartsClean) {
    const Stereo music = sine(40 * 512, 0.7);
    const Stereo silence(kLength);
    for (float ratio : {0.0f, 1.0f}) {
        Engine engine;
        engine.set(0, ratio);
        engine.run(music, {512});
        suspendAndResume(engine);
        const Stereo output = engine.run(silence, {512});
        for (size_t i = 0; i < kLength; ++i) {
            ASSERT_EQ(output.left[i], 0.0f) << "ratio " << ratio << ", sample " << i;
            ASSERT_EQ(output.right[i], 0.0f) << "ratio " << ratio << ", sample " << i;
        }
    }
}

// After resume the instance sounds exactly as a new one given the same seed, at any point
// of a hop, and the seed holds across resumes.
TEST(Engine, ResumeSoundsAsANewInstanceWithTheSameSeed) {
    const Stereo before = randomSignal(5000, 23);
    const Stereo after = randomSignal(kLength, 24);
    const Stereo fresh = renderFresh(after, 0.6f, 0.5f, 25, {600});
    for (size_t stop : {size_t{1}, size_t{1024}, size_t{3001}}) {
        Engine engine;
        engine.set(0, 0.6f);
        engine.seed(25);
        engine.run(slice(before, 0, stop), {333});
        suspendAndResume(engine);
        expectIdentical(engine.run(after, {600}), fresh);
    }
}

// Each instance draws its own noise: unseeded instances differ, and seeded ones on other
// threads give exactly what one alone gives.
TEST(Engine, InstancesHaveNoiseOfTheirOwn) {
    const Stereo input = randomSignal(kLength, 26);
    Engine first;
    Engine second;
    const Stereo a = first.run(input, {512});
    const Stereo b = second.run(input, {512});
    size_t differing = 0;
    for (size_t i = 2048; i < kLength; ++i) {
        differing += a.left[i] != b.left[i] ? 1 : 0;
    }
    EXPECT_GT(differing, (kLength - 2048) / 2);

    const Stereo alone = renderFresh(input, 1.0f, 0.5f, 27, {64});
    std::vector<Stereo> results(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] { results[t] = renderFresh(input, 1.0f, 0.5f, 27, {64}); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const Stereo& result : results) {
        expectIdentical(result, alone);
    }
}

// The seed takes effect at the next hop: set between hops, the frame being filled already
// takes its noise from it.
TEST(Engine, SeedActsFromTheNextHop) {
    const Stereo input = randomSignal(kLength, 28);
    const Stereo expected = renderFresh(input, 1.0f, 0.5f, 29, {500});
    Engine engine;
    engine.seed(30);
    Stereo output = engine.run(slice(input, 0, 500));
    engine.seed(29);
    append(output, engine.run(slice(input, 500, kLength), {500}));
    expectIdentical(output, expected);
}

} // namespace
