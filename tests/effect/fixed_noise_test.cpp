// The engine with the C library's generator replaced by one that counts its calls and
// answers a constant: the effect must neither call it nor depend on it.
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

/// The generator value that the effect once mapped to the noise sample 0.0 (r = 16384).
int midpointDraw() {
    return static_cast<int>((static_cast<unsigned long long>(RAND_MAX) + 1ULL) / 2ULL);
}

// rand() takes a lock shared by the whole host process; the audio thread must not.
TEST(FixedNoise, NeverCallsTheCGenerator) {
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
        EXPECT_EQ(drawCount, 0); // the second and last blocks end with a hop
        done += static_cast<size_t>(count);
    }
}

// A C generator stuck at the value that would make the noise exactly zero does not reach
// the effect's noise: the shaped noise still sounds.
TEST(FixedNoise, ConstantCGeneratorDoesNotSilenceTheNoise) {
    nextDraw = midpointDraw();
    const Stereo input = randomSignal(8192, 2);
    const Stereo output = renderFresh(input, 1.0f, 0.5f, 1, {1000});
    double energy = 0.0;
    for (size_t i = 0; i < output.size(); ++i) {
        energy += static_cast<double>(output.left[i]) * output.left[i];
    }
    EXPECT_GT(energy, 1.0);
    EXPECT_EQ(drawCount, 0);
}

} // namespace
