// Hosts suspend a plug-in on transport stop and relocation and resume it before the next
// play: nothing from before the stop may come out after it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

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
// Checked after the latency: longer than any frame or delay line a plug-in is likely to keep.
constexpr std::uint64_t kCheckedFrames = 1 << 15;

struct Loudest {
    float peak = 0.0f;
    std::uint64_t first = 0; ///< position after resume of the first sample above kSilence
    std::uint64_t last = 0;  ///< and of the last
    std::uint64_t count = 0; ///< samples above kSilence
};

// Feeds silence for `frames` samples and measures the output from sample `from` on.
Loudest silenceThrough(Stream& stream, std::uint64_t frames, std::uint64_t from) {
    Loudest loudest;
    ChannelBuffers& buffers = stream.buffers();
    for (std::uint64_t done = 0; done < frames; done += kBlock) {
        buffers.fillInputs(0.0f, kBlock);
        stream.process(kBlock);
        for (int c = 0; c < buffers.numOutputs(); ++c) {
            for (int i = 0; i < kBlock; ++i) {
                const float magnitude = std::fabs(buffers.output(c)[i]);
                // NaN counts as sound: it is certainly not silence.
                const std::uint64_t at = done + static_cast<std::uint64_t>(i);
                if (at >= from && !(magnitude <= kSilence)) {
                    loudest.first = loudest.count == 0 ? at : std::min(loudest.first, at);
                    loudest.last = std::max(loudest.last, at);
                    loudest.peak =
                        std::isnan(magnitude) ? magnitude : std::max(loudest.peak, magnitude);
                    ++loudest.count;
                }
            }
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
    const auto latency =
        static_cast<std::uint64_t>(std::max(fresh->instance().effect()->initialDelay, 0));
    const std::uint64_t frames = latency + kCheckedFrames;
    const Loudest baseline = silenceThrough(*fresh, frames, latency);
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
    const Loudest after = silenceThrough(*stream, frames, latency);
    if (after.count != 0) {
        return failure("after resume, silence in gave " + describe(after) + "; latency " +
                       std::to_string(latency));
    }
    return {true, "silence out for " + std::to_string(frames) +
                      " samples of silence in after resume, latency " + std::to_string(latency)};
}

} // namespace vorlen::validate
