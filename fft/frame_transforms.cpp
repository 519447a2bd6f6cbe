#include "frame_transforms.h"

#include "complex_fft.h"
#include "real_conversion.h"

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {

void realForwardFrame(int32_t n, const double* in, const double* window, double* work, double* out,
                      int32_t nw, const double* w) noexcept {
    // The leaves write the half-length transform in natural order straight
    // into the output, which the real conversion then finishes in place.
    complexForwardTo(n, in, window, work, out, nw, w);
    realForwardPost(n, out, n / 4, w + nw);
}

void realInverseFrame(int32_t n, const double* in, double* work, double* out, int32_t nw,
                      const double* w) noexcept {
    // Packing and the real conversion in one pass; the leaves write the
    // doubled, conjugated result straight into the output.
    realBackwardPreLanes(n, in, work, w + nw);
    complexBackwardLanesTo(n, work, out, 2.0, nw, w);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
