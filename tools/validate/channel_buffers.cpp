#include "channel_buffers.h"

#include <algorithm>

namespace vorlen::validate {

ChannelBuffers::ChannelBuffers(int numInputs, int numOutputs, int maxFrames)
    : maxFrames_(std::max(maxFrames, 1)),
      inputStore_(static_cast<std::size_t>(std::max(numInputs, 1)),
                  std::vector<float>(static_cast<std::size_t>(maxFrames_), 0.0f)),
      outputStore_(static_cast<std::size_t>(std::max(numOutputs, 1)),
                   std::vector<float>(static_cast<std::size_t>(maxFrames_), 0.0f)) {
    for (auto& channel : inputStore_) {
        inputPointers_.push_back(channel.data());
    }
    processInPlace(false);
}

void ChannelBuffers::fillInputs(WhiteNoise& noise, int frames) noexcept {
    for (float* channel : inputPointers_) {
        noise.fill(channel, static_cast<std::size_t>(frames));
    }
}

void ChannelBuffers::fillInputs(float value, int frames) noexcept {
    for (float* channel : inputPointers_) {
        std::fill(channel, channel + frames, value);
    }
}

void ChannelBuffers::processInPlace(bool inPlace) noexcept {
    outputPointers_.clear();
    for (std::size_t c = 0; c < outputStore_.size(); ++c) {
        const bool shared = inPlace && c < inputStore_.size();
        outputPointers_.push_back(shared ? inputStore_[c].data() : outputStore_[c].data());
    }
}

} // namespace vorlen::validate
