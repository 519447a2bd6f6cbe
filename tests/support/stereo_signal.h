// Stereo signals for the tests that run audio through a plug-in, and the one expectation
// every such plug-in build shares: at Ratio 0 the input comes back delayed by the latency.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>
#include <vector>

/// Two channels of host samples.
struct Stereo {
    std::vector<float> left;
    std::vector<float> right;

    explicit Stereo(size_t length = 0) : left(length), right(length) {}
    size_t size() const { return left.size(); }
};

/// Independent random channels in -1..1.
inline Stereo randomSignal(size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    Stereo signal(length);
    for (size_t i = 0; i < length; ++i) {
        signal.left[i] = sample(random);
        signal.right[i] = sample(random);
    }
    return signal;
}

/// Checks that `output`, from sample `latency` on, is `input` delayed by `latency` under
/// the gain of the dry path: the square-root Hann window overlapped at half a frame of
/// 2048, sin + cos of the position within the hop. One rounding to float on top of double
/// arithmetic is all the error allowed.
inline void expectDryDelayed(const Stereo& input, const Stereo& output, size_t latency) {
    for (size_t t = latency; t < output.size(); ++t) {
        const double q = static_cast<double>(t % 1024);
        const double gain =
            std::sin(std::numbers::pi * q / 2048.0) + std::cos(std::numbers::pi * q / 2048.0);
        const double left = input.left[t - latency] * gain;
        const double right = input.right[t - latency] * gain;
        ASSERT_NEAR(output.left[t], left, 1.5e-7 * std::abs(left)) << "sample " << t;
        ASSERT_NEAR(output.right[t], right, 1.5e-7 * std::abs(right)) << "sample " << t;
    }
}
