#include "smoothing.h"

namespace vorlen {

// One running sum is carried through the whole array so that the cost does not grow with h.
// The order of additions and subtractions is part of the result: rounding residues carry
// along the array, so a per-bin summation would differ in the last bits.
void smoothSpectrum(int32_t h, double* __restrict m, double* __restrict scratch) noexcept {
    constexpr int32_t last = kSpectrumBins - 1;
    double s = 0.0;
    for (int32_t j = 0; j < h; ++j) {
        s += m[j];
    }
    for (int32_t i = 0; i <= h; ++i) {
        s = s + m[i + h];
        scratch[i] = s / static_cast<double>(h + 1 + i);
    }
    const double fullWidth = static_cast<double>(2 * h + 1);
    for (int32_t i = h + 1; i <= last - h; ++i) {
        // The entering bin is added before the leaving one is taken away.
        s = s + m[i + h];
        s = s - m[i - h - 1];
        scratch[i] = s / fullWidth;
    }
    for (int32_t i = kSpectrumBins - h; i <= last; ++i) {
        s = s - m[i - h - 1];
        scratch[i] = s / static_cast<double>(kSpectrumBins + h - i);
    }
    for (int32_t i = 0; i <= last; ++i) {
        m[i] = scratch[i];
    }
}

} // namespace vorlen
