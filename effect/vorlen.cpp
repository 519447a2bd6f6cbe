// Identity and parameters of the VST 2.4 effect, and its engine behind them.
#include "vorlen.h"

#include <algorithm>
#include <cmath>

#include "text_limit.h"

namespace {

constexpr VstInt32 kUniqueId = ('k' << 24) | ('z' << 16) | ('q' << 8) | 'w';
constexpr VstInt32 kParamRatio = 0;
constexpr VstInt32 kParamSmoothing = 1;
constexpr VstInt32 kParamTextLimit = 8;
constexpr VstInt32 kNameLimit = 32;
constexpr VstInt32 kVendorLimit = 64;

/// Selects the seed among the vendor-specific requests (effVendorSpecific's index).
constexpr VstInt32 kSeedRequest = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';

/// A host value clamped to the parameters' range 0..1; false for NaN, which has no place in
/// it.
bool unitFromHost(float value, float& unit) noexcept {
    if (std::isnan(value)) {
        return false;
    }
    unit = std::clamp(value, 0.0f, 1.0f);
    return true;
}

/// The half-width, 0..20 bins, that a Smoothing value of 0..1 stands for: quantised to
/// twentieths, halves rounded up.
int32_t halfWidthFromUnit(float unit) noexcept {
    return static_cast<int32_t>(static_cast<double>(unit) * 20.0 + 0.5);
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

void vstVorlen::resume() noexcept {
    AudioEffectX::resume();
    // Hosts suspend on transport stops and relocations; what the frames and rings held then
    // belongs to audio from before, which must not come out after.
    engine.reset();
}

VstIntPtr vstVorlen::vendorSpecific(VstInt32 selector, VstIntPtr value, void* pointer,
                                    float option) noexcept {
    if (selector != kSeedRequest) {
        return AudioEffectX::vendorSpecific(selector, value, pointer, option);
    }
    // Any 32-bit seed, unsigned or (from a host whose value is 32 bits wide) its signed
    // reading; nothing wider, which would have to be cut short.
    const auto wide = static_cast<long long>(value);
    if (wide < -2147483648LL || wide > 4294967295LL) {
        return 0;
    }
    engine.setSeed(static_cast<uint32_t>(wide));
    return 1;
}

void vstVorlen::setParameter(VstInt32 index, float value) noexcept {
    // Hosts send 0..1; a value outside it is held at the nearest end, so that the display,
    // getParameter and the audio agree. NaN is ignored, and so is an infinite Ratio, as an
    // error rather than a setting.
    float unit = 0.0f;
    if (!unitFromHost(value, unit)) {
        return;
    }
    if (index == kParamRatio) {
        if (std::isfinite(value)) {
            ratio.store(unit, std::memory_order_relaxed);
            engine.setMix(unit);
        }
    } else if (index == kParamSmoothing) {
        const int32_t halfWidth = halfWidthFromUnit(unit);
        smoothing.store(halfWidth, std::memory_order_relaxed);
        engine.setHalfWidth(halfWidth);
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
    } else {
        vorlen::copyWithLimit(label, "", kParamTextLimit);
    }
}

void vstVorlen::getParameterDisplay(VstInt32 index, char* text) noexcept {
    if (index == kParamRatio) {
        float2string(ratio.load(std::memory_order_relaxed), text, kParamTextLimit);
    } else if (index == kParamSmoothing) {
        int2string(smoothing.load(std::memory_order_relaxed), text, kParamTextLimit);
    } else {
        vorlen::copyWithLimit(text, "", kParamTextLimit);
    }
}

void vstVorlen::getParameterName(VstInt32 index, char* text) noexcept {
    if (index == kParamRatio) {
        vorlen::copyWithLimit(text, "Ratio", kParamTextLimit);
    } else if (index == kParamSmoothing) {
        vorlen::copyWithLimit(text, "Smoothing", kParamTextLimit);
    } else {
        vorlen::copyWithLimit(text, "", kParamTextLimit);
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
