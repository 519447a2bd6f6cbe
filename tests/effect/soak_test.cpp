// An hour of automated stereo audio through one instance: afterwards the dry path must still
// be the input delayed by exactly the latency, sample for sample, and nothing along the way
// may have been NaN, infinite or subnormal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <vector>

#include "vorlen.h"

namespace {

// Sanitizers and unoptimised code run the engine tens of times slower: there a minute of
// audio still takes the positions through thousands of hops and every wrap of the rings.
// Under an emulator, where everything runs tens of times slower too, the build says how long.
#if defined(VORLEN_SOAK_SECONDS)
constexpr std::uint64_t kSoakSeconds = VORLEN_SOAK_SECONDS;
#elif defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr std::uint64_t kSoakSeconds = 3600;
#else
constexpr std::uint64_t kSoakSeconds = 60;
#endif
constexpr std::uint64_t kSampleRate = 44100;
constexpr int kMaxBlock = 4096;

/// A cheap reproducible generator: an hour of noise must cost little next to the engine.
class Xorshift {
public:
    explicit Xorshift(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() noexcept {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    /// Uniform in [0, 1).
    float unit() noexcept { return static_cast<float>(next() >> 40) * 0x1.0p-24f; }
    /// Uniform in [-1, 1).
    float sample() noexcept { return 2.0f * unit() - 1.0f; }
    /// Uniform in [low, high].
    int between(int low, int high) noexcept {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }

private:
    std::uint64_t state_;
};

/// The effect made the way the entry point makes it, driven only through its record.
struct Instance {
    AEffect* record = (new vstVorlen(nullptr))->getAeffect();
    ~Instance() { record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f); }
    void process(float** in, float** out, int frames) {
        record->processReplacing(record, in, out, frames);
    }
    void set(VstInt32 index, float value) { record->setParameter(record, index, value); }
};

bool clean(float sample) {
    const int kind = std::fpclassify(sample);
    return kind == FP_NORMAL || kind == FP_ZERO;
}

TEST(Soak, LongAutomatedStreamKeepsTheLatencyExact) {
    const std::clock_t started = std::clock();
    Instance effect;
    Xorshift random(0x5eed);
    std::vector<float> inL(kMaxBlock), inR(kMaxBlock), outL(kMaxBlock), outR(kMaxBlock);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};

    const std::uint64_t total = kSoakSeconds * kSampleRate;
    std::uint64_t position = 0;
    std::uint64_t nextAutomation = 0;
    std::uint64_t faults = 0;
    while (position < total) {
        if (position >= nextAutomation) {
            effect.set(0, random.unit());
            effect.set(1, random.unit());
            nextAutomation = position + static_cast<std::uint64_t>(random.between(1000, 5000));
        }
        const int frames = static_cast<int>(std::min<std::uint64_t>(
            static_cast<std::uint64_t>(random.between(1, kMaxBlock)), total - position));
        for (int i = 0; i < frames; ++i) {
            inL[i] = random.sample();
            inR[i] = random.sample();
        }
        effect.process(in, out, frames);
        for (int i = 0; i < frames; ++i) {
            faults += !clean(outL[i]) + !clean(outR[i]);
        }
        position += static_cast<std::uint64_t>(frames);
    }
    EXPECT_EQ(faults, 0u) << "non-finite or subnormal samples during the soak";

    // Ratio 0 from here on. The last hop mixed with the old Ratio leaves the rings within
    // 2048 samples; 4096 leave a margin before the checked input starts.
    effect.set(0, 0.0f);
    std::vector<double> window(2048);
    for (int i = 0; i < 2048; ++i) {
        window[i] = std::sqrt(0.5 - 0.5 * std::cos(i * 0.00048828125 * 6.28318530717958));
    }
    const std::uint64_t checkedFrom = position + 4096;
    const std::uint64_t checkedTo = checkedFrom + 2048 + 3 * 4096;
    std::vector<float> sentL, sentR; // input from checkedFrom on
    std::uint64_t mismatches = 0;
    std::uint64_t firstMismatch = 0;
    while (position < checkedTo) {
        const int frames = random.between(1, kMaxBlock);
        for (int i = 0; i < frames; ++i) {
            inL[i] = random.sample();
            inR[i] = random.sample();
            if (position + static_cast<std::uint64_t>(i) >= checkedFrom) {
                sentL.push_back(inL[i]);
                sentR.push_back(inR[i]);
            }
        }
        effect.process(in, out, frames);
        for (int i = 0; i < frames; ++i) {
            const std::uint64_t t = position + static_cast<std::uint64_t>(i);
            if (t < checkedFrom + 2048) {
                continue;
            }
            // Both halves of the window, summed in double before the one rounding to float,
            // as the two hops that carry the sample add them.
            const std::size_t q = static_cast<std::size_t>(t % 1024);
            const std::size_t source = static_cast<std::size_t>(t - 2048 - checkedFrom);
            const double l = sentL[source];
            const double r = sentR[source];
            const float expectedL = static_cast<float>(l * window[q] + l * window[q + 1024]);
            const float expectedR = static_cast<float>(r * window[q] + r * window[q + 1024]);
            if (outL[i] != expectedL || outR[i] != expectedR) {
                firstMismatch = mismatches++ == 0 ? t : firstMismatch;
            }
        }
        position += static_cast<std::uint64_t>(frames);
    }
    EXPECT_EQ(mismatches, 0u) << "dry path off the delayed input from sample " << firstMismatch
                              << " after " << kSoakSeconds << " s of audio";

    const double cpuSeconds = static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC;
    RecordProperty("audio_seconds", static_cast<int>(kSoakSeconds));
    std::printf("soak: %llu s of audio in %.2f s of CPU\n",
                static_cast<unsigned long long>(kSoakSeconds), cpuSeconds);
}

} // namespace
