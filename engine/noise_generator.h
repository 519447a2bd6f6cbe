// The engine's own source of white noise: the additive feedback generator behind the GNU C
// library's rand(), kept per instance.
#pragma once

#include <array>
#include <cstdint>

namespace vorlen {

/// Draws the sequence that glibc's rand() gives after srand(seed), on every platform and
/// word size, with no lock and no shared state: r[i] = r[i-31] + r[i-3] (mod 2^32) over a
/// state of 31 words that a multiplicative congruential generator fills from the seed, the
/// first 310 draws discarded, each draw r >> 1 (0..2^31-1).
class NoiseGenerator {
public:
    static constexpr int32_t kBlock = 1024;      ///< most draws one fill may take
    static constexpr uint32_t kMax = 0x7fffffff; ///< largest draw, glibc's RAND_MAX

    /// Starts as srand(seed) would.
    explicit NoiseGenerator(uint32_t initial = 1) noexcept { seed(initial); }

    /// Restarts the sequence as srand(seed) does; seed 0 is taken as 1.
    void seed(uint32_t value) noexcept;

    /// The next draw, as rand() returns it.
    uint32_t next() noexcept;

    /// The next `count` draws (count <= kBlock), each mapped onto 0..32767 and from there to
    /// the white-noise sample -1 + k/16384.
    void fillNoise(double* out, int32_t count) noexcept;

private:
    static constexpr int32_t kDegree = 31;    ///< words of state
    static constexpr int32_t kSeparation = 3; ///< distance of the nearer tap

    /// Computes words[kDegree .. kDegree + count) from the kDegree words before them.
    void extend(int32_t count) noexcept;
    /// Moves the newest kDegree words to the front after extend(count), for the next call.
    void retire(int32_t count) noexcept;

    // words[0 .. kDegree) are the last kDegree values of the recurrence, oldest first; a
    // fill extends them in place, so one hop's draws are one straight loop.
    std::array<uint32_t, kDegree + kBlock> words{};
};

} // namespace vorlen
