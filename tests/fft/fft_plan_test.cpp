#include "allocation_counter.h"
#include "fft_plan.h"
#include "reference_dft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace {

using vorlen::fft::test::Exact;

constexpr int32_t kN = 2048;
constexpr int32_t kBins = kN / 2 + 1;
const double kPi = std::acos(-1.0);

// Arrays shaped as the engine keeps them: spectra of 2048 bins, of which a
// plan may touch only the first 1025.
class FftPlanTest : public ::testing::Test {
protected:
    FftPlanTest()
        : frame(kN, 0.0), spectrum(kN, ComplexBin{-9.0, -9.0}), shaped(kN, ComplexBin{0.0, 0.0}),
          result(kN, -9.0), forward(makeForwardPlan(frame.data(), spectrum.data())),
          inverse(makeInversePlan(shaped.data(), result.data())) {}
    ~FftPlanTest() override {
        releasePlan(forward);
        releasePlan(inverse);
    }

public:
    FftPlanTest(const FftPlanTest&) = delete;
    FftPlanTest& operator=(const FftPlanTest&) = delete;

protected:
    // Writes into the bound array: the plan keeps pointing at it.
    void fillFrame(uint32_t seed) {
        const std::vector<double> values = vorlen::fft::test::randomValues(kN, seed);
        std::copy(values.begin(), values.end(), frame.begin());
    }

    void expectBin(int32_t k, double re, double im, double tol = 1e-10) const {
        EXPECT_NEAR(spectrum[k].re, re, tol) << "bin " << k;
        EXPECT_NEAR(spectrum[k].im, im, tol) << "bin " << k;
    }

    std::vector<double> frame;
    std::vector<ComplexBin> spectrum;
    std::vector<ComplexBin> shaped;
    std::vector<double> result;
    FftPlan forward;
    FftPlan inverse;
};

TEST_F(FftPlanTest, RecordsAreBoundToTheirArrays) {
    EXPECT_EQ(forward.n, kN);
    EXPECT_EQ(forward.kind, 1);
    EXPECT_EQ(forward.flags, 3);
    EXPECT_EQ(forward.realIn, frame.data());
    EXPECT_EQ(forward.complexOut, spectrum.data());
    EXPECT_EQ(inverse.kind, 2);
    EXPECT_EQ(inverse.complexIn, shaped.data());
    EXPECT_EQ(inverse.realOut, result.data());
}

TEST_F(FftPlanTest, ForwardMatchesTheReferenceAndLeavesItsInputAlone) {
    fillFrame(7);
    const std::vector<double> before = frame;
    std::vector<Exact> z(frame.begin(), frame.end());
    const std::vector<Exact> want = vorlen::fft::test::referenceDft(z, +1);
    executePlan(forward);
    EXPECT_EQ(frame, before);
    std::vector<Exact> got(kBins);
    for (int32_t k = 0; k < kBins; ++k) {
        got[k] = Exact(spectrum[k].re, spectrum[k].im);
    }
    const std::vector<Exact> wantBins(want.begin(), want.begin() + kBins);
    EXPECT_LT(vorlen::fft::test::relativeError(got, wantBins),
              2.0 * std::numeric_limits<double>::epsilon() * 11);
    EXPECT_EQ(spectrum[0].im, 0.0);
    EXPECT_EQ(spectrum[kN / 2].im, 0.0);
    for (int32_t k = kBins; k < kN; ++k) {
        ASSERT_EQ(spectrum[k].re, -9.0) << "bin " << k << " is past the spectrum";
    }
}

TEST_F(FftPlanTest, ForwardOfASineIsPositiveAndNyquistIsExact) {
    for (int32_t j = 0; j < kN; ++j) {
        frame[j] = std::sin(2 * kPi * j / kN);
    }
    executeForward(forward);
    expectBin(1, 0.0, kN / 2);
    expectBin(2, 0.0, 0.0);

    for (int32_t j = 0; j < kN; ++j) {
        frame[j] = (j % 2 == 0) ? 1.0 : -1.0;
    }
    executeForward(forward);
    EXPECT_EQ(spectrum[kN / 2].re, kN);
    EXPECT_EQ(spectrum[kN / 2].im, 0.0);
    EXPECT_EQ(spectrum[0].re, 0.0);
    EXPECT_EQ(spectrum[0].im, 0.0);
}

TEST_F(FftPlanTest, InverseOfDcIgnoresImaginaryPartsOfTheEdgeBins) {
    shaped[0] = {1.0, 5.0};
    shaped[kN / 2] = {0.0, -3.0};
    executePlan(inverse);
    for (int32_t j = 0; j < kN; ++j) {
        ASSERT_NEAR(result[j], 1.0, 1e-13) << j;
    }
}

