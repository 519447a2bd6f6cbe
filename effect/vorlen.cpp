// Identity, parameters and the life cycle of the engine's buffers.
#include "vorlen.h"

#include <cmath>
#include <limits>
#include <new>

#include "hop_stages.h"
#include "smoothing.h"
#include "text_limit.h"
#include "vorlen_version.h"

namespace {

constexpr VstInt32 kUniqueId = ('k' << 24) | ('z' << 16) | ('q' << 8) | 'w';
constexpr VstInt32 kParamRatio = 0;
constexpr VstInt32 kParamSmoothing = 1;
constexpr VstInt32 kParamTextLimit = 8;
constexpr VstInt32 kNameLimit = 32;
constexpr VstInt32 kVendorLimit = 64;

/// A zeroed heap array of `count` elements; throws std::bad_alloc.
template <typename T>
T* obtain(int32_t count) {
    return new T[static_cast<size_t>(count)]();
}

/// The half-width a host value of the Smoothing parameter stands for, saturated to the
/// 32-bit range; false for NaN, which has none.
bool smoothingFromHost(float value, int32_t& halfWidth) noexcept {
    const double scaled = static_cast<double>(value) * 20.0 + 0.5;
    if (std::isnan(scaled)) {
        return false;
    }
    // Converting a value outside the integer's range is undefined: saturate it instead.
    if (scaled >= 2147483648.0) {
        halfWidth = std::numeric_limits<int32_t>::max();
    } else if (scaled <= -2147483649.0) {
        halfWidth = std::numeric_limits<int32_t>::min();
    } else {
        halfWidth = static_cast<int32_t>(scaled);
    }
    return true;
}

/// Frees one heap array and forgets it.
template <typename T>
void discard(T*& array) noexcept {
    delete[] array;
    array = nullptr;
}

} // namespace

vstVorlen::vstVorlen(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, 2), ratio(1.0f), smoothing(10) {
    setFlag(effFlagsIsSynth, false);
    setFlag(effFlagsCanReplacing, true);
    cEffect.numInputs = 2;
    cEffect.numOutputs = 2;
    cEffect.uniqueID = kUniqueId;
    cEffect.version = VORLEN_VERSION_NUMBER;
    cEffect.initialDelay = kLatency;

    try {
        frameL = obtain<double>(kFrameLength);
        frameR = obtain<double>(kFrameLength);
        frameNoise = obtain<double>(kFrameLength);
        outRingL = obtain<double>(kFrameLength);
        outRingR = obtain<double>(kFrameLength);
        window = obtain<double>(kFrameLength);
        vorlen::makeWindow(window);

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

        magL = obtain<double>(vorlen::kSpectrumBins);
        magR = obtain<double>(vorlen::kSpectrumBins);
        magNoise = obtain<double>(vorlen::kSpectrumBins);
    } catch (...) {
        // The destructor does not run for a constructor that throws.
        release();
        throw;
    }
}

vstVorlen::~vstVorlen() {
    release();
}

void vstVorlen::release() noexcept {
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

void vstVorlen::setParameter(VstInt32 index, float value) noexcept {
    if (index == kParamRatio) {
        // Any finite mix is honoured, even far outside 0..1; a NaN or infinite weight would
        // turn every output sample non-finite and spoil the host's whole mix, so it is ignored.
        if (std::isfinite(value)) {
            ratio.store(value, std::memory_order_relaxed);
        }
    } else if (index == kParamSmoothing) {
        int32_t halfWidth = 0;
        if (smoothingFromHost(value, halfWidth)) {
            smoothing.store(halfWidth, std::memory_order_relaxed);
        }
    }
}

float vstVorlen::getParameter(VstInt32 index) noexcept {
    if (index == kParamRatio) {
        return ratio.load(std::memory_order_relaxed);
    }
    if (index == kParamSmoothing) {
        const float halfWidth = static_cast<float>(smoothing.load(std::memory_order_relaxed));
        return static_cast<float>(static_cast<double>(halfWidth) / 20.0);
    }
    return 0.0f;
}

void vstVorlen::getParameterLabel(VstInt32 index, char* label) noexcept {
    if (index == kParamRatio) {
        vorlen::copyWithLimit(label, "", kParamTextLimit);
    } else if (index == kParamSmoothing) {
        vorlen::copyWithLimit(label, "samples", kParamTextLimit);
    }
}

void vstVorlen::getParameterDisplay(VstInt32 index, char* text) noexcept {
    if (index == kParamRatio) {
        float2string(ratio.load(std::memory_order_relaxed), text, kParamTextLimit);
    } else if (index == kParamSmoothing) {
        int2string(smoothing.load(std::memory_order_relaxed), text, kParamTextLimit);
    }
}

void vstVorlen::getParameterName(VstInt32 index, char* text) noexcept {
    if (index == kParamRatio) {
        vorlen::copyWithLimit(text, "Ratio", kParamTextLimit);
    } else if (index == kParamSmoothing) {
        vorlen::copyWithLimit(text, "Smoothing", kParamTextLimit);
    }
}

bool vstVorlen::getEffectName(char* name) noexcept {
    vorlen::copyWithLimit(name, "Vorlen", kNameLimit);
    return true;
}

bool vstVorlen::getVendorString(char* text) noexcept {
    vorlen::copyWithLimit(text, "Plomb", kVendorLimit);
    return true;
}

bool vstVorlen::getProductString(char* text) noexcept {
    vorlen::copyWithLimit(text, "Vorlen", kVendorLimit);
    return true;
}
