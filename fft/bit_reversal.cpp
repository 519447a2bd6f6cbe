#include "bit_reversal.h"

#include "butterflies.h"

#include <bit>

namespace vorlen::fft {
inline namespace VORLEN_FFT_ISA {
namespace {

constexpr int32_t kReversed4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr int32_t kReversed3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

template <bool Conj>
VORLEN_FFT_INLINE void swapPoints(double* __restrict a, int32_t p, int32_t r) {
    const double re = a[2 * p];
    const double im = a[2 * p + 1];
    a[2 * p] = a[2 * r];
    a[2 * p + 1] = Conj ? -a[2 * r + 1] : a[2 * r + 1];
    a[2 * r] = re;
    a[2 * r + 1] = Conj ? -im : im;
}

// A point index is split as high | middle | low, where high and low have the
// width of the table level m and middle has 3 or 4 bits. Reversing the whole
// swaps high and low, each reversed, and reverses middle, so the block
// (high, low) of consecutive-middle points trades places with the block
// (rev low, rev high). Level m of the table gives 8m times the reversal of a
// high or low field.
template <bool Conj>
void permute(int32_t n, const int32_t* ip, double* __restrict a) noexcept {
    int32_t m = 1;
    int32_t l = n / 4;
    while (l > 8) {
        m *= 2;
        l /= 4;
    }
    const int32_t lowBits = std::countr_zero(static_cast<uint32_t>(m));
    const int32_t midBits = l == 8 ? 4 : 3;
    const int32_t* reversedMid = l == 8 ? kReversed4 : kReversed3;
    const int32_t mids = 1 << midBits;
    const int32_t highShift = lowBits + midBits;
    const int32_t* level = ip + m;
    const int32_t unit = 8 * m;
    for (int32_t high = 0; high < m; ++high) {
        const int32_t reversedHigh = level[high] / unit;
        for (int32_t low = 0; low < m; ++low) {
            const int32_t reversedLow = level[low] / unit;
            const int32_t block = (high << highShift) | low;
            const int32_t partner = (reversedLow << highShift) | reversedHigh;
            if (partner < block) {
                continue; // this pair of blocks was handled from the other side
            }
            for (int32_t mid = 0; mid < mids; ++mid) {
                const int32_t p = block | (mid << lowBits);
                const int32_t r = partner | (reversedMid[mid] << lowBits);
                if (partner != block || r > p) {
                    swapPoints<Conj>(a, p, r);
                } else if (Conj && r == p) {
                    a[2 * p + 1] = -a[2 * p + 1];
                }
            }
        }
    }
}

} // namespace

void bitReverse(int32_t n, const int32_t* ip, double* a) noexcept {
    permute<false>(n, ip, a);
}

void bitReverseConjugate(int32_t n, const int32_t* ip, double* a) noexcept {
    permute<true>(n, ip, a);
}

} // namespace VORLEN_FFT_ISA
} // namespace vorlen::fft
