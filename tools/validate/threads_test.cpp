#include <atomic>
#include <thread>

#include "guarded_text.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {

Outcome testThreads(const tools::PluginLibrary& library) {
    constexpr std::uint64_t kProcessedFrames = 1 << 17;
    std::string error;
    auto stream = Stream::open(library, 44100.0f, 256, error);
    if (!stream) {
        return failure(error);
    }
    const tools::PluginInstance& instance = stream->instance();
    const VstInt32 params = instance.effect()->numParams;

    std::atomic<bool> processing{true};
    std::atomic<std::uint64_t> rounds{0};
    std::string hammerFault; // written by the hammer only, read after join
    std::thread hammer([&] {
        WhiteNoise values(11);
        // At least a few rounds even if the audio thread finishes first.
        while (processing.load() || rounds.load() < 16) {
            for (VstInt32 p = 0; p < params; ++p) {
                instance.setParameter(p, values.unit());
                (void)instance.getParameter(p);
                for (const VstInt32 opcode :
                     {effGetParamDisplay, effGetParamName, effGetParamLabel}) {
                    const GuardedText text = askGuardedText(instance, opcode, p, kParamTextLimit);
                    if (!text.ok() && hammerFault.empty()) {
                        hammerFault = "opcode " + std::to_string(opcode) + " parameter " +
                                      std::to_string(p) + ": " + text.describe();
                    }
                }
            }
            rounds.fetch_add(1);
        }
    });

    WhiteNoise noise(12);
    SampleScan scan;
    stream->processNoise(noise, kProcessedFrames, 256, &scan);
    processing = false;
    hammer.join();

    if (!hammerFault.empty()) {
        return failure(hammerFault);
    }
    if (!scan.finite()) {
        return failure(scan.describe());
    }
    return {true, std::to_string(rounds.load()) + " rounds of parameter and text calls during " +
                      std::to_string(kProcessedFrames) + " processed samples"};
}

} // namespace vorlen::validate

namespace vorlen::validate {

Outcome testParallelInstances(const tools::PluginLibrary& library) {
    // Hosts open and run instances on several threads at once (plug-in scans, one audio
    // thread per track): nothing shared between instances may race.
    constexpr int kThreads = 2;
    constexpr int kRounds = 3;
    constexpr std::uint64_t kFramesPerRound = 1 << 14;
    std::string faults[kThreads];
    std::thread workers[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        workers[t] = std::thread([&library, &fault = faults[t], t] {
            WhiteNoise noise(static_cast<std::uint32_t>(40 + t));
            for (int round = 0; round < kRounds && fault.empty(); ++round) {
                std::string error;
                auto stream = Stream::open(library, 48000.0f, 333, error);
                if (!stream) {
                    fault = error;
                    break;
                }
                SampleScan scan;
                stream->processNoise(noise, kFramesPerRound, 333, &scan);
                if (!scan.clean()) {
                    fault = "thread " + std::to_string(t) + ": " + scan.describe();
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (const std::string& fault : faults) {
        if (!fault.empty()) {
            return failure(fault);
        }
    }
    return {true, std::to_string(kThreads) + " threads, each opening, running and closing " +
                      std::to_string(kRounds) + " instances"};
}

} // namespace vorlen::validate
