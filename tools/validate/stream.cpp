#include "stream.h"

#include <algorithm>

namespace vorlen::validate {

std::optional<Stream> Stream::open(const tools::PluginLibrary& library, float sampleRate,
                                   int maxBlock, std::string& error) {
    auto instance = tools::PluginInstance::create(library, error);
    if (!instance) {
        return std::nullopt;
    }
    if (!instance->canProcessReplacing()) {
        error = "the record offers no processReplacing";
        return std::nullopt;
    }
    instance->open();
    instance->setSampleRate(sampleRate);
    instance->setBlockSize(maxBlock);
    instance->resume();
    return Stream(std::move(*instance), maxBlock);
}

void Stream::process(int offset, int frames, SampleScan* scan) noexcept {
    // Views into the buffers, kept as members so that building them never allocates.
    inputView_.resize(static_cast<std::size_t>(buffers_.numInputs()));
    outputView_.resize(static_cast<std::size_t>(buffers_.numOutputs()));
    for (int c = 0; c < buffers_.numInputs(); ++c) {
        inputView_[static_cast<std::size_t>(c)] = buffers_.input(c) + offset;
    }
    for (int c = 0; c < buffers_.numOutputs(); ++c) {
        outputView_[static_cast<std::size_t>(c)] = buffers_.output(c) + offset;
    }
    instance_.processReplacing(inputView_.data(), outputView_.data(), frames);
    if (scan != nullptr) {
        for (int c = 0; c < buffers_.numOutputs(); ++c) {
            scan->add(outputView_[static_cast<std::size_t>(c)], frames, position_);
        }
    }
    position_ += static_cast<std::uint64_t>(std::max(frames, 0));
}

void Stream::processNoise(WhiteNoise& noise, std::uint64_t total, int block,
                          SampleScan* scan) noexcept {
    for (std::uint64_t done = 0; done < total;) {
        const int frames = static_cast<int>(std::min<std::uint64_t>(block, total - done));
        buffers_.fillInputs(noise, frames);
        process(frames, scan);
        done += static_cast<std::uint64_t>(frames);
    }
}

void Stream::changeBlockSize(int frames) noexcept {
    instance_.suspend();
    instance_.setBlockSize(frames);
    instance_.resume();
}

} // namespace vorlen::validate
