// The slow truth the FFT is checked against: an O(N^2) DFT in long double.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

namespace vorlen::fft::test {

using Exact = std::complex<long double>;

/// Z[k] = sum z[j] e^(sign 2 pi i j k / N), accumulated in long double.
inline std::vector<Exact> referenceDft(const std::vector<Exact>& z, int sign) {
    const auto n = static_cast<int64_t>(z.size());
    const long double pi = std::acos(-1.0L);
    // Indexing the N roots by j k mod N keeps every angle exact.
    std::vector<Exact> roots(z.size());
    for (int64_t r = 0; r < n; ++r) {
        const long double angle = sign * 2 * pi * static_cast<long double>(r) / n;
        roots[r] = Exact(std::cos(angle), std::sin(angle));
    }
    std::vector<Exact> out(z.size());
    for (int64_t k = 0; k < n; ++k) {
        Exact sum = 0;
        for (int64_t j = 0; j < n; ++j) {
            sum += z[j] * roots[(j * k) % n];
        }
        out[k] = sum;
    }
    return out;
}

/// `count` values uniform in [-1, 1) from a fixed seed.
inline std::vector<double> randomValues(std::size_t count, uint32_t seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(count);
    for (double& x : v) {
        x = dist(gen);
    }
    return v;
}

/// Largest |got - want| over the largest |want|.
inline double relativeError(const std::vector<Exact>& got, const std::vector<Exact>& want) {
    long double err = 0;
    long double peak = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        err = std::max(err, std::abs(got[i] - want[i]));
        peak = std::max(peak, std::abs(want[i]));
    }
    return static_cast<double>(err / peak);
}

} // namespace vorlen::fft::test
