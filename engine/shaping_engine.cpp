// The engine's buffers and their life cycle, and the audio path: per-sample streaming into
// frames and out of the rings, and the hop.
#include "shaping_engine.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "hop_stages.h"
#include "smoothing.h"

namespace vorlen {

namespace {

/// A zeroed heap array of `count` elements; throws std::bad_alloc.
template <typename T>
T* obtain(int32_t count) {
    return new T[static_cast<size_t>(count)]();
}

/// Frees one heap array and forgets it.
template <typename T>
void discard(T*& array) noexcept {
    delete[] array;
    array = nullptr;
}

/// The default seed of the next engine made in this process. The first engine gets 1, the
/// seed the C library's generator starts from when nobody seeds it; later ones differ.
std::atomic<uint32_t> nextDefaultSeed{1};

/// frame[i] = input[i] widened, or silence for an absent channel.
void takeInput(const float* input, double* frame, int32_t count) noexcept {
    if (input == nullptr) {
        std::fill_n(frame, count, 0.0);
        return;
    }
    widenSamples(input, frame, count);
}

/// output[i] = ring[i] narrowed; nothing for an absent channel.
void giveOutput(const double* ring, float* output, int32_t count) noexcept {
    if (output != nullptr) {
        narrowSamples(ring, output, count);
    }
}

} // namespace

ShapingEngine::ShapingEngine()
    : seedValue(nextDefaultSeed.fetch_add(1, std::memory_order_relaxed)),
      noise(seedValue.load(std::memory_order_relaxed)) {
    try {
        frameL = obtain<double>(kFrameLength);
        frameR = obtain<double>(kFrameLength);
        frameNoise = obtain<double>(kFrameLength);
        outRingL = obtain<double>(kFrameLength);
        outRingR = obtain<double>(kFrameLength);
        window = obtain<double>(kFrameLength);
        makeWindow(window);

        spectrumL = obtain<ComplexBin>(kFrameLength);
        spectrumR = obtain<ComplexBin>(kFrameLength);
        spectrumNoise = obtain<ComplexBin>(kFrameLength);
        forwardPlanL = makeForwardPlan(frameL, spectrumL);
        forwardPlanR = makeForwardPlan(frameR, spectrumR);
        forwardPlanNoise = makeForwardPlan(frameNoise, spectrumNoise);

        shapedL = obtain<ComplexBin>(kFrameLength);
        shapedR = obtain<ComplexBin>(kFrameLength);
        wetL = obtain<double>(kFrameLength);
        wetR = obtain<double>(kFrameLength);
        inversePlanL = makeInversePlan(shapedL, wetL);
        inversePlanR = makeInversePlan(shapedR, wetR);

        magL = obtain<double>(kSpectrumBins);
        magR = obtain<double>(kSpectrumBins);
        magNoise = obtain<double>(kSpectrumBins);
    } catch (...) {
        // The destructor does not run for a constructor that throws.
        release();
        throw;
    }
}

ShapingEngine::~ShapingEngine() {
    release();
}

void ShapingEngine::release() noexcept {
    // A plan never made is all zeros, and releasing null arrays is harmless.
    releasePlan(forwardPlanL);
    releasePlan(forwardPlanR);
    releasePlan(forwardPlanNoise);
    releasePlan(inversePlanL);
    releasePlan(inversePlanR);
    discard(frameL);
    discard(frameR);
    discard(frameNoise);
    discard(window);
    discard(outRingL);
    discard(outRingR);
    discard(spectrumL);
    discard(spectrumR);
    discard(spectrumNoise);
    discard(shapedL);
    discard(shapedR);
    discard(wetL);
    discard(wetR);
    discard(magL);
    discard(magR);
    discard(magNoise);
}

void ShapingEngine::setMix(float ratio) noexcept {
    // A NaN or infinite weight would turn every output sample non-finite and spoil the
    // host's whole mix, so it is ignored; weights outside 0..1 would amplify.
    if (std::isfinite(ratio)) {
        mixRatio.store(std::clamp(ratio, 0.0f, 1.0f), std::memory_order_relaxed);
    }
}

void ShapingEngine::setHalfWidth(int32_t bins) noexcept {
    smoothing.store(std::clamp(bins, int32_t{0}, kMaxHalfWidth), std::memory_order_relaxed);
}

void ShapingEngine::setSeed(uint32_t seed) noexcept {
    seedValue.store(seed, std::memory_order_relaxed);
    seedRequests.fetch_add(1, std::memory_order_release);
}

void ShapingEngine::reset() noexcept {
    for (double* array : {frameL, frameR, frameNoise, outRingL, outRingR}) {
        std::fill_n(array, kFrameLength, 0.0);
    }
    fillPos = kHopSize;
    readPos = 0;
    writePos = kHopSize;
    // The noise starts over from the seed too, so a clean start sounds as a fresh engine
    // with the same seed: a host that renders the same passage twice gets the same result.
    seedRequests.fetch_add(1, std::memory_order_release);
}

void ShapingEngine::applyWindow(const double* source, double* destination) const noexcept {
    const double* __restrict w = window;
    for (int32_t i = 0; i < kFrameLength; ++i) {
        destination[i] = source[i] * w[i];
    }
}

void ShapingEngine::process(const float* inL, const float* inR, float* outL, float* outR,
                            int32_t frames) noexcept {
    int32_t done = 0;
    while (done < frames) {
        // Each run ends where the frames fill up, so a hop only ever falls between runs.
        const int32_t run = std::min(frames - done, kFrameLength - fillPos);
        streamRun(inL, inR, outL, outR, done, run);
        done += run;
        if (fillPos == kFrameLength) {
            hop();
        }
    }
}

void ShapingEngine::streamRun(const float* inL, const float* inR, float* outL, float* outR,
                              int32_t first, int32_t count) noexcept {
    // readPos and fillPos agree mod 1024 and the run stops at fillPos 2048, so neither
    // position wraps inside the run.
    const auto at = [first](auto* channel) {
        return channel != nullptr ? channel + first : nullptr;
    };
    // Every input sample of the run is read before any output sample is written, so a host
    // processing in place gets the same result as one with separate buffers. The noise
    // frame's newer half is drawn at the hop, all at once.
    takeInput(at(inL), frameL + fillPos, count);
    takeInput(at(inR), frameR + fillPos, count);
    giveOutput(outRingL + readPos, at(outL), count);
    giveOutput(outRingR + readPos, at(outR), count);
    readPos = (readPos + count) % kFrameLength;
    fillPos += count;
}

void ShapingEngine::hop() noexcept {
    // A seed set since the last hop restarts the sequence for this hop's draws. The draws
    // fill the frame's newer half as one draw per streamed sample would have, in order.
    const uint32_t requests = seedRequests.load(std::memory_order_acquire);
    if (requests != seedsApplied) {
        seedsApplied = requests;
        noise.seed(seedValue.load(std::memory_order_relaxed));
    }
    noise.fillNoise(frameNoise + kHopSize, kHopSize);

    // The transforms window the frames as they read them; the mix windows the dry frames
    // alike, so no windowed copy is ever kept.
    executeWindowedForward(forwardPlanL, window);
    executeWindowedForward(forwardPlanR, window);
    executeWindowedForward(forwardPlanNoise, window);

    // The three spectra are smoothed side by side, so one reading of the half-width serves
    // them all, as one reading of the mix serves the whole mix below.
    shapeNoise(smoothing.load(std::memory_order_relaxed), spectrumL, spectrumR, spectrumNoise, magL,
               magR, magNoise, shapedL, shapedR);
    executePlan(inversePlanL);
    executePlan(inversePlanR);

    const float wetRatio = mixRatio.load(std::memory_order_relaxed);
    const double dryWeight = static_cast<double>(1.0f - wetRatio);
    const double wetWeight = static_cast<double>(wetRatio);

    // writePos is 0 or 1024 here, so each half of the ring is one contiguous run.
    const int32_t firstHalf = writePos;
    const int32_t secondHalf = (writePos + kHopSize) % kFrameLength;
    mixIntoRing(frameL, wetL, window, dryWeight, wetWeight, outRingL + firstHalf,
                outRingL + secondHalf);
    mixIntoRing(frameR, wetR, window, dryWeight, wetWeight, outRingR + firstHalf,
                outRingR + secondHalf);
    moveFrameOn(frameNoise);
    writePos = secondHalf;

    fillPos = kHopSize;
}

} // namespace vorlen
