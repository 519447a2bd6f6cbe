// Vorlen as an LV2 plug-in: the shaping engine behind LV2's descriptor. Control ports are
// read at the start of every run(), converted to engine terms, and the latency port is
// written there too.
#include <lv2/core/lv2.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "shaping_engine.h"
#include "vorlen_lv2.h"

namespace {

using vorlen::ShapingEngine;

/// One plug-in instance: the engine and where the host connected each port.
struct Instance {
    ShapingEngine engine;
    const float* inL = nullptr;
    const float* inR = nullptr;
    float* outL = nullptr;
    float* outR = nullptr;
    const float* ratio = nullptr;
    const float* smoothing = nullptr;
    float* latency = nullptr;
};

/// The half-width a Smoothing port value stands for, rounded to the nearest integer (halves
/// up, as the VST2 build quantises its parameter); false for NaN, which stands for none. Values
/// beyond the range are saturated first, since converting them to an integer is undefined.
bool halfWidthFromPort(float value, int32_t& halfWidth) noexcept {
    if (std::isnan(value)) {
        return false;
    }
    const float bounded =
        std::fmin(std::fmax(value, 0.0f), static_cast<float>(ShapingEngine::kMaxHalfWidth));
    halfWidth = static_cast<int32_t>(std::lround(bounded));
    return true;
}

LV2_Handle instantiate(const LV2_Descriptor* /*descriptor*/, double /*rate*/,
                       const char* /*bundlePath*/,
                       const LV2_Feature* const* /*features*/) noexcept {
    // The engine works in samples, whatever the rate, and needs no host feature.
    try {
        return new Instance();
    } catch (...) {
        // Nothing may escape into the host; null tells it that instantiation failed.
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) noexcept {
    auto* self = static_cast<Instance*>(handle);
    switch (port) {
    case VORLEN_LV2_IN_LEFT:
        self->inL = static_cast<const float*>(data);
        break;
    case VORLEN_LV2_IN_RIGHT:
        self->inR = static_cast<const float*>(data);
        break;
    case VORLEN_LV2_OUT_LEFT:
        self->outL = static_cast<float*>(data);
        break;
    case VORLEN_LV2_OUT_RIGHT:
        self->outR = static_cast<float*>(data);
        break;
    case VORLEN_LV2_RATIO:
        self->ratio = static_cast<const float*>(data);
        break;
    case VORLEN_LV2_SMOOTHING:
        self->smoothing = static_cast<const float*>(data);
        break;
    case VORLEN_LV2_LATENCY:
        self->latency = static_cast<float*>(data);
        break;
    default:
        // An index we never declared: nothing to connect.
        break;
    }
}

void activate(LV2_Handle handle) noexcept {
    // A host activates after a stop or relocation: nothing from before may come out.
    static_cast<Instance*>(handle)->engine.reset();
}

void run(LV2_Handle handle, uint32_t sampleCount) noexcept {
    auto* self = static_cast<Instance*>(handle);
    // A port left unconnected keeps the last value it gave.
    if (self->ratio != nullptr) {
        self->engine.setMix(*self->ratio);
    }
    int32_t halfWidth = 0;
    if (self->smoothing != nullptr && halfWidthFromPort(*self->smoothing, halfWidth)) {
        self->engine.setHalfWidth(halfWidth);
    }
    if (self->latency != nullptr) {
        *self->latency = static_cast<float>(ShapingEngine::kLatency);
    }
    // The engine takes blocks of any length in pieces no longer than its counter's range.
    constexpr uint32_t kMaxPiece = 1u << 30;
    uint32_t done = 0;
    while (done < sampleCount) {
        const uint32_t piece = std::min(sampleCount - done, kMaxPiece);
        auto at = [done](auto* buffer) { return buffer == nullptr ? nullptr : buffer + done; };
        self->engine.process(at(self->inL), at(self->inR), at(self->outL), at(self->outR),
                             static_cast<int32_t>(piece));
        done += piece;
    }
}

void deactivate(LV2_Handle /*handle*/) noexcept {}

void cleanup(LV2_Handle handle) noexcept {
    delete static_cast<Instance*>(handle);
}

void setSeed(void* handle, uint32_t seed) noexcept {
    static_cast<Instance*>(handle)->engine.setSeed(seed);
}

const VorlenLv2Seed kSeedInterface = {setSeed};

const void* extensionData(const char* uri) noexcept {
    if (uri != nullptr && std::strcmp(uri, VORLEN_LV2__seed) == 0) {
        return &kSeedInterface;
    }
    return nullptr;
}

const LV2_Descriptor kDescriptor = {
    VORLEN_LV2_URI, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData,
};

} // namespace

/// The bundle's one plug-in at index 0; null past it.
LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
