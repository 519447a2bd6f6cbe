// The effect's engine written plainly on FFTW3 plans, the peer that the benchmarks and the
// instruction counts measure Vorlen against, and the white noise they stream through both.
#pragma once

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace vorlen::bench {

constexpr int kFrame = 2048;
constexpr int kHop = 1024;
constexpr int kBins = 1025;
constexpr int kHalfWidth = 10; // the effect's default Smoothing

/// Two channels of white noise in -1..1, made without the C generator the engines draw from.
struct StereoNoise {
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoNoise(int length) : left(static_cast<size_t>(length)), right(left.size()) {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
        for (size_t i = 0; i < left.size(); ++i) {
            left[i] = sample(random);
            right[i] = sample(random);
        }
    }
};

/// One noise sample from the C generator, mapped exactly as the effect maps it.
inline double peerNoise() {
    const unsigned long long r = static_cast<unsigned long long>(std::rand()) * 32768ULL /
                                 (static_cast<unsigned long long>(RAND_MAX) + 1ULL);
    return (static_cast<double>(r) * 3.0517578125e-05) * 2.0 - 1.0;
}

/// The effect's engine as a first version on FFTW would be written: one pass per step of
/// the hop, the smoothing through a temporary array, the library's default flags. FFTW's
/// forward exponent has the opposite sign to ours; the shaping keeps the noise's phase
/// either way and the inverse undoes it, so the output is the same up to rounding.
class FftwPeer {
public:
    FftwPeer() {
        for (int c = 0; c < 3; ++c) {
            frame[c] = zeroedReal(kFrame);
            windowed[c] = zeroedReal(kFrame);
            spectrum[c] = fftw_alloc_complex(kBins);
            mag[c] = zeroedReal(kBins);
        }
        for (int c = 0; c < 2; ++c) {
            ring[c] = zeroedReal(kFrame);
            shaped[c] = fftw_alloc_complex(kBins);
            wet[c] = zeroedReal(kFrame);
        }
        temp = zeroedReal(kBins);
        window = zeroedReal(kFrame);
        for (int i = 0; i < kFrame; ++i) {
            const double theta = (static_cast<double>(i) * 0.00048828125) * 6.28318530717958;
            window[i] = std::sqrt(0.5 - 0.5 * std::cos(theta));
        }
        // Measuring overwrites the arrays, so the plans are made before any data is written.
        for (int c = 0; c < 3; ++c) {
            forward[c] = fftw_plan_dft_r2c_1d(kFrame, windowed[c], spectrum[c], FFTW_MEASURE);
        }
        for (int c = 0; c < 2; ++c) {
            inverse[c] = fftw_plan_dft_c2r_1d(kFrame, shaped[c], wet[c], FFTW_MEASURE);
        }
        for (int c = 0; c < 3; ++c) {
            std::fill_n(frame[c], kFrame, 0.0);
        }
    }
    FftwPeer(const FftwPeer&) = delete;
    FftwPeer& operator=(const FftwPeer&) = delete;
    ~FftwPeer() {
        for (fftw_plan plan : forward) {
            fftw_destroy_plan(plan);
        }
        for (fftw_plan plan : inverse) {
            fftw_destroy_plan(plan);
        }
        for (int c = 0; c < 3; ++c) {
            fftw_free(frame[c]);
            fftw_free(windowed[c]);
            fftw_free(spectrum[c]);
            fftw_free(mag[c]);
        }
        for (int c = 0; c < 2; ++c) {
            fftw_free(ring[c]);
            fftw_free(shaped[c]);
            fftw_free(wet[c]);
        }
        fftw_free(temp);
        fftw_free(window);
    }

    /// Streams one host block through the engine, as the effect's processReplacing does.
    void process(const float* inL, const float* inR, float* outL, float* outR, int count) {
        for (int i = 0; i < count; ++i) {
            const double inputL = inL[i];
            const double inputR = inR[i];
            outL[i] = static_cast<float>(ring[0][readPos]);
            outR[i] = static_cast<float>(ring[1][readPos]);
            if (++readPos == kFrame) {
                readPos = 0;
            }
            frame[0][fillPos] = inputL;
            frame[1][fillPos] = inputR;
            frame[2][fillPos] = peerNoise();
            if (++fillPos == kFrame) {
                hop();
            }
        }
    }

    /// The whole hop, stage after stage.
    void hop() {
        analyse();
        magnitudes();
        smooth();
        shape();
        synthesise();
        overlapAdd();
        shift();
    }

    /// Windows the three frames and runs the three forward transforms.
    void analyse() {
        windowFrames();
        transformForward();
    }
    /// Analysis windowing of the three frames.
    void windowFrames() {
        for (int c = 0; c < 3; ++c) {
            for (int i = 0; i < kFrame; ++i) {
                windowed[c][i] = frame[c][i] * window[i];
            }
        }
    }
    /// The three forward transforms.
    void transformForward() {
        for (fftw_plan plan : forward) {
            fftw_execute(plan);
        }
    }
    /// The magnitudes of the three spectra.
    void magnitudes() {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < kBins; ++k) {
                const double re = spectrum[c][k][0];
                const double im = spectrum[c][k][1];
                mag[c][k] = std::sqrt(re * re + im * im);
            }
        }
    }
    /// The running-sum smoothing of the three magnitude spectra.
    void smooth() {
        for (double* m : mag) {
            smoothOne(kHalfWidth, m);
        }
    }
    /// The noise bins rescaled to each channel's envelope.
    void shape() {
        for (int c = 0; c < 2; ++c) {
            for (int k = 0; k < kBins; ++k) {
                const double gain = mag[c][k] / mag[2][k];
                shaped[c][k][0] = gain * spectrum[2][k][0];
                shaped[c][k][1] = gain * spectrum[2][k][1];
            }
        }
    }
    /// Runs the two inverse transforms, normalises and windows their output.
    void synthesise() {
        transformInverse();
        scaleAndWindow();
    }
    /// The two inverse transforms.
    void transformInverse() {
        for (fftw_plan plan : inverse) {
            fftw_execute(plan);
        }
    }
    /// Normalisation and synthesis windowing of the two inverse transforms.
    void scaleAndWindow() {
        for (double* w : wet) {
            for (int j = 0; j < kFrame; ++j) {
                w[j] *= 0.00048828125;
            }
            for (int j = 0; j < kFrame; ++j) {
                w[j] = w[j] * window[j];
            }
        }
    }
    /// The mix, added onto and stored into the rings.
    void overlapAdd() {
        const double dryWeight = static_cast<double>(1.0f - ratio);
        const double wetWeight = static_cast<double>(ratio);
        for (int c = 0; c < 2; ++c) {
            int pos = writePos;
            for (int j = 0; j < kHop; ++j) {
                ring[c][pos] = (dryWeight * windowed[c][j] + wetWeight * wet[c][j]) + ring[c][pos];
                if (++pos == kFrame) {
                    pos = 0;
                }
            }
            for (int j = kHop; j < kFrame; ++j) {
                ring[c][pos] = dryWeight * windowed[c][j] + wetWeight * wet[c][j];
                if (++pos == kFrame) {
                    pos = 0;
                }
            }
        }
        writePos = (writePos + kHop) % kFrame;
    }
    /// The frames move on by one hop.
    void shift() {
        for (double* f : frame) {
            for (int j = 0; j < kHop; ++j) {
                f[j] = f[j + kHop];
            }
        }
        fillPos = kHop;
    }

