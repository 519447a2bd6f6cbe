// Classification of output samples: what a host must never receive.
#pragma once

#include <cstdint>
#include <string>

namespace vorlen::validate {

/// Counts of non-finite and subnormal samples in the stretches of output added to it.
class SampleScan {
public:
    /// Classifies `count` samples; `firstIndex` is the stream position of samples[0], kept
    /// for the report of the first fault.
    void add(const float* samples, int count, std::uint64_t firstIndex) noexcept;

    /// No NaN and no infinity seen.
    bool finite() const noexcept { return nans_ == 0 && infinities_ == 0; }
    /// Finite and no subnormal seen either.
    bool clean() const noexcept { return finite() && subnormals_ == 0; }
    /// Whether any finite sample was non-zero.
    bool audible() const noexcept { return audible_; }
    /// "3 NaN, 0 inf, 1 subnormal (first fault at sample 4096)".
    std::string describe() const;

private:
    std::uint64_t nans_ = 0;
    std::uint64_t infinities_ = 0;
    std::uint64_t subnormals_ = 0;
    std::uint64_t firstFault_ = 0;
    bool anyFault_ = false;
    bool audible_ = false;
};

} // namespace vorlen::validate
