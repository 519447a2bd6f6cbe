// The whole engine against a slow, straightforward model of a hop: direct DFTs, plain
// per-bin averages and explicit overlap-add by output time instead of rings and positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "engine_harness.h"
#include "noise_generator.h"

namespace {

constexpr int kFrame = 2048;
constexpr int kHop = 1024;
constexpr int kBins = 1025;
using Spectrum = std::vector<std::complex<double>>;

/// Direct transforms with the effect's conventions: e^(+i...) forward, unscaled inverse.
class SlowDft {
public:
    SlowDft() : cosine(kFrame), sine(kFrame) {
        for (int m = 0; m < kFrame; ++m) {
            const long double angle = 2.0L * std::numbers::pi_v<long double> * m / kFrame;
            cosine[m] = static_cast<double>(std::cos(angle));
            sine[m] = static_cast<double>(std::sin(angle));
        }
    }

    Spectrum forward(const std::vector<double>& x) const {
        Spectrum bins(kBins);
        for (int k = 0; k < kBins; ++k) {
            double re = 0.0;
            double im = 0.0;
            for (int j = 0; j < kFrame; ++j) {
                const int m = (j * k) % kFrame;
                re += x[j] * cosine[m];
                im += x[j] * sine[m];
            }
            bins[k] = {re, im};
        }
        return bins;
    }

    /// The real frame whose spectrum is `bins` (Hermitian extension), times 2048.
    std::vector<double> inverse(const Spectrum& bins) const {
        std::vector<double> x(kFrame);
        for (int j = 0; j < kFrame; ++j) {
            double sum = bins[0].real() + (j % 2 == 0 ? 1.0 : -1.0) * bins[kBins - 1].real();
            for (int k = 1; k < kBins - 1; ++k) {
                const int m = (j * k) % kFrame;
                sum += 2.0 * (bins[k].real() * cosine[m] + bins[k].imag() * sine[m]);
            }
            x[j] = sum;
        }
        return x;
    }

private:
    std::vector<double> cosine;
    std::vector<double> sine;
};

std::vector<double> smoothedMagnitudes(const Spectrum& bins, int h) {
    std::vector<double> result(kBins);
    for (int i = 0; i < kBins; ++i) {
        const int first = std::max(0, i - h);
        const int last = std::min(kBins - 1, i + h);
        double sum = 0.0;
        for (int j = first; j <= last; ++j) {
            sum += std::abs(bins[j]);
        }
        result[i] = sum / (last - first + 1);
    }
    return result;
}

/// The output the effect should give for `input` and the noise stream `noise`: every
/// hop's mixed frame lands at output times hopEnd .. hopEnd + 2047.
Stereo modelOutput(const Stereo& input, const std::vector<double>& noise, float ratio, int h) {
    const SlowDft dft;
    std::vector<double> window(kFrame);
    for (int i = 0; i < kFrame; ++i) {
        window[i] = std::sqrt(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFrame));
    }
    const int length = static_cast<int>(input.size());
    std::vector<double> left(length, 0.0);
    std::vector<double> right(length, 0.0);
    const double dryWeight = 1.0 - ratio;
    const double wetWeight = ratio;

    for (int hopEnd = kHop; hopEnd < length; hopEnd += kHop) {
        const auto windowed = [&](auto&& sampleAt) {
            std::vector<double> frame(kFrame);
            for (int j = 0; j < kFrame; ++j) {
                const int n = hopEnd - kFrame + j;
                frame[j] = (n >= 0 ? sampleAt(n) : 0.0) * window[j];
            }
            return frame;
        };
        const std::vector<double> dryL = windowed([&](int n) { return input.left[n]; });
        const std::vector<double> dryR = windowed([&](int n) { return input.right[n]; });
        const Spectrum noiseBins = dft.forward(windowed([&](int n) { return noise[n]; }));
        const std::vector<double> noiseEnvelope = smoothedMagnitudes(noiseBins, h);

        const auto addFrame = [&](const std::vector<double>& dry, std::vector<double>& out) {
            const std::vector<double> envelope = smoothedMagnitudes(dft.forward(dry), h);
            Spectrum shaped(kBins);
            for (int k = 0; k < kBins; ++k) {
                shaped[k] = noiseBins[k] * (envelope[k] / noiseEnvelope[k]);
            }
            const std::vector<double> wet = dft.inverse(shaped);
            for (int j = 0; j < kFrame && hopEnd + j < length; ++j) {
                out[hopEnd + j] += dryWeight * dry[j] + wetWeight * wet[j] / kFrame * window[j];
            }
        };
        addFrame(dryL, left);
        addFrame(dryR, right);
    }

    Stereo output(input.size());
    std::copy(left.begin(), left.end(), output.left.begin());
    std::copy(right.begin(), right.end(), output.right.begin());
    return output;
}

/// Two channels with clearly different envelopes: tones over a little broadband noise.
Stereo tonalSignal(size_t length) {
    Stereo signal = randomSignal(length, 21);
    for (size_t n = 0; n < length; ++n) {
        const double t = static_cast<double>(n);
        signal.left[n] = static_cast<float>(0.5 * std::sin(0.05 * t) + 0.2 * std::sin(0.9 * t) +
                                            0.05 * signal.left[n]);
        signal.right[n] = static_cast<float>(0.7 * std::sin(0.3 * t + 0.001 * t * t / 100.0) +
                                             0.02 * signal.right[n]);
    }
    return signal;
}

TEST(Model, EngineMatchesAStraightforwardModelOfTheHop) {
    const size_t length = 6 * kHop + 300;
    const Stereo input = tonalSignal(length);
    const struct {
        float ratio;
        float smoothing;
        int halfWidth;
    } settings[] = {{0.7f, 0.25f, 5}, {1.0f, 0.0f, 0}, {0.35f, 1.0f, 20}};

    for (const auto& setting : settings) {
        SCOPED_TRACE(::testing::Message()
                     << "ratio " << setting.ratio << ", h " << setting.halfWidth);
        // One draw per sample, in order, mapped onto 0..32767.
        vorlen::NoiseGenerator generator(31);
        std::vector<double> noise(length);
        for (double& sample : noise) {
            const unsigned long long r =
                static_cast<unsigned long long>(generator.next()) * 32768ULL /
                (static_cast<unsigned long long>(vorlen::NoiseGenerator::kMax) + 1ULL);
            sample = static_cast<double>(r) / 16384.0 - 1.0;
        }
        const Stereo expected = modelOutput(input, noise, setting.ratio, setting.halfWidth);
        const Stereo actual = renderFresh(input, setting.ratio, setting.smoothing, 31, {1000});

        double peak = 0.0;
        for (size_t t = 0; t < length; ++t) {
            peak = std::max({peak, std::abs(static_cast<double>(expected.left[t])),
                             std::abs(static_cast<double>(expected.right[t]))});
        }
        ASSERT_GT(peak, 0.1);
        // Both sides compute in double with errors near 1e-13 of the peak; the effect then
        // rounds to float, at most 2^-24 of the peak (6e-8). 1e-6 of the peak leaves a wide
        // margin over both, while a wrong bin, window, scale, sample offset or mix weight
        // moves samples by a sizeable fraction of the peak.
        const double tolerance = 1e-6 * peak;
        for (size_t t = 0; t < length; ++t) {
            ASSERT_NEAR(actual.left[t], expected.left[t], tolerance) << "left sample " << t;
            ASSERT_NEAR(actual.right[t], expected.right[t], tolerance) << "right sample " << t;
        }
    }
}

} // namespace
