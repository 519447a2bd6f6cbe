#include "stream_renderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "progress_bar.h"
#include "tool_error.h"

namespace vorlen::render {
namespace {

// Below 24-bit resolution: a tail this quiet is over for any output format.
constexpr float kSilence = 1.0f / 16777216.0f;
// How long a tail without a reported size may run at most, in seconds.
constexpr double kMaxTailSeconds = 60.0;

/// Planar buffers the plug-in reads and writes, and the interleaved ones the
/// files use. Sized once for the whole rendering.
class BlockBuffers {
public:
    BlockBuffers(int blockSize, int fileChannels, int effectInputs, int effectOutputs,
                 int outputChannels)
        : blockSize_(blockSize), fileChannels_(fileChannels), outputChannels_(outputChannels),
          fileFrames_(static_cast<std::size_t>(blockSize) * fileChannels),
          outFrames_(static_cast<std::size_t>(blockSize) * outputChannels),
          inputs_(static_cast<std::size_t>(std::max(effectInputs, 2)) * blockSize, 0.0f),
          outputs_(static_cast<std::size_t>(std::max(effectOutputs, 2)) * blockSize, 0.0f) {
        // Every channel the plug-in claims gets a buffer, so it never reads or
        // writes through a missing pointer; channels beyond two stay silent.
        for (int c = 0; c < std::max(effectInputs, 2); ++c) {
            inputPointers_.push_back(inputs_.data() + static_cast<std::size_t>(c) * blockSize);
        }
        for (int c = 0; c < std::max(effectOutputs, 2); ++c) {
            outputPointers_.push_back(outputs_.data() + static_cast<std::size_t>(c) * blockSize);
        }
    }

    float* fileFrames() noexcept { return fileFrames_.data(); }
    float* outFrames() noexcept { return outFrames_.data(); }
    float** inputs() noexcept { return inputPointers_.data(); }
    float** outputs() noexcept { return outputPointers_.data(); }

    /// Splits `frames` interleaved file frames into the first two inputs;
    /// mono feeds both. The rest of the block is silence.
    void loadInputs(int frames) noexcept {
        float* __restrict left = inputPointers_[0];
        float* __restrict right = inputPointers_[1];
        const float* __restrict source = fileFrames_.data();
        const auto stride = static_cast<std::size_t>(fileChannels_);
        for (std::size_t i = 0; i < static_cast<std::size_t>(frames); ++i) {
            left[i] = source[i * stride];
            right[i] = source[i * stride + stride - 1];
        }
        std::fill(left + frames, left + blockSize_, 0.0f);
        std::fill(right + frames, right + blockSize_, 0.0f);
    }

    /// Interleaves output frames [first, first + count) into outFrames().
    void storeOutputs(int first, int count) noexcept {
        float* __restrict dest = outFrames_.data();
        const auto stride = static_cast<std::size_t>(outputChannels_);
        for (std::size_t c = 0; c < stride; ++c) {
            const float* __restrict source = outputPointers_[c] + first;
            for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
                dest[i * stride + c] = source[i];
            }
        }
    }

private:
    int blockSize_;
    int fileChannels_;
    int outputChannels_;
    std::vector<float> fileFrames_;
    std::vector<float> outFrames_;
    std::vector<float> inputs_;
    std::vector<float> outputs_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
};

void writeFrames(SoundFile& output, const float* frames, std::int64_t count) {
    if (count > 0 && sf_writef_float(output.handle(), frames, count) != count) {
        throw ToolError(kExitFailure,
                        std::string("cannot write the output: ") + libraryMessage(output.handle()));
    }
}

} // namespace

