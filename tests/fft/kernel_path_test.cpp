#include "fft_plan.h"
#include "kernel_path.h"
#include "reference_dft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace {

using vorlen::fft::KernelPath;
using vorlen::fft::test::Exact;

constexpr int32_t kN = 2048;
constexpr int32_t kBins = kN / 2 + 1;

// Values in [-1, 1) with 21 significant bits, drawn from a generator whose
// sequence the standard fixes: the same frames on every platform.
std::vector<double> exactFrame(uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<double> v(kN);
    for (double& x : v) {
        x = (static_cast<double>(gen() >> 11) - 1048576.0) / 1048576.0;
    }
    return v;
}

// FNV-1a over the bits of the doubles: equal digests mean equal bits.
uint64_t digest(const double* values, std::size_t count, uint64_t hash = 14695981039346656037u) {
    for (std::size_t i = 0; i < count; ++i) {
        uint64_t bits = 0;
        std::memcpy(&bits, &values[i], sizeof bits);
        for (int b = 0; b < 8; ++b) {
            hash ^= (bits >> (8 * b)) & 0xffu;
            hash *= 1099511628211u;
        }
    }
    return hash;
}

constexpr KernelPath kEveryPath[] = {KernelPath::baseline, KernelPath::avx, KernelPath::avx512,
                                     KernelPath::neon};

// The paths other than the baseline that this build and processor have.
std::vector<KernelPath> widePaths() {
    const KernelPath chosen = vorlen::fft::kernelPath();
    std::vector<KernelPath> wide;
    for (const KernelPath path : {KernelPath::avx, KernelPath::avx512, KernelPath::neon}) {
        if (vorlen::fft::selectKernelPath(path)) {
            wide.push_back(path);
        }
    }
    vorlen::fft::selectKernelPath(chosen);
    return wide;
}

// Plans run on a chosen path, and the process's own choice is restored.
class KernelPathTest : public ::testing::Test {
protected:
    KernelPathTest()
        : chosen(vorlen::fft::kernelPath()), frame(kN), spectrum(kN, ComplexBin{-9.0, -9.0}),
          result(kN, -9.0), forward(makeForwardPlan(frame.data(), spectrum.data())),
          inverse(makeInversePlan(spectrum.data(), result.data())) {}
    ~KernelPathTest() override {
        releasePlan(forward);
        releasePlan(inverse);
        vorlen::fft::selectKernelPath(chosen);
    }

public:
    KernelPathTest(const KernelPathTest&) = delete;
    KernelPathTest& operator=(const KernelPathTest&) = delete;

protected:
    // Forward of the frame of `seed`, then inverse of that spectrum, on `path`.
    void run(KernelPath path, uint32_t seed) {
        ASSERT_TRUE(vorlen::fft::selectKernelPath(path));
        // Into the bound array: the plan keeps pointing at it.
        const std::vector<double> values = exactFrame(seed);
        std::copy(values.begin(), values.end(), frame.begin());
        executePlan(forward);
        forwardOut.assign(spectrum.begin(), spectrum.begin() + kBins);
        executePlan(inverse);
        inverseOut = result;
    }

    KernelPath chosen;
    std::vector<double> frame;
    std::vector<ComplexBin> spectrum;
    std::vector<double> result;
    FftPlan forward;
    FftPlan inverse;
    std::vector<ComplexBin> forwardOut;
    std::vector<double> inverseOut;
};

TEST_F(KernelPathTest, TheBaselineIsAlwaysAvailable) {
    EXPECT_TRUE(vorlen::fft::selectKernelPath(KernelPath::baseline));
    EXPECT_EQ(vorlen::fft::kernelPath(), KernelPath::baseline);
}

#if defined(VORLEN_TEST_NEON_PATH)
// Every 64-bit ARM processor that runs Linux has NEON, and the plans take it unless told
// otherwise: were it never chosen, the comparisons of the paths would pass by skipping.
TEST_F(KernelPathTest, SixtyFourBitArmTakesNeon) {
    EXPECT_EQ(chosen, KernelPath::neon);
    EXPECT_TRUE(vorlen::fft::selectKernelPath(KernelPath::neon));
    EXPECT_FALSE(vorlen::fft::selectKernelPath(KernelPath::avx));
}
#endif

