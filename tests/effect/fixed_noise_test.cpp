// The engine with a generator of our own in place of the C library's: it counts the draws
// and can produce noise that is exactly zero.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine_harness.h"

namespace {
long drawCount = 0;
int nextDraw = 0;
} // namespace

// Replaces the C library's rand for the whole program, including the effect.
extern "C" int rand() noexcept {
    ++drawCount;
    return nextDraw;
}

namespace {

/// The generator value that the effect maps to the noise sample 0.0 (r = 16384).
int midpointDraw() {
    return static_cast<int>((static_cast<unsigned long long>(RAND_MAX) + 1ULL) / 2ULL);
}

TEST(FixedNoise, DrawsOnePerSampleAndNoneDuringAHop) {
    Engine engine;
    const Stereo input = randomSignal(4096, 1);
    Stereo output(input.size());
    size_t done = 0;
    for (int count : {1023, 1, 1, 1023, 2048}) {
        float* inputs[2] = {const_cast<float*>(input.left.data() + done),
                            const_cast<float*>(input.right.data() + done)};
        float* outputs[2] = {output.left.data() + done, output.right.data() + done};
        drawCount = 0;
        engine.effect->processReplacing(inputs, outputs, count);
        EXPECT_EQ(drawCount, count); // the second and last blocks end with a hop
        done += static_cast<size_t>(count);
    }
}

// Noise that is exactly zero has a zero envelope everywhere. Its bins carry no phase to
// lend, so the shaped spectrum is silent instead of 0/0.
TEST(FixedNoise, ZeroNoiseEnvelopeGivesSilenceNotNaN) {
    nextDraw = midpointDraw();
    Engine engine;
    engine.set(0, 1.0f);
    const Stereo output = engine.run(randomSignal(8192, 2), {1000});
    for (size_t i = 0; i < output.size(); ++i) {
        ASSERT_EQ(output.left[i], 0.0f) << "sample " << i;
        ASSERT_EQ(output.right[i], 0.0f) << "sample " << i;
    }
}

} // namespace
