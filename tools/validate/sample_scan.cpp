#include "sample_scan.h"

#include <cmath>

namespace vorlen::validate {

void SampleScan::add(const float* samples, int count, std::uint64_t firstIndex) noexcept {
    for (int i = 0; i < count; ++i) {
        const int kind = std::fpclassify(samples[i]);
        if (kind == FP_NORMAL) {
            audible_ = true;
            continue;
        }
        if (kind == FP_ZERO) {
            continue;
        }
        if (kind == FP_NAN) {
            ++nans_;
        } else if (kind == FP_INFINITE) {
            ++infinities_;
        } else {
            ++subnormals_;
        }
        if (!anyFault_) {
            anyFault_ = true;
            firstFault_ = firstIndex + static_cast<std::uint64_t>(i);
        }
    }
}

std::string SampleScan::describe() const {
    std::string text = std::to_string(nans_) + " NaN, " + std::to_string(infinities_) + " inf, " +
                       std::to_string(subnormals_) + " subnormal";
    if (anyFault_) {
        text += " (first at sample " + std::to_string(firstFault_) + ")";
    }
    return text;
}

} // namespace vorlen::validate
