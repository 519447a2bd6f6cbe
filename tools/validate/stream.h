// One prepared instance with its buffers and stream position.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channel_buffers.h"
#include "plugin_instance.h"
#include "sample_scan.h"

namespace vorlen::validate {

/// An instance prepared the way hosts prepare one for audio (effOpen, sample rate, block
/// size, effMainsChanged 1), with channel buffers and the count of samples processed.
class Stream {
public:
    /// Creates and prepares an instance; on failure returns nothing and sets `error`.
    static std::optional<Stream> open(const tools::PluginLibrary& library, float sampleRate,
                                      int maxBlock, std::string& error);

    /// The instance being driven.
    tools::PluginInstance& instance() noexcept { return instance_; }
    /// Its buffers; fill the inputs before `process`.
    ChannelBuffers& buffers() noexcept { return buffers_; }
    /// Samples processed since the instance was created.
    std::uint64_t position() const noexcept { return position_; }

    /// Processes the first `frames` input samples; scans every output channel into `scan`
    /// when one is given. `frames` must not exceed the buffers' size.
    void process(int frames, SampleScan* scan = nullptr) noexcept { process(0, frames, scan); }
    /// As process, for the input samples from `offset` on, writing the outputs from there.
    void process(int offset, int frames, SampleScan* scan) noexcept;
    /// Fills the inputs with noise and processes `total` samples in blocks of `block`.
    void processNoise(WhiteNoise& noise, std::uint64_t total, int block,
                      SampleScan* scan = nullptr) noexcept;
    /// Tells the instance of a new block size between suspend and resume, as hosts do.
    void changeBlockSize(int frames) noexcept;

private:
    Stream(tools::PluginInstance instance, int maxBlock)
        : instance_(std::move(instance)),
          buffers_(instance_.effect()->numInputs, instance_.effect()->numOutputs, maxBlock) {}

    tools::PluginInstance instance_;
    ChannelBuffers buffers_;
    std::vector<float*> inputView_;
    std::vector<float*> outputView_;
    std::uint64_t position_ = 0;
};

} // namespace vorlen::validate
