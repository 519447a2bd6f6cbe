// Our 2048-point real FFT plans and the 1024-point complex kernel against
// FFTW in the same process; the ratio of the times is the figure that counts.
#include "complex_fft.h"
#include "fastest_reporter.h"
#include "fft_plan.h"
#include "fft_tables.h"
#include "kernel_path.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kN = 2048;

std::vector<double> noise(std::size_t count) {
    std::mt19937 gen(42);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(count);
    for (double& x : v) {
        x = dist(gen);
    }
    return v;
}

void vorlenRealForward(benchmark::State& state) {
    const std::vector<double> frame = noise(kN);
    std::vector<ComplexBin> spectrum(kN);
    FftPlan plan = makeForwardPlan(frame.data(), spectrum.data());
    for (auto _ : state) {
        executePlan(plan);
        benchmark::DoNotOptimize(spectrum.data());
        benchmark::ClobberMemory();
    }
    releasePlan(plan);
}

// The plans on the baseline instruction set, where the processor has a wider
// one that they would otherwise take.
void vorlenRealForwardBaseline(benchmark::State& state) {
    const vorlen::fft::KernelPath chosen = vorlen::fft::kernelPath();
    vorlen::fft::selectKernelPath(vorlen::fft::KernelPath::baseline);
    vorlenRealForward(state);
    vorlen::fft::selectKernelPath(chosen);
}

// Runs `run` on `path` if this build and processor have it; the four-lane
// AVX path, where the plans would take AVX-512, shows what the wider lanes
// gain.
void onPath(benchmark::State& state, vorlen::fft::KernelPath path, void (*run)(benchmark::State&)) {
    const vorlen::fft::KernelPath chosen = vorlen::fft::kernelPath();
    if (!vorlen::fft::selectKernelPath(path)) {
        state.SkipWithError("path not available");
        return;
    }
    run(state);
    vorlen::fft::selectKernelPath(chosen);
}

void vorlenRealForwardAvx(benchmark::State& state) {
    onPath(state, vorlen::fft::KernelPath::avx, vorlenRealForward);
}

