// The shaping engine on its own: stereo input turned into noise that follows the input's
// spectral envelope, mixed with the windowed dry signal. It knows no plug-in interface; the
// plug-ins wrap it and translate their hosts' parameters into its terms.
#pragma once

#include <atomic>
#include <cstdint>

#include "fft_plan.h"
#include "noise_generator.h"

namespace vorlen {

/// Streaming spectral noise shaper for a stereo signal; owns every buffer it touches.
class ShapingEngine {
public:
    static constexpr int32_t kFrameLength = 2048; ///< samples per analysis frame
    static constexpr int32_t kHopSize = 1024;     ///< samples between hops, half a frame
    static constexpr int32_t kLatency = 2048;     ///< input-to-output delay in samples
    static constexpr int32_t kMaxHalfWidth = 20;  ///< widest smoothing, in bins either side

    /// Allocates every buffer and plan. Throws std::bad_alloc when memory runs out; nothing
    /// leaks then.
    ShapingEngine();
    /// Releases the plans, then the buffers.
    ~ShapingEngine();
    // The plans are bound to the addresses of the buffers they read and write.
    ShapingEngine(const ShapingEngine&) = delete;
    ShapingEngine& operator=(const ShapingEngine&) = delete;

    /// Streams `frames` samples of both channels: any block length >= 0 (others do nothing).
    /// A null input is silence, a null output is discarded; inputs and outputs may be the
    /// same buffers. Audio thread.
    void process(const float* inL, const float* inR, float* outL, float* outR,
                 int32_t frames) noexcept;

    /// Weight of the shaped noise in the mix (1: noise only), clamped to 0..1; NaN and
    /// infinities are ignored. Any thread; acts on the frames mixed at later hops.
    void setMix(float ratio) noexcept;
    /// Half-width of the spectral smoothing in bins, clamped to 0..kMaxHalfWidth. Any
    /// thread; acts from the next hop.
    void setHalfWidth(int32_t bins) noexcept;
    /// Noise as the GNU C library's rand() gives it after srand(seed), from the next hop.
    /// Without a call, each engine of a process takes the next of the seeds 1, 2, 3...
    /// Any thread.
    void setSeed(uint32_t seed) noexcept;
    /// Clean start: frames, rings and positions as after construction, and the noise
    /// restarted from the last seed. Never on the audio thread, nor while it processes.
    void reset() noexcept;

    /// The mix weight last set.
    float mix() const noexcept { return mixRatio.load(std::memory_order_relaxed); }
    /// The half-width last set, after clamping.
    int32_t halfWidth() const noexcept { return smoothing.load(std::memory_order_relaxed); }

    /// destination[i] = source[i] * window[i] over one frame; the arrays may be the same.
    void applyWindow(const double* source, double* destination) const noexcept;

private:
    /// Streams samples [first, first + count) of one call through the frames and out of the
    /// rings; the run must end at or before the next hop.
    void streamRun(const float* inL, const float* inR, float* outL, float* outR, int32_t first,
                   int32_t count) noexcept;
    /// Runs once per hop: analysis, shaping, resynthesis and overlap-add of one frame.
    void hop() noexcept;
    /// Frees whatever has been obtained, plans first; safe on a partly built engine.
    void release() noexcept;

    // Written on any thread while the audio thread reads them.
    std::atomic<float> mixRatio{1.0f};     ///< weight of the shaped noise; 1 is noise only
    std::atomic<int32_t> smoothing{10};    ///< smoothing half-width in bins
    std::atomic<uint32_t> seedValue;       ///< the seed the noise last started or will start from
    std::atomic<uint32_t> seedRequests{0}; ///< counts the restarts asked for

    NoiseGenerator noise;      ///< the engine's own white noise; audio thread only
    uint32_t seedsApplied = 0; ///< seedRequests as the audio thread last acted on it

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

} // namespace vorlen
