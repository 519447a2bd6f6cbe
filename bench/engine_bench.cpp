// The whole effect against a peer: the same streaming engine written plainly on FFTW3 plans,
// run in the same process so that the ratio of their times is the figure that counts.
//
// The process benchmarks stream white noise through one instance in host blocks of 64, 512
// and 4096 samples. The hop benchmarks time each stage of one hop on its own, for the effect
// and for the peer, so that the summary printed at the end can split a hop into transforms,
// smoothing, shaping, overlap-add and the noise draws (the effect's own generator, the
// peer's rand()). The scaling benchmarks run one instance per thread, as a host runs tracks
// in parallel, and compare the work done together with that of one thread alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fastest_reporter.h"
#include "fft_plan.h"
#include "fftw_peer.h"
#include "hop_stages.h"
#include "noise_generator.h"
#include "smoothing.h"
#include "vorlen.h"

namespace {

using vorlen::bench::FftwPeer;
using vorlen::bench::kBins;
using vorlen::bench::kFrame;
using vorlen::bench::kHalfWidth;
using vorlen::bench::kHop;
using vorlen::bench::peerNoise;
using vorlen::bench::StereoNoise;

constexpr double kSampleRate = 44100.0;
// Long enough that the input does not sit in the first-level cache; every block size used
// divides it.
constexpr int kInputLength = 1 << 16;

/// Stereo samples and real time covered by `samples` processed samples.
void countSamples(benchmark::State& state, int64_t samples) {
    state.SetItemsProcessed(samples);
    state.counters["xRealTime"] =
        benchmark::Counter(static_cast<double>(samples) / kSampleRate, benchmark::Counter::kIsRate);
}

/// One instance's processReplacing on host blocks of state.range(0) samples.
void vorlenProcess(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    const StereoNoise input(kInputLength);
    std::vector<float> outL(static_cast<size_t>(block));
    std::vector<float> outR(outL.size());
    auto effect = std::make_unique<vstVorlen>(nullptr);
    int offset = 0;
    for (auto _ : state) {
        float* inputs[2] = {const_cast<float*>(input.left.data() + offset),
                            const_cast<float*>(input.right.data() + offset)};
        float* outputs[2] = {outL.data(), outR.data()};
        effect->processReplacing(inputs, outputs, block);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
        offset = (offset + block) % kInputLength;
    }
    countSamples(state, state.iterations() * block);
}

/// The peer streaming the same input in the same blocks.
void peerProcess(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    const StereoNoise input(kInputLength);
    std::vector<float> outL(static_cast<size_t>(block));
    std::vector<float> outR(outL.size());
    FftwPeer peer;
    int offset = 0;
    for (auto _ : state) {
        peer.process(input.left.data() + offset, input.right.data() + offset, outL.data(),
                     outR.data(), block);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
        offset = (offset + block) % kInputLength;
    }
    countSamples(state, state.iterations() * block);
}

/// The 1024 noise samples of a hop from the effect's own generator, into a frame's half.
void noisePerHop(benchmark::State& state) {
    vorlen::NoiseGenerator generator(1);
    std::vector<double> half(kHop);
    for (auto _ : state) {
        generator.fillNoise(half.data(), kHop);
        benchmark::DoNotOptimize(half.data());
        benchmark::ClobberMemory();
    }
}

/// The 1024 draws from the C generator that the peer makes for every hop's worth of samples.
void randPerHop(benchmark::State& state) {
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < kHop; ++i) {
            sum += peerNoise();
        }
        benchmark::DoNotOptimize(sum);
    }
}

/// A peer that has streamed enough noise for its arrays to hold a realistic hop.
std::unique_ptr<FftwPeer> warmPeer() {
    auto peer = std::make_unique<FftwPeer>();
    const StereoNoise input(3 * kHop);
    std::vector<float> out(input.left.size());
    peer->process(input.left.data(), input.right.data(), out.data(), out.data(),
                  static_cast<int>(input.left.size()));
    return peer;
}

/// One stage of the peer's hop, repeated on the arrays of a realistic hop.
template <void (FftwPeer::*stage)()>
void peerStage(benchmark::State& state) {
    auto peer = warmPeer();
    for (auto _ : state) {
        (peer.get()->*stage)();
        benchmark::ClobberMemory();
    }
}

