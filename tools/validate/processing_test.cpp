#include <array>
#include <cmath>

#include "isolated_check.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

constexpr std::array<int, 8> kBlockSizes = {1, 31, 64, 256, 512, 1024, 4096, 8192};
// Long enough at every block size for many hops of a frame-based engine, and for its
// latency to have passed so that real output is checked, not leading silence.
constexpr std::uint64_t kFramesPerBlockSize = 16384;

} // namespace

Outcome testProcessing(const tools::PluginLibrary& library, float sampleRate) {
    std::string error;
    auto stream = Stream::open(library, sampleRate, kBlockSizes.back(), error);
    if (!stream) {
        return failure(error);
    }
    WhiteNoise noise(static_cast<std::uint32_t>(sampleRate));
    for (const int block : kBlockSizes) {
        noteStep("changing the block size to %d", block);
        stream->changeBlockSize(block);
        noteStep("processing in blocks of %d", block);
        SampleScan scan;
        stream->processNoise(noise, kFramesPerBlockSize, block, &scan);
        if (!scan.clean()) {
            return failure("block size " + std::to_string(block) + ": " + scan.describe());
        }
    }
    noteStep("processing in place");
    // Hosts may hand the same buffer in and out.
    stream->buffers().processInPlace(true);
    SampleScan scan;
    stream->processNoise(noise, kFramesPerBlockSize, 512, &scan);
    stream->buffers().processInPlace(false);
    if (!scan.clean()) {
        return failure("in-place processing: " + scan.describe());
    }
    // A fading tail reaches the plug-in as input far below audibility: the output must not
    // turn subnormal, which costs the host's own processing dearly on many processors. The
    // input itself stays normal (1e-37 to 2e-37 in magnitude), so that a plug-in passing it
    // through unchanged is not blamed.
    noteStep("processing quiet input");
    WhiteNoise quiet(static_cast<std::uint32_t>(sampleRate) + 1);
    SampleScan quietScan;
    ChannelBuffers& buffers = stream->buffers();
    for (std::uint64_t done = 0; done < kFramesPerBlockSize; done += 512) {
        buffers.fillInputs(quiet, 512);
        for (int c = 0; c < buffers.numInputs(); ++c) {
            for (int i = 0; i < 512; ++i) {
                const float x = buffers.input(c)[i];
                buffers.input(c)[i] = std::copysign(1e-37f + 1e-37f * std::fabs(x), x);
            }
        }
        stream->process(512, &quietScan);
    }
    if (!quietScan.clean()) {
        return failure("input of 1e-37 to 2e-37: " + quietScan.describe());
    }
    return {true, "blocks 1..8192, in place and quiet input, " +
                      std::to_string(stream->position()) + " samples clean"};
}

Outcome testAutomation(const tools::PluginLibrary& library) {
    constexpr int kAutomationInterval = 32;
    constexpr std::uint64_t kTotal = 1 << 16;
    std::string error;
    auto stream = Stream::open(library, 48000.0f, 512, error);
    if (!stream) {
        return failure(error);
    }
    const VstInt32 params = stream->instance().effect()->numParams;
    WhiteNoise noise(32);
    SampleScan scan;
    // Host blocks of 512 split at every automation point, as hosts with sample-accurate
    // automation do.
    noteStep("automation every %d samples", kAutomationInterval);
    while (stream->position() < kTotal) {
        stream->buffers().fillInputs(noise, 512);
        for (int offset = 0; offset < 512; offset += kAutomationInterval) {
            for (VstInt32 p = 0; p < params; ++p) {
                stream->instance().setParameter(p, noise.unit());
            }
            stream->process(offset, kAutomationInterval, &scan);
        }
        if (!scan.clean()) {
            return failure(scan.describe());
        }
    }
    return {true, std::to_string(params) + " parameters changed every " +
                      std::to_string(kAutomationInterval) + " samples, " + std::to_string(kTotal) +
                      " samples clean"};
}

} // namespace vorlen::validate
