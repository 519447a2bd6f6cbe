// The plug-in's effect: stereo input turned into noise that follows the input's spectral
// envelope, mixed with the windowed dry signal.
#pragma once

#include <atomic>
#include <cstdint>

#include "audioeffectx.h"
#include "fft_plan.h"

/// The Vorlen effect. The host reaches it only through the embedded AEffect record; the
/// object owns every buffer and plan of the engine from construction to destruction, so
/// processing allocates nothing.
class vstVorlen : public AudioEffectX {
public:
    static constexpr int32_t kFrameLength = 2048; ///< samples per analysis frame
    static constexpr int32_t kHopSize = 1024;     ///< samples between hops, half a frame
    static constexpr int32_t kLatency = 2048;     ///< input-to-output delay in samples

    /// Builds the engine. Throws std::bad_alloc when memory runs out; nothing leaks then.
    explicit vstVorlen(audioMasterCallback audioMaster);
    /// Releases the plans, then the buffers.
    ~vstVorlen() override;

    /// Streams `sampleFrames` samples of both channels through the engine. Audio thread.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) noexcept override;

    /// 0: Ratio, stored as given. 1: Smoothing, quantised to a half-width in bins.
    void setParameter(VstInt32 index, float value) noexcept override;
    /// The stored value in the host's terms; 0.0 for unknown indices.
    float getParameter(VstInt32 index) noexcept override;
    /// "" for Ratio, "samples" for Smoothing.
    void getParameterLabel(VstInt32 index, char* label) noexcept override;
    /// The stored value as text: Ratio as a number, Smoothing as its half-width.
    void getParameterDisplay(VstInt32 index, char* text) noexcept override;
    /// "Ratio" or "Smoothin" (the host's eight-character limit).
    void getParameterName(VstInt32 index, char* text) noexcept override;

    /// "Vorlen".
    bool getEffectName(char* name) noexcept override;
    /// "Plomb".
    bool getVendorString(char* text) noexcept override;
    /// "Vorlen".
    bool getProductString(char* text) noexcept override;

    /// destination[i] = source[i] * window[i] over one frame; the arrays may be the same.
    void applyWindow(const double* source, double* destination) const noexcept;

private:
    /// The host's four channel buffers for one call; any of them may be null.
    struct HostChannels {
        const float* inL;
        const float* inR;
        float* outL;
        float* outR;
    };

    /// Streams samples [first, first + count) of one call through the frames and out of the
    /// rings; the run must end at or before the next hop.
    void streamRun(const HostChannels& host, VstInt32 first, VstInt32 count) noexcept;
    /// Runs once per hop: analysis, shaping, resynthesis and overlap-add of one frame.
    void hop() noexcept;
    /// Frees whatever has been obtained, plans first; safe on a partly built engine.
    void release() noexcept;

    // Written by setParameter on any host thread while the audio thread reads them.
    std::atomic<float> ratio;       ///< dry/wet mix, unclamped; 1 is noise only
    std::atomic<int32_t> smoothing; ///< smoothing half-width in bins, as the host set it

    double* frameL = nullptr;        ///< [0,1024): newer half of the previous frame; rest filling
    double* frameR = nullptr;        ///< as frameL, right channel
    double* frameNoise = nullptr;    ///< as frameL, the engine's own white noise
    double* outRingL = nullptr;      ///< overlap-added output waiting to be sent
    double* outRingR = nullptr;      ///< as outRingL, right channel
    int32_t fillPos = kHopSize;      ///< frame position of the next input sample, 1024..2047
    int32_t readPos = 0;             ///< ring position of the next output sample
    int32_t writePos = kHopSize;     ///< ring position where the next hop starts adding, 0 or 1024
    ComplexBin* spectrumL = nullptr; ///< forward transforms; bins 0..1024 used
    ComplexBin* spectrumR = nullptr;
    ComplexBin* spectrumNoise = nullptr;
    FftPlan forwardPlanL{};
    FftPlan forwardPlanR{};
    FftPlan forwardPlanNoise{};
    ComplexBin* shapedL = nullptr; ///< noise bins rescaled to the signal's envelope
    ComplexBin* shapedR = nullptr;
    double* wetL = nullptr; ///< inverse transforms, unscaled; scaled and windowed in the mix
    double* wetR = nullptr;
    FftPlan inversePlanL{};
    FftPlan inversePlanR{};
    double* window = nullptr; ///< square-root periodic Hann, for analysis and synthesis

    // Per-hop scratch, kept here so that the audio thread never allocates.
    double* magL = nullptr;     ///< magnitudes of spectrumL, read by the smoothing
    double* magR = nullptr;     ///< magnitudes of spectrumR
    double* magNoise = nullptr; ///< magnitudes of spectrumNoise
};
