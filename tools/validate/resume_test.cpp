// Hosts suspend a plug-in on transport stop and relocation and resume it before the next
// play: nothing from before the stop may come out after it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "isolated_check.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

// Below half the least significant bit of 24-bit audio: nothing a converter can render, yet
// far above the tiny offsets some plug-ins add against subnormal numbers (1e-18 and the like).
constexpr float kSilence = 1.0f / (1 << 24);
constexpr int kBlock = 512;
constexpr int kSignalBlocks = 40;
// Samples fed after resume: the latency, then at least as many again as any frame or delay
// line a plug-in is likely to keep.
constexpr std::uint64_t kFedFrames = 1 << 16;

struct Loudest {
    float peak = 0.0f;
    std::uint64_t first = 0; ///< position after resume of the first sample above kSilence
    std::uint64_t last = 0;  ///< and of the last
    std::uint64_t count = 0; ///< samples above kSilence
};

// Feeds silence and returns the loudest output at each position (NaN as infinity: it is
// certainly not silence). Raises `latency` to the largest the plug-in reports meanwhile: a
// plug-in may change it once it runs, announcing that to the host, which compensates it.
std::vector<float> silenceThrough(Stream& stream, std::uint64_t& latency) {
    std::vector<float> loudest(kFedFrames, 0.0f);
    ChannelBuffers& buffers = stream.buffers();
    for (std::uint64_t done = 0; done < kFedFrames; done += kBlock) {
        buffers.fillInputs(0.0f, kBlock);
        stream.process(kBlock);
        for (int c = 0; c < buffers.numOutputs(); ++c) {
            for (int i = 0; i < kBlock; ++i) {
                const float magnitude = std::fabs(buffers.output(c)[i]);
                float& at = loudest[done + static_cast<std::uint64_t>(i)];
                at = std::isnan(magnitude) ? INFINITY : std::max(at, magnitude);
            }
        }
        latency = std::max<std::uint64_t>(
            latency,
            static_cast<std::uint64_t>(std::max(stream.instance().effect()->initialDelay, 0)));
    }
    return loudest;
}

Loudest loudestFrom(const std::vector<float>& output, std::uint64_t from) {
    Loudest loudest;
    for (std::uint64_t at = from; at < output.size(); ++at) {
        if (output[at] > kSilence) {
            loudest.first = loudest.count == 0 ? at : loudest.first;
            loudest.last = at;
            loudest.peak = std::max(loudest.peak, output[at]);
            ++loudest.count;
        }
    }
    return loudest;
}

std::string describe(const Loudest& loudest) {
    return std::to_string(loudest.count) + " samples above 2^-24 (peak " +
           std::to_string(loudest.peak) + ", samples " + std::to_string(loudest.first) + ".." +
           std::to_string(loudest.last) + ")";
}

} // namespace

Outcome testResume(const tools::PluginLibrary& library) {
    std::string error;
    // A plug-in that makes sound from silence (a generator, a noise floor) cannot show
    // whether it replays the past: measure a fresh instance first.
    noteStep("silence through a fresh instance");
    auto fresh = Stream::open(library, 44100.0f, kBlock, error);
    if (!fresh) {
        return failure(error);
    }
    std::uint64_t latency =
        static_cast<std::uint64_t>(std::max(fresh->instance().effect()->initialDelay, 0));
    const Loudest baseline = loudestFrom(silenceThrough(*fresh, latency), latency);
    if (baseline.count != 0) {
        return {true, "not applicable: a fresh instance is not silent on silence either, " +
                          describe(baseline)};
    }

    noteStep("a sine, then suspend and resume");
    auto stream = Stream::open(library, 44100.0f, kBlock, error);
    if (!stream) {
        return failure(error);
    }
    ChannelBuffers& buffers = stream->buffers();
    const double step = 2.0 * std::numbers::pi * 441.0 / 44100.0;
    for (int b = 0; b < kSignalBlocks; ++b) {
        for (int c = 0; c < buffers.numInputs(); ++c) {
            for (int i = 0; i < kBlock; ++i) {
                const auto n = static_cast<double>(b * kBlock + i);
                buffers.input(c)[i] = static_cast<float>(0.707 * std::sin(step * n));
            }
        }
        stream->process(kBlock);
    }
    stream->changeBlockSize(kBlock); // suspend, then resume as hosts do

    noteStep("silence after resume");
    // A host that compensates latency aligns output sample n with input sample n - latency,
    // so the first `latency` samples after resume belong before the play position and are
    // never heard. From then on, anything but silence is the plug-in's memory of the past.
    latency = std::max<std::uint64_t>(latency, static_cast<std::uint64_t>(std::max(
                                                   stream->instance().effect()->initialDelay, 0)));
    const std::vector<float> output = silenceThrough(*stream, latency);
    const Loudest after = loudestFrom(output, latency);
    if (after.count != 0) {
        return failure("after resume, silence in gave " + describe(after) + "; latency " +
                       std::to_string(latency));
    }
    return {true, "silence out for " + std::to_string(kFedFrames - std::min(latency, kFedFrames)) +
                      " samples after the latency of " + std::to_string(latency) +
                      ", silence in after resume"};
}

} // namespace vorlen::validate
