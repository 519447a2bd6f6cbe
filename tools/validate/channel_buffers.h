// The host side of the audio: one buffer per input and output channel.
#pragma once

#include <vector>

#include "white_noise.h"

namespace vorlen::validate {

/// Input and output channel buffers of `maxFrames` samples each, in the pointer-array form
/// that processReplacing takes.
class ChannelBuffers {
public:
    /// At least one channel each way, so that a plug-in that ignores its counts still
    /// finds memory behind the first pointer.
    ChannelBuffers(int numInputs, int numOutputs, int maxFrames);

    /// The input pointer array.
    float** inputs() noexcept { return inputPointers_.data(); }
    /// The output pointer array.
    float** outputs() noexcept { return outputPointers_.data(); }
    /// Input channel `channel`.
    float* input(int channel) noexcept { return inputPointers_[channel]; }
    /// Output channel `channel`.
    float* output(int channel) noexcept { return outputPointers_[channel]; }
    /// Number of input channels.
    int numInputs() const noexcept { return static_cast<int>(inputPointers_.size()); }
    /// Number of output channels.
    int numOutputs() const noexcept { return static_cast<int>(outputPointers_.size()); }
    /// Frames each buffer holds.
    int maxFrames() const noexcept { return maxFrames_; }

    /// Fills the first `frames` samples of every input with noise.
    void fillInputs(WhiteNoise& noise, int frames) noexcept;
    /// Sets the first `frames` samples of every input to `value`.
    void fillInputs(float value, int frames) noexcept;
    /// Points each output at its input, as a host that processes in place does; `false`
    /// restores the separate output buffers.
    void processInPlace(bool inPlace) noexcept;

private:
    int maxFrames_;
    std::vector<std::vector<float>> inputStore_;
    std::vector<std::vector<float>> outputStore_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
};

} // namespace vorlen::validate