private:
    static double* zeroedReal(int count) {
        double* array = fftw_alloc_real(static_cast<size_t>(count));
        std::fill_n(array, count, 0.0);
        return array;
    }

    void smoothOne(int h, double* m) {
        double s = 0.0;
        for (int j = 0; j < h; ++j) {
            s += m[j];
        }
        for (int i = 0; i <= h; ++i) {
            s = s + m[i + h];
            temp[i] = s / (h + 1 + i);
        }
        for (int i = h + 1; i <= 1024 - h; ++i) {
            s = s + m[i + h];
            s = s - m[i - h - 1];
            temp[i] = s / (2 * h + 1);
        }
        for (int i = 1025 - h; i <= 1024; ++i) {
            s = s - m[i - h - 1];
            temp[i] = s / (1025 + h - i);
        }
        for (int i = 0; i < kBins; ++i) {
            m[i] = temp[i];
        }
    }

    float ratio = 1.0f;
    double* frame[3]{};
    double* windowed[3]{};
    fftw_complex* spectrum[3]{};
    double* mag[3]{};
    double* temp = nullptr;
    fftw_complex* shaped[2]{};
    double* wet[2]{};
    double* ring[2]{};
    double* window = nullptr;
    fftw_plan forward[3]{};
    fftw_plan inverse[2]{};
    int fillPos = kHop;
    int readPos = 0;
    int writePos = kHop;
};

} // namespace vorlen::bench