// The suite's other checks run on the path the processor gets; these run the
// reference comparisons on the baseline even where a wider path would be taken.
TEST_F(KernelPathTest, EveryPathMatchesTheReference) {
    for (const KernelPath path : kEveryPath) {
        if (!vorlen::fft::selectKernelPath(path)) {
            continue;
        }
        run(path, 21);
        const std::vector<Exact> z(frame.begin(), frame.end());
        const std::vector<Exact> want = vorlen::fft::test::referenceDft(z, +1);
        std::vector<Exact> got(kBins);
        for (int32_t k = 0; k < kBins; ++k) {
            got[k] = Exact(forwardOut[k].re, forwardOut[k].im);
        }
        const std::vector<Exact> wantBins(want.begin(), want.begin() + kBins);
        const double bound = 2.0 * std::numeric_limits<double>::epsilon() * 11;
        EXPECT_LT(vorlen::fft::test::relativeError(got, wantBins), bound);
        EXPECT_EQ(forwardOut[0].im, 0.0);
        EXPECT_EQ(forwardOut[kN / 2].im, 0.0);

        // The inverse of that spectrum against its Hermitian extension.
        std::vector<Exact> full(kN);
        for (int32_t k = 0; k < kBins; ++k) {
            full[k] = Exact(forwardOut[k].re, forwardOut[k].im);
        }
        for (int32_t k = 1; k < kN / 2; ++k) {
            full[kN - k] = std::conj(full[k]);
        }
        const std::vector<Exact> back = vorlen::fft::test::referenceDft(full, -1);
        const std::vector<Exact> inverseGot(inverseOut.begin(), inverseOut.end());
        EXPECT_LT(vorlen::fft::test::relativeError(inverseGot, back), bound);
    }
}

TEST_F(KernelPathTest, WidePathsGiveTheBaselineBitForBit) {
    const std::vector<KernelPath> wide = widePaths();
    if (wide.empty()) {
        GTEST_SKIP() << "no wide path in this build or on this processor";
    }
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        run(KernelPath::baseline, seed);
        const std::vector<ComplexBin> baseForward = forwardOut;
        const std::vector<double> baseInverse = inverseOut;
        for (const KernelPath path : wide) {
            run(path, seed);
            ASSERT_EQ(
                std::memcmp(baseForward.data(), forwardOut.data(), kBins * sizeof(ComplexBin)), 0)
                << "forward, path " << static_cast<int>(path) << ", seed " << seed;
            ASSERT_EQ(std::memcmp(baseInverse.data(), inverseOut.data(), kN * sizeof(double)), 0)
                << "inverse, path " << static_cast<int>(path) << ", seed " << seed;
        }
    }
}

// Sparse frames and bins, and zeros of both signs, make many exact zeros
// inside the transforms, whose signs a lane that multiplies by 1 where the
// baseline skips the product, or that adds a zero where it takes a value,
// would flip on the way to the outputs.
TEST_F(KernelPathTest, WidePathsGiveTheBaselineBitsForZerosOfBothSigns) {
    const std::vector<KernelPath> wide = widePaths();
    if (wide.empty()) {
        GTEST_SKIP() << "no wide path in this build or on this processor";
    }
    std::vector<std::vector<double>> frames(4, std::vector<double>(kN, -0.0));
    frames[1][0] = 1.0;
    frames[2][kN / 2 + 3] = -2.0;
    for (int32_t j = 0; j < kN; ++j) {
        frames[3][j] = (j % 2 == 0) ? 0.0 : -1.0;
    }
    for (std::size_t f = 0; f < frames.size(); ++f) {
        std::vector<ComplexBin> outputs[std::size(kEveryPath)];
        std::vector<double> inverseOutputs[std::size(kEveryPath)];
        for (const KernelPath path : kEveryPath) {
            if (!vorlen::fft::selectKernelPath(path)) {
                continue;
            }
            std::copy(frames[f].begin(), frames[f].end(), frame.begin());
            executePlan(forward);
            outputs[static_cast<int>(path)].assign(spectrum.begin(), spectrum.begin() + kBins);
            // The inverse of bins that are zero but for one, and that one at
            // a place that differs with the frame.
            std::fill(spectrum.begin(), spectrum.end(), ComplexBin{-0.0, 0.0});
            spectrum[f * 341] = {1.0, -0.0};
            executePlan(inverse);
            inverseOutputs[static_cast<int>(path)] = result;
        }
        for (const KernelPath path : wide) {
            const int p = static_cast<int>(path);
            EXPECT_EQ(std::memcmp(outputs[0].data(), outputs[p].data(), kBins * sizeof(ComplexBin)),
                      0)
                << "forward, path " << p << ", frame " << f;
            EXPECT_EQ(std::memcmp(inverseOutputs[0].data(), inverseOutputs[p].data(),
                                  kN * sizeof(double)),
                      0)
                << "inverse, path " << p << ", bin " << f * 341;
        }
    }
}