/// The effect's hop stages on arrays of their own, filled as one hop of noise fills them.
struct VorlenHop {
    std::vector<double> frame[3];
    std::vector<ComplexBin> spectrum[3];
    std::vector<double> mag[3];
    std::vector<ComplexBin> shaped[2];
    std::vector<double> wet[2];
    std::vector<double> ring[2];
    std::vector<double> window;
    FftPlan forward[3]{};
    FftPlan inverse[2]{};

    VorlenHop() : window(kFrame) {
        std::mt19937 random(3);
        std::uniform_real_distribution<double> sample(-1.0, 1.0);
        for (int c = 0; c < 3; ++c) {
            frame[c].resize(kFrame);
            for (double& x : frame[c]) {
                x = sample(random);
            }
            spectrum[c].resize(kFrame);
            mag[c].resize(kBins);
            forward[c] = makeForwardPlan(frame[c].data(), spectrum[c].data());
        }
        for (int c = 0; c < 2; ++c) {
            shaped[c].resize(kFrame);
            wet[c].resize(kFrame);
            ring[c].resize(kFrame);
            inverse[c] = makeInversePlan(shaped[c].data(), wet[c].data());
        }
        vorlen::makeWindow(window.data());
        transformForward();
        shape();
        transformInverse();
    }
    VorlenHop(const VorlenHop&) = delete;
    VorlenHop& operator=(const VorlenHop&) = delete;
    ~VorlenHop() {
        for (FftPlan& plan : forward) {
            releasePlan(plan);
        }
        for (FftPlan& plan : inverse) {
            releasePlan(plan);
        }
    }

    /// The noise frame's move by one hop; the mix moves the channels' frames.
    void windowFrames() { vorlen::moveFrameOn(frame[2].data()); }
    /// The three forward transforms, which window the frames as they read them.
    void transformForward() {
        for (const FftPlan& plan : forward) {
            executeWindowedForward(plan, window.data());
        }
    }
    /// Magnitudes, smoothing and shaping, in one pass.
    void shape() {
        vorlen::shapeNoise(kHalfWidth, spectrum[0].data(), spectrum[1].data(), spectrum[2].data(),
                           mag[0].data(), mag[1].data(), mag[2].data(), shaped[0].data(),
                           shaped[1].data());
    }
    /// The two inverse transforms; the mix scales and windows them.
    void transformInverse() {
        for (const FftPlan& plan : inverse) {
            executePlan(plan);
        }
    }
    /// Synthesis windowing, mix and overlap-add into both rings.
    void overlapAdd() {
        for (int c = 0; c < 2; ++c) {
            vorlen::mixIntoRing(frame[c].data(), wet[c].data(), window.data(), 0.0, 1.0,
                                ring[c].data(), ring[c].data() + kHop);
        }
    }
};

/// One stage of the effect's hop, repeated on the arrays of a realistic hop.
template <void (VorlenHop::*stage)()>
void vorlenStage(benchmark::State& state) {
    auto hop = std::make_unique<VorlenHop>();
    for (auto _ : state) {
        (hop.get()->*stage)();
        benchmark::ClobberMemory();
    }
}

/// Samples each thread streams per iteration of a scaling benchmark: long enough that
/// starting the threads costs under one per cent.
constexpr int kScalingSamples = 4 * kInputLength;