void fftwRealForward(benchmark::State& state) {
    auto* in = fftw_alloc_real(kN);
    auto* out = fftw_alloc_complex(kN / 2 + 1);
    // Planned before the data is written: measuring planning overwrites it.
    fftw_plan plan = fftw_plan_dft_r2c_1d(kN, in, out, FFTW_MEASURE);
    const std::vector<double> frame = noise(kN);
    std::copy(frame.begin(), frame.end(), in);
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

// The analysis transform as the effect runs it: the frame times a window.
void vorlenRealWindowedForward(benchmark::State& state) {
    const std::vector<double> frame = noise(kN);
    const std::vector<double> window = noise(kN);
    std::vector<ComplexBin> spectrum(kN);
    FftPlan plan = makeForwardPlan(frame.data(), spectrum.data());
    for (auto _ : state) {
        executeWindowedForward(plan, window.data());
        benchmark::DoNotOptimize(spectrum.data());
        benchmark::ClobberMemory();
    }
    releasePlan(plan);
}

void vorlenRealWindowedForwardAvx(benchmark::State& state) {
    onPath(state, vorlen::fft::KernelPath::avx, vorlenRealWindowedForward);
}

// FFTW has no window of its own: the frame is multiplied into its input.
void fftwRealWindowedForward(benchmark::State& state) {
    auto* in = fftw_alloc_real(kN);
    auto* out = fftw_alloc_complex(kN / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kN, in, out, FFTW_MEASURE);
    const std::vector<double> frame = noise(kN);
    const std::vector<double> window = noise(kN);
    for (auto _ : state) {
        for (int j = 0; j < kN; ++j) {
            in[j] = frame[j] * window[j];
        }
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

void vorlenRealInverse(benchmark::State& state) {
    const std::vector<double> values = noise(2 * kN);
    std::vector<ComplexBin> spectrum(kN);
    for (int k = 0; k < kN; ++k) {
        spectrum[k] = {values[2 * k], values[2 * k + 1]};
    }
    std::vector<double> frame(kN);
    FftPlan plan = makeInversePlan(spectrum.data(), frame.data());
    for (auto _ : state) {
        executePlan(plan);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    releasePlan(plan);
}

void vorlenRealInverseBaseline(benchmark::State& state) {
    const vorlen::fft::KernelPath chosen = vorlen::fft::kernelPath();
    vorlen::fft::selectKernelPath(vorlen::fft::KernelPath::baseline);
    vorlenRealInverse(state);
    vorlen::fft::selectKernelPath(chosen);
}

void vorlenRealInverseAvx(benchmark::State& state) {
    onPath(state, vorlen::fft::KernelPath::avx, vorlenRealInverse);
}

void fftwRealInverse(benchmark::State& state) {
    auto* in = fftw_alloc_complex(kN / 2 + 1);
    auto* out = fftw_alloc_real(kN);
    // Ours leaves its input intact, so FFTW is asked to do the same.
    fftw_plan plan = fftw_plan_dft_c2r_1d(kN, in, out, FFTW_MEASURE | FFTW_PRESERVE_INPUT);
    const std::vector<double> values = noise(kN + 2);
    for (int k = 0; k <= kN / 2; ++k) {
        in[k][0] = values[2 * k];
        in[k][1] = values[2 * k + 1];
    }
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

void vorlenComplex1024(benchmark::State& state) {
    const int32_t nw = kN / 4;
    std::vector<int32_t> ip(vorlen::fft::indexTableSize(nw));
    std::vector<double> w(nw);
    vorlen::fft::makeTwiddleTable(nw, ip.data(), w.data());
    std::vector<double> a = noise(kN);
    for (auto _ : state) {
        vorlen::fft::complexForward(kN, a.data(), ip.data(), nw, w.data());
        benchmark::DoNotOptimize(a.data());
        benchmark::ClobberMemory();
    }
}

void fftwComplex1024(benchmark::State& state) {
    auto* a = fftw_alloc_complex(kN / 2);
    fftw_plan plan = fftw_plan_dft_1d(kN / 2, a, a, FFTW_BACKWARD, FFTW_MEASURE);
    const std::vector<double> values = noise(kN);
    for (int j = 0; j < kN / 2; ++j) {
        a[j][0] = values[2 * j];
        a[j][1] = values[2 * j + 1];
    }
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(a);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(a);
}

/// Registers every benchmark; each keeps its fastest repetition for the ratios.
void registerBenchmarks() {
    const struct {
        const char* name;
        void (*run)(benchmark::State&);
    } all[] = {
        {"vorlenRealForward", vorlenRealForward},
        {"vorlenRealForwardBaseline", vorlenRealForwardBaseline},
        {"vorlenRealForwardAvx", vorlenRealForwardAvx},
        {"fftwRealForward", fftwRealForward},
        {"vorlenRealWindowedForward", vorlenRealWindowedForward},
        {"vorlenRealWindowedForwardAvx", vorlenRealWindowedForwardAvx},
        {"fftwRealWindowedForward", fftwRealWindowedForward},
        {"vorlenRealInverse", vorlenRealInverse},
        {"vorlenRealInverseBaseline", vorlenRealInverseBaseline},
        {"vorlenRealInverseAvx", vorlenRealInverseAvx},
        {"fftwRealInverse", fftwRealInverse},
        {"vorlenComplex1024", vorlenComplex1024},
        {"fftwComplex1024", fftwComplex1024},
    };
    for (const auto& b : all) {
        benchmark::RegisterBenchmark(b.name, b.run)
            ->ComputeStatistics("min", vorlen::bench::fastest);
    }
}

/// Ours against FFTW for each transform that both ran.
void printRatios(const vorlen::bench::FastestReporter& times) {
    const struct {
        const char* what;
        const char* ours;
        const char* fftw;
    } pairs[] = {
        {"real forward 2048", "vorlenRealForward", "fftwRealForward"},
        {"real forward 2048, baseline path", "vorlenRealForwardBaseline", "fftwRealForward"},
        {"real forward 2048, AVX path", "vorlenRealForwardAvx", "fftwRealForward"},
        {"windowed real forward 2048", "vorlenRealWindowedForward", "fftwRealWindowedForward"},
        {"windowed real forward 2048, AVX path", "vorlenRealWindowedForwardAvx",
         "fftwRealWindowedForward"},
        {"real inverse 2048", "vorlenRealInverse", "fftwRealInverse"},
        {"real inverse 2048, baseline path", "vorlenRealInverseBaseline", "fftwRealInverse"},
        {"real inverse 2048, AVX path", "vorlenRealInverseAvx", "fftwRealInverse"},
        {"complex 1024", "vorlenComplex1024", "fftwComplex1024"},
    };
    std::printf("\nOurs / FFTW (CPU time; the fastest repetition with --benchmark_repetitions):\n");
    for (const auto& p : pairs) {
        const double ours = times[p.ours];
        const double fftw = times[p.fftw];
        if (ours > 0.0 && fftw > 0.0) {
            std::printf("  %-38s %7.3f us / %7.3f us = %.2f\n", p.what, ours * 1e6, fftw * 1e6,
                        ours / fftw);
        }
    }
}

const char* pathName(vorlen::fft::KernelPath path) {
    switch (path) {
    case vorlen::fft::KernelPath::avx:
        return "AVX";
    case vorlen::fft::KernelPath::avx512:
        return "AVX-512";
    case vorlen::fft::KernelPath::neon:
        return "NEON";
    case vorlen::fft::KernelPath::baseline:
        break;
    }
    return "baseline";
}

/// The baseline against the path the plans take on this processor, in the same process: on
/// 64-bit ARM, plain doubles against NEON.
void printPathGain(const vorlen::bench::FastestReporter& times) {
    const char* path = pathName(vorlen::fft::kernelPath());
    std::printf("\nBaseline / %s path (CPU time, as above):\n", path);
    const struct {
        const char* what;
        const char* baseline;
        const char* chosen;
    } pairs[] = {
        {"real forward 2048", "vorlenRealForwardBaseline", "vorlenRealForward"},
        {"real inverse 2048", "vorlenRealInverseBaseline", "vorlenRealInverse"},
    };
    for (const auto& p : pairs) {
        const double baseline = times[p.baseline];
        const double chosen = times[p.chosen];
        if (baseline > 0.0 && chosen > 0.0) {
            std::printf("  %-38s %7.3f us / %7.3f us = %.2f\n", p.what, baseline * 1e6,
                        chosen * 1e6, baseline / chosen);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    registerBenchmarks();
    vorlen::bench::FastestReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    {
        const vorlen::bench::NotesToStderr notes(reporter.console());
        printRatios(reporter);
        printPathGain(reporter);
    }
    benchmark::Shutdown();
    return 0;
}
