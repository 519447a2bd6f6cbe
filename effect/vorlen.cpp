// Identity and parameters of the VST 2.4 effect, and its engine behind them.
#include "vorlen.h"

#include <cmath>
#include <limits>

#include "text_limit.h"

namespace {

constexpr VstInt32 kUniqueId = ('k' << 24) | ('z' << 16) | ('q' << 8) | 'w';
constexpr VstInt32 kParamRatio = 0;
constexpr VstInt32 kParamSmoothing = 1;
constexpr VstInt32 kParamTextLimit = 8;
constexpr VstInt32 kNameLimit = 32;
constexpr VstInt32 kVendorLimit = 64;

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

} // namespace

vstVorlen::vstVorlen(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 1, 2), ratio(1.0f), smoothing(10) {
    setFlag(effFlagsIsSynth, false);
    setFlag(effFlagsCanReplacing, true);
    cEffect.numInputs = 2;
    cEffect.numOutputs = 2;
    cEffect.uniqueID = kUniqueId;
    cEffect.initialDelay = kLatency;

    engine.setMix(ratio.load(std::memory_order_relaxed));
    engine.setHalfWidth(smoothing.load(std::memory_order_relaxed));
}

vstVorlen::~vstVorlen() = default;

void vstVorlen::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) noexcept {
    if (inputs == nullptr || outputs == nullptr) {
        return;
    }
    engine.process(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

void vstVorlen::setParameter(VstInt32 index, float value) noexcept {
    if (index == kParamRatio) {
        // Any finite mix is honoured, even far outside 0..1; a NaN or infinite weight would
        // turn every output sample non-finite and spoil the host's whole mix, so it is ignored.
        if (std::isfinite(value)) {
            ratio.store(value, std::memory_order_relaxed);
            engine.setMix(value);
        }
    } else if (index == kParamSmoothing) {
        int32_t halfWidth = 0;
        if (smoothingFromHost(value, halfWidth)) {
            smoothing.store(halfWidth, std::memory_order_relaxed);
            engine.setHalfWidth(halfWidth);
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