/// state.range(0) instances, each streaming kScalingSamples on a thread of its own in host
/// blocks of 512, timed from the threads' start to the last one's end.
void vorlenThreads(benchmark::State& state) {
    const auto threads = static_cast<size_t>(state.range(0));
    constexpr int kBlock = 512;
    const StereoNoise input(kInputLength);
    std::vector<std::unique_ptr<vstVorlen>> effects;
    for (size_t t = 0; t < threads; ++t) {
        effects.push_back(std::make_unique<vstVorlen>(nullptr));
    }
    const auto stream = [&input](vstVorlen& effect) {
        std::vector<float> outL(kBlock);
        std::vector<float> outR(kBlock);
        for (int done = 0; done < kScalingSamples; done += kBlock) {
            const int offset = done % kInputLength;
            float* inputs[2] = {const_cast<float*>(input.left.data() + offset),
                                const_cast<float*>(input.right.data() + offset)};
            float* outputs[2] = {outL.data(), outR.data()};
            effect.processReplacing(inputs, outputs, kBlock);
            benchmark::DoNotOptimize(outL.data());
            benchmark::DoNotOptimize(outR.data());
        }
    };
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> workers;
        for (size_t t = 0; t < threads; ++t) {
            workers.emplace_back(stream, std::ref(*effects[t]));
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["aggregateRealTime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(threads) *
                               kScalingSamples / kSampleRate,
                           benchmark::Counter::kIsRate);
}

/// The number of threads the scaling benchmarks compare with one: the processor's cores.
int scalingThreads() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

/// The effect's and the peer's output on one input and one noise sequence.
struct Comparison {
    double peak = 0.0;       ///< largest magnitude of the effect's output
    double difference = 0.0; ///< largest difference between the two outputs
};

/// Runs both engines on the same input and noise: proof that the peer does the same work.
Comparison comparePeer() {
    const int length = 8 * kHop;
    const StereoNoise input(length);
    std::vector<float> effectL(length), effectR(length), peerL(length), peerR(length);
    auto effect = std::make_unique<vstVorlen>(nullptr);
    constexpr VstInt32 kSeedRequest = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';
    effect->dispatcher(effVendorSpecific, kSeedRequest, 11, nullptr, 0.0f);
    float* inputs[2] = {const_cast<float*>(input.left.data()),
                        const_cast<float*>(input.right.data())};
    float* outputs[2] = {effectL.data(), effectR.data()};
    effect->processReplacing(inputs, outputs, length);
    std::srand(11);
    FftwPeer peer;
    peer.process(input.left.data(), input.right.data(), peerL.data(), peerR.data(), length);
    Comparison result;
    for (int i = 0; i < length; ++i) {
        result.peak =
            std::max({result.peak, std::fabs(double{effectL[i]}), std::fabs(double{effectR[i]})});
        result.difference = std::max({result.difference, std::fabs(double{effectL[i]} - peerL[i]),
                                      std::fabs(double{effectR[i]} - peerR[i])});
    }
    return result;
}

/// The split of a hop, the ratios and the real-time factors.
void printSummary(const vorlen::bench::FastestReporter& t) {
    const auto vorlen = [&](const char* stage) { return t[std::string("vorlen/") + stage]; };
    const auto peer = [&](const char* stage) { return t[std::string("peer/") + stage]; };
    struct Split {
        double transforms, windowing, spectra, mix, draws, whole;
    };
    const Split ours{vorlen("transformForward") + vorlen("transformInverse"),
                     vorlen("windowFrames"),
                     vorlen("shape"),
                     vorlen("overlapAdd"),
                     t["noise/hop"],
                     2.0 * t["vorlen/process/512"]};
    const Split theirs{peer("transformForward") + peer("transformInverse"),
                       peer("windowFrames") + peer("shift"),
                       peer("magnitudes") + peer("smooth") + peer("shape"),
                       peer("scaleAndWindow") + peer("overlapAdd"),
                       t["rand/hop"],
                       2.0 * t["peer/process/512"]};
    if (ours.whole <= 0.0 || theirs.whole <= 0.0) {
        return;
    }
    std::printf("\nOne hop (1024 stereo samples at block 512), CPU microseconds:\n");
    std::printf("  %-42s %9s %9s\n", "", "Vorlen", "FFTW peer");
    const auto row = [](const char* name, double a, double b) {
        std::printf("  %-42s %9.2f %9.2f\n", name, a * 1e6, b * 1e6);
    };
    const auto share = [](const char* name, double a, double b) {
        std::printf("  %-42s %8.1f%% %8.1f%%\n", name, a * 100.0, b * 100.0);
    };
    row("transforms (3 forward, 2 inverse)", ours.transforms, theirs.transforms);
    row("analysis windowing apart, frame shift", ours.windowing, theirs.windowing);
    row("magnitudes, smoothing and shaping", ours.spectra, theirs.spectra);
    row("normalisation, synthesis window, overlap-add", ours.mix, theirs.mix);
    row("noise: NoiseGenerator / rand(), 1024 draws", ours.draws, theirs.draws);
    const auto rest = [](const Split& s) {
        return s.whole - s.transforms - s.windowing - s.spectra - s.mix - s.draws;
    };
    row("rest: streaming samples in and out", rest(ours), rest(theirs));
    row("whole hop, through processReplacing", ours.whole, theirs.whole);
    share("share of the noise draws", ours.draws / ours.whole, theirs.draws / theirs.whole);
    share("share not transforms or noise draws",
          (ours.whole - ours.transforms - ours.draws) / ours.whole,
          (theirs.whole - theirs.transforms - theirs.draws) / theirs.whole);

    std::printf("\nprocessReplacing, one stereo instance:\n");
    std::printf("  %6s %12s %14s %14s %14s\n", "block", "Vorlen/peer", "samples/s", "x real time",
                "peer x rt");
    for (int block : {64, 512, 4096}) {
        const double ourBlock = t["vorlen/process/" + std::to_string(block)];
        const double theirBlock = t["peer/process/" + std::to_string(block)];
        if (ourBlock <= 0.0 || theirBlock <= 0.0) {
            continue;
        }
        std::printf("  %6d %12.3f %14.4g %14.0f %14.0f\n", block, ourBlock / theirBlock,
                    block / ourBlock, block / ourBlock / kSampleRate,
                    block / theirBlock / kSampleRate);
    }

    const double alone = t.real("vorlen/threads/1/manual_time");
    const int cores = scalingThreads();
    const double together = t.real("vorlen/threads/" + std::to_string(cores) + "/manual_time");
    if (alone > 0.0 && together > 0.0 && cores > 1) {
        const double samples = static_cast<double>(kScalingSamples);
        const double aggregateAlone = samples / alone / kSampleRate;
        const double aggregateTogether = cores * samples / together / kSampleRate;
        std::printf("\nOne instance per thread, block 512, aggregate x real time:\n");
        std::printf("  1 thread %.0f, %d threads %.0f, efficiency %.3f\n", aggregateAlone, cores,
                    aggregateTogether, aggregateTogether / (cores * aggregateAlone));
    }
    std::printf("Times are the fastest of the repetitions (--benchmark_repetitions), or the one "
                "run.\n");
}

/// Registers every benchmark; each keeps its fastest repetition for the summary.
void registerBenchmarks() {
    const auto add = [](const std::string& name, auto function) {
        return benchmark::RegisterBenchmark(name.c_str(), function)
            ->Unit(benchmark::kMicrosecond)
            ->ComputeStatistics("min", vorlen::bench::fastest);
    };
    add("vorlen/process", vorlenProcess)->Arg(64)->Arg(512)->Arg(4096);
    add("peer/process", peerProcess)->Arg(64)->Arg(512)->Arg(4096);
    add("noise/hop", noisePerHop);
    add("rand/hop", randPerHop);
    auto* scaling = add("vorlen/threads", vorlenThreads)->Arg(1)->UseManualTime();
    if (scalingThreads() > 1) {
        scaling->Arg(scalingThreads());
    }
    add("vorlen/windowFrames", vorlenStage<&VorlenHop::windowFrames>);
    add("vorlen/transformForward", vorlenStage<&VorlenHop::transformForward>);
    add("vorlen/shape", vorlenStage<&VorlenHop::shape>);
    add("vorlen/transformInverse", vorlenStage<&VorlenHop::transformInverse>);
    add("vorlen/overlapAdd", vorlenStage<&VorlenHop::overlapAdd>);
    add("peer/windowFrames", peerStage<&FftwPeer::windowFrames>);
    add("peer/transformForward", peerStage<&FftwPeer::transformForward>);
    add("peer/magnitudes", peerStage<&FftwPeer::magnitudes>);
    add("peer/smooth", peerStage<&FftwPeer::smooth>);
    add("peer/shape", peerStage<&FftwPeer::shape>);
    add("peer/transformInverse", peerStage<&FftwPeer::transformInverse>);
    add("peer/scaleAndWindow", peerStage<&FftwPeer::scaleAndWindow>);
    add("peer/overlapAdd", peerStage<&FftwPeer::overlapAdd>);
    add("peer/shift", peerStage<&FftwPeer::shift>);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const Comparison check = comparePeer();
    std::printf("Vorlen against the FFTW peer on 8192 samples: output peak %.3g, largest "
                "difference %.3g\n",
                check.peak, check.difference);
    registerBenchmarks();
    vorlen::bench::FastestReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
