// The plug-in's effect: the shaping engine behind the VST 2.4 interface.
#pragma once

#include <atomic>
#include <cstdint>

#include "audioeffectx.h"
#include "shaping_engine.h"

/// The Vorlen effect. The host reaches it only through the embedded AEffect record; the
/// object owns its engine, and the engine every buffer and plan, from construction to
/// destruction, so processing allocates nothing.
class vstVorlen : public AudioEffectX {
public:
    static constexpr int32_t kFrameLength = vorlen::ShapingEngine::kFrameLength;
    static constexpr int32_t kHopSize = vorlen::ShapingEngine::kHopSize;
    static constexpr int32_t kLatency = vorlen::ShapingEngine::kLatency;

    /// Builds the engine. Throws std::bad_alloc when memory runs out; nothing leaks then.
    explicit vstVorlen(audioMasterCallback audioMaster);
    ~vstVorlen() override;

    /// Streams `sampleFrames` samples of both channels through the engine. Audio thread.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) noexcept override;

    /// Clean start of the engine: what comes out after resume is what a new instance would
    /// give. Not on the audio thread.
    void resume() noexcept override;

    /// Selector 'Seed': the noise starts over from the seed in `value` (0..2^32-1, or its
    /// signed 32-bit reading) at the next hop, as after srand(value) in the GNU C library;
    /// answers 1. Other selectors as AudioEffectX.
    VstIntPtr vendorSpecific(VstInt32 selector, VstIntPtr value, void* pointer,
                             float option) noexcept override;

    /// Both parameters are clamped to 0..1 and NaN is ignored. 0: Ratio, stored as so
    /// clamped (an infinite value is ignored). 1: Smoothing, quantised to a half-width in bins.
    void setParameter(VstInt32 index, float value) noexcept override;
    /// The stored value in the host's terms; 0.0 for unknown indices.
    float getParameter(VstInt32 index) noexcept override;
    /// "" for Ratio, "samples" for Smoothing, "" for unknown indices.
    void getParameterLabel(VstInt32 index, char* label) noexcept override;
    /// The stored value as text: Ratio as a number, Smoothing as its half-width; "" for
    /// unknown indices.
    void getParameterDisplay(VstInt32 index, char* text) noexcept override;
    /// "Ratio" or "Smoothin" (the host's eight-character limit); "" for unknown indices.
    void getParameterName(VstInt32 index, char* text) noexcept override;

    /// "Vorlen".
    bool getEffectName(char* name) noexcept override;
    /// "Plomb".
    bool getVendorString(char* text) noexcept override;
    /// "Vorlen".
    bool getProductString(char* text) noexcept override;

    /// destination[i] = source[i] * window[i] over one frame; the arrays may be the same.
    void applyWindow(const double* source, double* destination) const noexcept {
        engine.applyWindow(source, destination);
    }

private:
    // Parameters in the host's terms, as the display shows them; the engine holds them in
    // its own terms. Written by setParameter on any host thread.
    std::atomic<float> ratio;       ///< dry/wet mix, 0..1; 1 is noise only
    std::atomic<int32_t> smoothing; ///< smoothing half-width in bins, 0..20

    vorlen::ShapingEngine engine; ///< everything the audio path touches
};
