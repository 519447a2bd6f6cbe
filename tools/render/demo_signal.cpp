#include "demo_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vorlen::render {
namespace {

constexpr double kSeconds = 6.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A vowel's spectral envelope: two resonances, the shape that makes an
// "ee" or an "oo", and which the effect's noise should take on.
double formantGain(double frequency, double f1, double f2) {
    auto peak = [frequency](double centre, double width) {
        const double d = (frequency - centre) / width;
        return 1.0 / (1.0 + d * d);
    };
    return peak(f1, 90.0) + 0.6 * peak(f2, 140.0) + 0.02;
}

double glide(double from, double to, double amount) {
    return from + (to - from) * (0.5 - 0.5 * std::cos(std::numbers::pi * amount));
}

// A small fixed generator for the snare's noise, so that the demo is the same
// wherever it is made.
class NoiseSource {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<double>(state_ >> 11) * 0x1.0p-52 - 1.0;
    }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

} // namespace

std::vector<float> makeDemoSignal() {
    const int frames = static_cast<int>(kSeconds * kDemoSampleRate);
    std::vector<double> left(frames, 0.0);
    std::vector<double> right(frames, 0.0);

    // The vowel: pitch 130..175 Hz with vibrato; formants move "ee" -> "ah" -> "oo".
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kDemoSampleRate;
        const double progress = t / kSeconds;
        const double f0 =
            130.0 + 45.0 * std::sin(kTwoPi * 0.15 * t) + 2.0 * std::sin(kTwoPi * 5.5 * t);
        phase += f0 / kDemoSampleRate;
        phase -= std::floor(phase);
        const double f1 = progress < 0.5 ? glide(280.0, 750.0, progress * 2.0)
                                         : glide(750.0, 320.0, progress * 2.0 - 1.0);
        const double f2 = progress < 0.5 ? glide(2250.0, 1200.0, progress * 2.0)
                                         : glide(1200.0, 800.0, progress * 2.0 - 1.0);
        double sample = 0.0;
        for (int h = 1; h * f0 < 8000.0; ++h) {
            sample += formantGain(h * f0, f1, f2) * std::sin(kTwoPi * h * phase) / std::sqrt(h);
        }
        const double swell = std::min({1.0, t / 0.3, (kSeconds - t) / 0.5});
        left[i] += 0.35 * swell * sample;
        right[i] += 0.30 * swell * sample;
    }

    // Hits every 0.75 s: a falling-pitch thump on the beat, a noise snap between.
    NoiseSource noise;
    for (int beat = 0; beat < 8; ++beat) {
        const int start = static_cast<int>((0.25 + 0.75 * beat) * kDemoSampleRate);
        const bool thump = beat % 2 == 0;
        const double pan = thump ? 0.5 : (beat % 4 == 1 ? 0.2 : 0.8);
        double hitPhase = 0.0;
        const int length = kDemoSampleRate / 3;
        for (int j = 0; j < length && start + j < frames; ++j) {
            const double t = static_cast<double>(j) / kDemoSampleRate;
            double hit;
            if (thump) {
                hitPhase += (50.0 + 110.0 * std::exp(-t * 30.0)) / kDemoSampleRate;
                hit = 0.9 * std::sin(kTwoPi * hitPhase) * std::exp(-t * 12.0);
            } else {
                hit = 0.5 * noise.next() * std::exp(-t * 35.0);
            }
            left[start + j] += (1.0 - pan) * hit;
            right[start + j] += pan * hit;
        }
    }

    double peak = 0.0;
    for (int i = 0; i < frames; ++i) {
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    }
    const double gain = peak > 0.0 ? 0.5 / peak : 1.0;
    std::vector<float> interleaved(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        interleaved[2 * static_cast<std::size_t>(i)] = static_cast<float>(left[i] * gain);
        interleaved[2 * static_cast<std::size_t>(i) + 1] = static_cast<float>(right[i] * gain);
    }
    return interleaved;
}

} // namespace vorlen::render
