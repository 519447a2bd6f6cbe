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
