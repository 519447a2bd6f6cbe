// A small stereo gain plug-in with one deliberate fault per build flavour, for proving that
// the validator catches what it claims to catch. Without a fault flavour it is a plug-in
// that passes every test, which shows the validator holds no assumption peculiar to Vorlen.
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "audioeffectx.h"

namespace {

class FaultyGain : public AudioEffectX {
public:
    explicit FaultyGain(audioMasterCallback master) noexcept : AudioEffectX(master, 1, 1) {
#if defined(FAULT_LEAKS)
        leaked = new float[4096]; // never released: every instance loses it
#endif
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(VST_FOURCC('f', 'l', 't', 'y'));
    }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) noexcept override {
#if defined(FAULT_ALLOCATES)
        std::vector<float> scratch(static_cast<std::size_t>(frames > 0 ? frames : 1));
        sink = scratch.data();
#elif defined(FAULT_LOCKS)
        std::lock_guard<std::mutex> hold(mutex);
#endif
        for (VstInt32 i = 0; i < frames; ++i) {
            // A parameter smoother: a non-finite target poisons it for good when unguarded.
            smoothedGain = 0.999f * smoothedGain + 0.001f * static_cast<float>(gain);
            for (int c = 0; c < 2; ++c) {
                float y = inputs[c][i] * smoothedGain;
#if defined(FAULT_POISONED_BY_AUDIO)
                memory[c] = 0.5f * memory[c] + y; // a filter state that keeps a NaN forever
                y = memory[c];
#elif defined(FAULT_MUTES_AFTER_BAD_INPUT)
                muted = muted || !std::isfinite(y); // "protects" the host by muting for good
                y = muted ? 0.0f : y;
#elif defined(FAULT_SUBNORMAL_OUTPUT)
                y *= 1e-39f;
#endif
                outputs[c][i] = y;
            }
        }
    }

    void setParameter(VstInt32 index, float value) noexcept override {
        if (index == 0) {
#if defined(FAULT_POISONED_BY_PARAMETER)
            gain = value;
#else
            gain = std::isfinite(value) ? std::fmin(std::fmax(value, 0.0f), 1.0f) : 1.0f;
#endif
        }
    }
    float getParameter(VstInt32 index) noexcept override {
#if defined(FAULT_UNSTABLE_PARAMETER)
        return index == 0 ? static_cast<float>(gain) * 0.9f : 0.0f;
#else
        return index == 0 ? static_cast<float>(gain) : 0.0f;
#endif
    }
    void getParameterName(VstInt32 index, char* text) noexcept override {
        if (index == 0) {
#if defined(FAULT_TEXT_OVERRUN)
            std::strcpy(text, "Gain of the effect"); // ignores the limit of 8
#else
            std::strncpy(text, "Gain", 9);
#endif
        }
    }
    bool getEffectName(char* text) noexcept override {
        std::strncpy(text, "Faulty", 33);
        return true;
    }
    bool getVendorString(char* text) noexcept override {
        std::strncpy(text, "Vorlen tests", 65);
        return true;
    }
    bool getProductString(char* text) noexcept override {
        std::strncpy(text, "Faulty", 65);
        return true;
    }

private:
#if defined(FAULT_RACE)
    float gain = 1.0f; // written by the host's parameter thread while the audio thread reads
#else
    std::atomic<float> gain = 1.0f;
#endif
    float smoothedGain = 1.0f;
    float memory[2] = {0.0f, 0.0f};
    std::mutex mutex;
    float* volatile sink = nullptr;
    float* leaked = nullptr;
    bool muted = false;
};

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback master) {
    auto* effect = new (std::nothrow) FaultyGain(master);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}