TEST_F(FftPlanTest, InverseMatchesTheHermitianReference) {
    const std::vector<double> values = vorlen::fft::test::randomValues(2 * kBins, 11);
    for (int32_t k = 0; k < kBins; ++k) {
        shaped[k] = {values[2 * k], values[2 * k + 1]};
    }
    // The full spectrum of a real frame: mirrored bins are conjugates, and
    // only the real parts of bins 0 and n/2 exist.
    std::vector<Exact> full(kN);
    for (int32_t k = 0; k < kBins; ++k) {
        full[k] = Exact(shaped[k].re, shaped[k].im);
    }
    full[0] = Exact(shaped[0].re, 0);
    full[kN / 2] = Exact(shaped[kN / 2].re, 0);
    for (int32_t k = 1; k < kN / 2; ++k) {
        full[kN - k] = std::conj(full[k]);
    }
    const std::vector<Exact> want = vorlen::fft::test::referenceDft(full, -1);
    executeInverse(inverse);
    std::vector<Exact> got(result.begin(), result.end());
    EXPECT_LT(vorlen::fft::test::relativeError(got, want),
              2.0 * std::numeric_limits<double>::epsilon() * 11);
}

TEST_F(FftPlanTest, RoundTripReturnsTheFrameTimesTheLength) {
    fillFrame(3);
    executePlan(forward);
    std::copy_n(spectrum.begin(), kBins, shaped.begin());
    const std::vector<ComplexBin> before = shaped;
    executePlan(inverse);
    for (int32_t j = 0; j < kN; ++j) {
        ASSERT_NEAR(result[j] / kN, frame[j], 1e-12) << j;
    }
    for (int32_t k = 0; k < kN; ++k) {
        ASSERT_EQ(shaped[k].re, before[k].re);
        ASSERT_EQ(shaped[k].im, before[k].im);
    }
}

// The tables of a 2048-point plan serve every shorter power of two; this
// reaches the strided cosine reads of the real-spectrum conversion.
TEST_F(FftPlanTest, ShorterFramesOnTheSameTablesMatchTheReference) {
    for (int32_t n = 2; n <= kN; n *= 2) {
        FftPlan shortForward = forward;
        FftPlan shortInverse = inverse;
        shortForward.n = n;
        shortInverse.n = n;
        fillFrame(static_cast<uint32_t>(n));
        executePlan(shortForward);
        const std::vector<Exact> z(frame.begin(), frame.begin() + n);
        const std::vector<Exact> want = vorlen::fft::test::referenceDft(z, +1);
        for (int32_t k = 0; k <= n / 2; ++k) {
            ASSERT_NEAR(spectrum[k].re, static_cast<double>(want[k].real()), 1e-13 * n) << n;
            ASSERT_NEAR(spectrum[k].im, static_cast<double>(want[k].imag()), 1e-13 * n) << n;
        }
        std::copy_n(spectrum.begin(), n / 2 + 1, shaped.begin());
        executePlan(shortInverse);
        for (int32_t j = 0; j < n; ++j) {
            ASSERT_NEAR(result[j], frame[j] * n, 1e-12 * n) << "n=" << n << " j=" << j;
        }
    }
}

TEST_F(FftPlanTest, ExecutionAllocatesNothing) {
    fillFrame(5);
    const std::size_t before = vorlen::fft::test::allocationCount();
    for (int i = 0; i < 50; ++i) {
        executePlan(forward);
        executePlan(inverse);
    }
    EXPECT_EQ(vorlen::fft::test::allocationCount(), before);
}

TEST(FftPlanConstruction, AFailedAllocationLeaksNothing) {
    std::vector<double> frame(kN);
    std::vector<ComplexBin> spectrum(kN);
    // A plan makes three allocations; let each of them fail in turn.
    for (std::size_t nth = 1; nth <= 3; ++nth) {
        const std::ptrdiff_t before = vorlen::fft::test::liveAllocations();
        vorlen::fft::test::failAllocation(nth);
        EXPECT_THROW(makeForwardPlan(frame.data(), spectrum.data()), std::bad_alloc) << nth;
        vorlen::fft::test::failAllocation(0);
        EXPECT_EQ(vorlen::fft::test::liveAllocations(), before) << "allocation " << nth;
    }
    const std::ptrdiff_t before = vorlen::fft::test::liveAllocations();
    FftPlan plan = makeInversePlan(spectrum.data(), frame.data());
    EXPECT_EQ(vorlen::fft::test::liveAllocations(), before + 3);
    releasePlan(plan);
    EXPECT_EQ(vorlen::fft::test::liveAllocations(), before);
}

TEST_F(FftPlanTest, AReleasedPlanOwnsNothingAndRunsAsANoOp) {
    FftPlan copy = forward;
    releasePlan(copy);
    EXPECT_EQ(copy.work, nullptr);
    EXPECT_EQ(copy.indexTable, nullptr);
    EXPECT_EQ(copy.trigTable, nullptr);
    EXPECT_EQ(copy.realIn, frame.data());
    // The fixture releases `forward` again: the shared arrays must be gone
    // from it too, as exactly one copy is released.
    forward.work = nullptr;
    forward.indexTable = nullptr;
    forward.trigTable = nullptr;

    std::fill(frame.begin(), frame.end(), 1.0);
    executePlan(copy);
    executeWindowedForward(copy, frame.data());
    EXPECT_EQ(spectrum[0].re, -9.0);
    releasePlan(copy);

    // A record that was never made (all zero) must not be run as an inverse.
    const FftPlan blank{};
    executePlan(blank);
}

} // namespace
