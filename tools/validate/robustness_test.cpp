#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "guarded_text.h"
#include "isolated_check.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

// How long bad values may keep reaching the output once they are gone, for an engine whose
// latency L is its frame length and whose hop is L / 2 (2048 and 1024 for ours).
//
// A parameter is read at hops. Hops that run after the valid value has arrived use it; the
// last hop that used the bad value is sent out within one frame, L samples, because its
// first half is added to the ring for the next hop's samples and its second half for the
// hop after that.
//
// An input sample lies in the frames of the next two hops; each spreads its frame over L
// output samples, the second ending 3 hops after the first hop, so the output is clean at
// most 4 hops, 2 L samples, after the last bad sample went in.
std::uint64_t parameterSettleFrames(const AEffect& record) {
    return std::max<std::uint64_t>(2048, static_cast<std::uint64_t>(record.initialDelay));
}
std::uint64_t audioSettleFrames(const AEffect& record) {
    return std::max<std::uint64_t>(4096, 2 * static_cast<std::uint64_t>(record.initialDelay));
}

// Samples checked once the bound has passed: long enough for several more hops.
constexpr std::uint64_t kCheckedFrames = 8192;

struct NamedValue {
    const char* name;
    float value;
};

std::vector<NamedValue> hostileParameterValues() {
    using limits = std::numeric_limits<float>;
    return {{"0", 0.0f},
            {"1", 1.0f},
            {"-1", -1.0f},
            {"1e9", 1e9f},
            {"-1e9", -1e9f},
            {"NaN", limits::quiet_NaN()},
            {"-NaN", -limits::quiet_NaN()},
            {"signalling NaN", std::bit_cast<float>(0x7F800001u)},
            {"+inf", limits::infinity()},
            {"-inf", -limits::infinity()},
            {"smallest subnormal", limits::denorm_min()},
            {"-subnormal", -1e-39f},
            {"largest float", limits::max()},
            {"lowest float", limits::lowest()},
            {"0.5", 0.5f}};
}

std::vector<NamedValue> hostileSamples() {
    using limits = std::numeric_limits<float>;
    return {{"NaN", limits::quiet_NaN()},
            {"+inf", limits::infinity()},
            {"-inf", -limits::infinity()},
            {"subnormal", limits::denorm_min()},
            {"-subnormal", -1e-39f},
            {"+1e30", 1e30f},
            {"-1e30", -1e30f}};
}

} // namespace

Outcome testParameterFuzzing(const tools::PluginLibrary& library) {
    std::string error;
    auto probe = tools::PluginInstance::create(library, error);
    if (!probe) {
        return failure(error);
    }
    const VstInt32 params = probe->effect()->numParams;
    const std::uint64_t settle = parameterSettleFrames(*probe->effect());
    probe.reset();

    const std::vector<NamedValue> values = hostileParameterValues();
    for (VstInt32 p = 0; p < params; ++p) {
        auto stream = Stream::open(library, 44100.0f, 512, error);
        if (!stream) {
            return failure(error);
        }
        tools::PluginInstance& instance = stream->instance();
        std::vector<float> valid;
        for (VstInt32 q = 0; q < params; ++q) {
            valid.push_back(instance.getParameter(q));
        }
        WhiteNoise noise(static_cast<std::uint32_t>(100 + p));
        for (const NamedValue& hostile : values) {
            const std::string which = "parameter " + std::to_string(p) + " set to " + hostile.name;
            noteStep("%s", which.c_str());
            instance.setParameter(p, hostile.value);
            (void)instance.getParameter(p);
            const GuardedText display =
                askGuardedText(instance, effGetParamDisplay, p, kParamTextLimit);
            if (!display.ok()) {
                return failure(which + " displays " + display.describe());
            }
            // An odd length, so that hops fall at varying places of the later blocks.
            stream->processNoise(noise, 3001, 500);

            for (VstInt32 q = 0; q < params; ++q) {
                instance.setParameter(q, valid[static_cast<std::size_t>(q)]);
            }
            stream->processNoise(noise, settle, 500);
            SampleScan scan;
            stream->processNoise(noise, kCheckedFrames, 500, &scan);
            if (!scan.finite()) {
                return failure(which + ", then back to valid values: " + scan.describe() +
                               " from " + std::to_string(settle) + " samples after");
            }
        }
    }
    return {true, std::to_string(values.size()) + " hostile values per parameter; output finite " +
                      std::to_string(settle) + " samples after valid values return"};
}

Outcome testBadAudio(const tools::PluginLibrary& library) {
    std::string error;
    const std::vector<NamedValue> samples = hostileSamples();
    std::uint64_t settle = 0;
    for (const bool allZeroParameters : {false, true}) {
        for (const bool burst : {true, false}) {
            for (const NamedValue& bad : samples) {
                auto stream = Stream::open(library, 44100.0f, 512, error);
                if (!stream) {
                    return failure(error);
                }
                settle = audioSettleFrames(*stream->instance().effect());
                if (allZeroParameters) {
                    for (VstInt32 q = 0; q < stream->instance().effect()->numParams; ++q) {
                        stream->instance().setParameter(q, 0.0f);
                    }
                }
                const std::string which = std::string(bad.name) +
                                          (burst ? " burst" : " single sample") +
                                          (allZeroParameters ? ", parameters at 0" : "");
                noteStep("%s", which.c_str());
                WhiteNoise noise(7);
                SampleScan before;
                stream->processNoise(noise, 4096 + 77, 512, &before);
                ChannelBuffers& buffers = stream->buffers();
                if (burst) {
                    // Every sample of every channel, across a hop.
                    for (int i = 0; i < 3; ++i) {
                        buffers.fillInputs(bad.value, 500);
                        stream->process(500);
                    }
                } else {
                    buffers.fillInputs(noise, 500);
                    buffers.input(0)[250] = bad.value;
                    stream->process(500);
                }
                // Finite input up to the 1e6 that hosts may legitimately send.
                WhiteNoise loud(8, 1e6f);
                stream->processNoise(loud, settle, 512);
                SampleScan scan;
                stream->processNoise(loud, kCheckedFrames, 512, &scan);
                if (!scan.finite()) {
                    return failure(which + ": " + scan.describe() + " from " +
                                   std::to_string(settle) +
                                   " samples after the input turned finite");
                }
                // Muting for good is poisoning too, only quieter.
                if (before.audible() && !scan.audible()) {
                    return failure(which + ": output silent ever after");
                }
            }
        }
    }
    return {true, std::to_string(samples.size()) +
                      " kinds, bursts and single samples; output finite " + std::to_string(settle) +
                      " samples after the input is"};
}

} // namespace vorlen::validate
