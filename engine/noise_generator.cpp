#include "noise_generator.h"

#include <algorithm>

namespace vorlen {

namespace {

constexpr int32_t kDiscarded = 310; ///< draws thrown away after seeding, ten per state word
/// 2 / 32768: a draw's top 15 bits k become k/16384, exactly.
constexpr double kNoiseStep = 6.103515625e-05;

} // namespace

void NoiseGenerator::seed(uint32_t value) noexcept {
    // The congruential fill x' = 16807 x mod (2^31 - 1), computed without overflowing 31
    // bits (Schrage's method) on a signed 32-bit word, as the C library does: a seed of
    // 2^31 or more starts from a negative word and keeps the library's results for it.
    std::array<int32_t, kDegree + kSeparation> initial{};
    int32_t word = static_cast<int32_t>(value == 0 ? 1 : value);
    initial[0] = word;
    for (int32_t i = 1; i < kDegree; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) {
            word += 2147483647;
        }
        initial[static_cast<size_t>(i)] = word;
    }
    // The first additions reach back past the start of the state to its first words again:
    // the library's state is a ring of 31 words, written here as a line of 34.
    for (int32_t i = kDegree; i < kDegree + kSeparation; ++i) {
        initial[static_cast<size_t>(i)] = initial[static_cast<size_t>(i - kDegree)];
    }
    std::transform(initial.begin() + kSeparation, initial.end(), words.begin(),
                   [](int32_t w) { return static_cast<uint32_t>(w); });
    extend(kDiscarded);
    retire(kDiscarded);
}

void NoiseGenerator::extend(int32_t count) noexcept {
    uint32_t* __restrict w = words.data();
    // Each new word needs the one three places back, so three running sums stay in
    // registers instead of waiting on a store and a reload.
    uint32_t a = w[kDegree - 3];
    uint32_t b = w[kDegree - 2];
    uint32_t c = w[kDegree - 1];
    int32_t k = 0;
    for (; k + 3 <= count; k += 3) {
        a += w[k];
        b += w[k + 1];
        c += w[k + 2];
        w[kDegree + k] = a;
        w[kDegree + k + 1] = b;
        w[kDegree + k + 2] = c;
    }
    for (; k < count; ++k) {
        w[kDegree + k] = w[k] + w[kDegree + k - kSeparation];
    }
}

void NoiseGenerator::retire(int32_t count) noexcept {
    std::copy_n(words.data() + count, kDegree, words.data());
}

uint32_t NoiseGenerator::next() noexcept {
    extend(1);
    retire(1);
    return words[kDegree - 1] >> 1;
}

void NoiseGenerator::fillNoise(double* out, int32_t count) noexcept {
    extend(count);
    // A draw d = word >> 1 maps onto 0..32767 as d * 32768 / (kMax + 1), that is d >> 16:
    // the word's top fifteen bits.
    const uint32_t* __restrict drawn = words.data() + kDegree;
    double* __restrict noise = out;
    for (int32_t k = 0; k < count; ++k) {
        const auto top = static_cast<int32_t>(drawn[k] >> 17);
        noise[k] = static_cast<double>(top) * kNoiseStep - 1.0;
    }
    retire(count);
}

} // namespace vorlen
