// The shaping pass for processors with AVX-512; this file alone is built for them.
#include "shape_pass.h"

namespace vorlen {

void shapeNoiseAvx512(int32_t h, const ComplexBin* __restrict left,
                      const ComplexBin* __restrict right, const ComplexBin* __restrict noise,
                      double* __restrict magL, double* __restrict magR, double* __restrict magNoise,
                      ComplexBin* __restrict shapedL, ComplexBin* __restrict shapedR) noexcept {
    shapeIn<8>(h, left, right, noise, magL, magR, magNoise, shapedL, shapedR);
}

} // namespace vorlen
