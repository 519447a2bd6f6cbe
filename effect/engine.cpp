// The audio path: per-sample streaming into frames and out of the rings, and the hop.
#include <algorithm>
#include <cstdlib>

#include "hop_stages.h"
#include "smoothing.h"
#include "vorlen.h"

namespace {

/// The next white-noise sample, one of the 32768 values -1 + k/16384. The generator is the
/// C library's and is shared with everything else in the host process that uses it.
inline double nextNoise() noexcept {
    // Maps any RAND_MAX onto 0..32767; the identity where RAND_MAX is 32767.
    const unsigned long long r = static_cast<unsigned long long>(std::rand()) * 32768ULL /
                                 (static_cast<unsigned long long>(RAND_MAX) + 1ULL);
    return (static_cast<double>(r) * 3.0517578125e-05) * 2.0 - 1.0;
}

/// The half-width the smoothing is defined for, whatever the host has set.
inline int32_t smoothingHalfWidth(int32_t stored) noexcept {
    return std::clamp(stored, int32_t{0}, vorlen::kMaxSmoothingHalfWidth);
}

} // namespace

void vstVorlen::applyWindow(const double* source, double* destination) const noexcept {
    const double* __restrict w = window;
    for (int32_t i = 0; i < kFrameLength; ++i) {
        destination[i] = source[i] * w[i];
    }
}

void vstVorlen::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) noexcept {
    if (inputs == nullptr || outputs == nullptr || sampleFrames <= 0) {
        return;
    }
    const HostChannels host{inputs[0], inputs[1], outputs[0], outputs[1]};
    VstInt32 done = 0;
    while (done < sampleFrames) {
        // Each run ends where the frames fill up, so a hop only ever falls between runs.
        const VstInt32 run = std::min(sampleFrames - done, kFrameLength - fillPos);
        streamRun(host, done, run);
        done += run;
        if (fillPos == kFrameLength) {
            hop();
        }
    }
}

namespace {

/// frame[i] = input[i] widened, or silence for an absent channel.
void takeInput(const float* input, double* frame, VstInt32 count) noexcept {
    if (input == nullptr) {
        std::fill_n(frame, count, 0.0);
        return;
    }
    vorlen::widenSamples(input, frame, count);
}

/// output[i] = ring[i] narrowed; nothing for an absent channel.
void giveOutput(const double* ring, float* output, VstInt32 count) noexcept {
    if (output != nullptr) {
        vorlen::narrowSamples(ring, output, count);
    }
}

} // namespace

void vstVorlen::streamRun(const HostChannels& host, VstInt32 first, VstInt32 count) noexcept {
    // readPos and fillPos agree mod 1024 and the run stops at fillPos 2048, so neither
    // position wraps inside the run.
    const auto at = [first](auto* channel) {
        return channel != nullptr ? channel + first : nullptr;
    };
    // Every input sample of the run is read before any output sample is written, so a host
    // processing in place gets the same result as one with separate buffers. Apart, the
    // conversions vectorise; the noise draws cannot, being calls.
    takeInput(at(host.inL), frameL + fillPos, count);
    takeInput(at(host.inR), frameR + fillPos, count);
    giveOutput(outRingL + readPos, at(host.outL), count);
    giveOutput(outRingR + readPos, at(host.outR), count);
    double* __restrict newNoise = frameNoise + fillPos;
    for (VstInt32 i = 0; i < count; ++i) {
        newNoise[i] = nextNoise();
    }
    readPos = (readPos + count) % kFrameLength;
    fillPos += count;
}

void vstVorlen::hop() noexcept {
    // The transforms window the frames as they read them; the mix windows the dry frames
    // alike, so no windowed copy is ever kept.
    executeWindowedForward(forwardPlanL, window);
    executeWindowedForward(forwardPlanR, window);
    executeWindowedForward(forwardPlanNoise, window);

    // The three spectra are smoothed side by side, so one reading of Smoothing serves them
    // all, as one reading of Ratio serves the whole mix below.
    vorlen::shapeNoise(smoothingHalfWidth(smoothing.load(std::memory_order_relaxed)), spectrumL,
                       spectrumR, spectrumNoise, magL, magR, magNoise, shapedL, shapedR);
    executePlan(inversePlanL);
    executePlan(inversePlanR);

    const float wetRatio = ratio.load(std::memory_order_relaxed);
    const double dryWeight = static_cast<double>(1.0f - wetRatio);
    const double wetWeight = static_cast<double>(wetRatio);

    // writePos is 0 or 1024 here, so each half of the ring is one contiguous run.
    const int32_t firstHalf = writePos;
    const int32_t secondHalf = (writePos + kHopSize) % kFrameLength;
    vorlen::mixIntoRing(frameL, wetL, window, dryWeight, wetWeight, outRingL + firstHalf,
                        outRingL + secondHalf);
    vorlen::mixIntoRing(frameR, wetR, window, dryWeight, wetWeight, outRingR + firstHalf,
                        outRingR + secondHalf);
    vorlen::moveFrameOn(frameNoise);
    writePos = secondHalf;

    fillPos = kHopSize;
}
