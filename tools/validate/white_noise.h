// The validator's test signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

namespace vorlen::validate {

/// Uniform white noise in [-scale, scale), from a generator of its own so that the
/// plug-in's use of the C library's generator is left alone.
class WhiteNoise {
public:
    /// A reproducible sequence for `seed`.
    explicit WhiteNoise(std::uint32_t seed, float scale = 1.0f) : engine_(seed), scale_(scale) {}

    /// The next sample.
    float next() noexcept { return scale_ * (2.0f * unit_(engine_) - 1.0f); }

    /// Writes `count` samples.
    void fill(float* out, std::size_t count) noexcept {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = next();
        }
    }

    /// A uniform value in [0, 1), for random parameter values and block sizes.
    float unit() noexcept { return unit_(engine_); }

private:
    std::mt19937 engine_;
    std::uniform_real_distribution<float> unit_{0.0f, 1.0f};
    float scale_;
};

} // namespace vorlen::validate