RenderStats renderStream(const tools::PluginInstance& instance, SoundFile& input, SoundFile& output,
                         const RenderSettings& settings, const volatile std::sig_atomic_t& stop) {
    const AEffect& effect = *instance.effect();
    const int block = settings.blockSize;
    const int outputChannels = output.info().channels;
    BlockBuffers buffers(block, input.info().channels, effect.numInputs, effect.numOutputs,
                         outputChannels);

    const std::int64_t delay =
        settings.latencyCompensation ? std::max<std::int64_t>(effect.initialDelay, 0) : 0;
    // Effects answer 1 for "no tail"; 0 means they do not say.
    const VstIntPtr reportedTail = settings.tail ? instance.dispatch(effGetTailSize) : 0;
    const double rate = input.info().samplerate;
    const std::int64_t quietEnough =
        std::max<std::int64_t>({2 * delay, static_cast<std::int64_t>(rate), block});
    const auto longestTail = static_cast<std::int64_t>(kMaxTailSeconds * rate);
    const std::int64_t maxTail =
        reportedTail > 1 ? std::min<std::int64_t>(reportedTail, longestTail) : longestTail;

    // libsndfile reports SF_COUNT_MAX frames when a format does not say.
    const sf_count_t knownFrames = input.info().frames;
    ProgressBar progress(knownFrames > 0 && knownFrames < SF_COUNT_MAX ? knownFrames + delay : 0);
    RenderStats stats;
    std::int64_t fed = 0;           // frames handed to the plug-in so far
    std::int64_t streamLength = -1; // frames to feed for the input itself, once known
    std::int64_t tailFed = 0;
    std::int64_t quietRun = 0;
    std::vector<float> held; // quiet tail frames, written only if sound follows

    while (true) {
        if (stop != 0) {
            throw ToolError(kExitInterrupted, "interrupted; no output written");
        }
        int frames = block;
        int inputFrames = 0;
        if (streamLength < 0) {
            const sf_count_t got = sf_readf_float(input.handle(), buffers.fileFrames(), block);
            inputFrames = static_cast<int>(std::max<sf_count_t>(got, 0));
            if (inputFrames < block) {
                if (sf_error(input.handle()) != SF_ERR_NO_ERROR) {
                    throw badInput(std::string("cannot read the input: ") +
                                   libraryMessage(input.handle()));
                }
                stats.inputFrames += inputFrames;
                streamLength = stats.inputFrames + delay;
                frames = static_cast<int>(std::min<std::int64_t>(block, streamLength - fed));
            } else {
                stats.inputFrames += inputFrames;
            }
        } else if (fed >= streamLength) {
            if (!settings.tail || tailFed >= maxTail ||
                (reportedTail <= 1 && quietRun >= quietEnough)) {
                break;
            }
            frames = static_cast<int>(std::min<std::int64_t>(block, maxTail - tailFed));
        } else {
            frames = static_cast<int>(std::min<std::int64_t>(block, streamLength - fed));
        }
        if (frames <= 0) {
            continue; // nothing left for the stream itself; the tail decides next
        }
        buffers.loadInputs(inputFrames);
        instance.processReplacing(buffers.inputs(), buffers.outputs(), frames);

        // Output frame fed + i belongs to the file once the delay is dropped;
        // beyond the stream it belongs to the tail.
        const std::int64_t streamEnd = streamLength < 0 ? fed + frames : streamLength;
        const int first = static_cast<int>(std::clamp<std::int64_t>(delay - fed, 0, frames));
        const int last = static_cast<int>(std::clamp<std::int64_t>(streamEnd - fed, first, frames));
        buffers.storeOutputs(first, last - first);
        writeFrames(output, buffers.outFrames(), last - first);
        stats.outputFrames += last - first;

        if (last < frames) {
            const int count = frames - last;
            buffers.storeOutputs(last, count);
            const float* tail = buffers.outFrames();
            if (reportedTail > 1) {
                writeFrames(output, tail, count);
                stats.outputFrames += count;
            } else {
                for (int i = 0; i < count; ++i) {
                    const float* frame = tail + static_cast<std::size_t>(i) * outputChannels;
                    const bool quiet = std::all_of(frame, frame + outputChannels, [](float x) {
                        return std::fabs(x) <= kSilence;
                    });
                    if (quiet) {
                        held.insert(held.end(), frame, frame + outputChannels);
                        ++quietRun;
                        continue;
                    }
                    const auto heldFrames = static_cast<std::int64_t>(held.size()) / outputChannels;
                    writeFrames(output, held.data(), heldFrames);
                    writeFrames(output, frame, 1);
                    stats.outputFrames += heldFrames + 1;
                    held.clear();
                    quietRun = 0;
                }
            }
            tailFed += count;
        }
        fed += frames;
        progress.update(fed);
    }
    return stats;
}

} // namespace vorlen::render