// The window is applied as the first stage reads its input, yet each product
// must round as in a windowed copy, on every path and on the general path
// that shorter plans take.
TEST_F(KernelPathTest, WindowedForwardGivesTheBitsOfAWindowedCopy) {
    const std::vector<double> window = vorlen::fft::test::randomValues(kN, 77);
    std::vector<double> windowed(kN);
    std::vector<ComplexBin> want(kN, ComplexBin{-9.0, -9.0});
    FftPlan copyPlan = makeForwardPlan(windowed.data(), want.data());
    for (const KernelPath path : kEveryPath) {
        if (!vorlen::fft::selectKernelPath(path)) {
            continue;
        }
        for (const int32_t n : {kN, 256}) {
            FftPlan plan = forward;
            FftPlan reference = copyPlan;
            plan.n = n;
            reference.n = n;
            const std::vector<double> values = vorlen::fft::test::randomValues(kN, 5 + n);
            std::copy(values.begin(), values.end(), frame.begin());
            for (int32_t j = 0; j < kN; ++j) {
                windowed[j] = frame[j] * window[j];
            }
            executeForward(reference);
            executeWindowedForward(plan, window.data());
            const int32_t bins = n / 2 + 1;
            EXPECT_EQ(std::memcmp(want.data(), spectrum.data(), bins * sizeof(ComplexBin)), 0)
                << "path " << static_cast<int>(path) << ", n " << n;
            EXPECT_EQ(frame, values) << "the input was written";
        }
    }
    releasePlan(copyPlan);
}

// Rounds the plan's tables to multiples of 2^-32. Maths libraries may differ
// in the last bit of a cosine, and so the tables of two platforms; rounded,
// they agree (no entry lies that near a multiple's midpoint).
void roundTables(const FftPlan& plan) {
    const int32_t entries = plan.indexTable[0] + plan.indexTable[1];
    for (int32_t i = 0; i < entries; ++i) {
        plan.trigTable[i] = std::nearbyint(plan.trigTable[i] * 0x1p32) / 0x1p32;
    }
}

// Digests of the outputs of fixed frames on tables that every platform
// shares. Every build gets these same bits: SSE2, AVX, NEON and plain
// doubles alike, since each path rounds every operation as the others do. A change
// to the kernels that changes a rounding must update them, knowingly.
TEST_F(KernelPathTest, EveryPathGivesTheSameBitsAsEveryBuild) {
    roundTables(forward);
    roundTables(inverse);
    constexpr uint64_t kForwardDigest = 8398945521195532837u;
    constexpr uint64_t kInverseDigest = 12695570414049091267u;
    for (const KernelPath path : kEveryPath) {
        if (!vorlen::fft::selectKernelPath(path)) {
            continue;
        }
        uint64_t forwardHash = 14695981039346656037u;
        uint64_t inverseHash = 14695981039346656037u;
        for (uint32_t seed = 100; seed < 108; ++seed) {
            run(path, seed);
            forwardHash = digest(&forwardOut[0].re, 2 * kBins, forwardHash);
            inverseHash = digest(inverseOut.data(), kN, inverseHash);
        }
        EXPECT_EQ(forwardHash, kForwardDigest) << "path " << static_cast<int>(path);
        EXPECT_EQ(inverseHash, kInverseDigest) << "path " << static_cast<int>(path);
    }
}

} // namespace
