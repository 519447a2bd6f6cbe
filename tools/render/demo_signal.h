// The built-in demo: a short stereo signal that shows what the effect does.
#pragma once

#include <vector>

namespace vorlen::render {

/// Sample rate of the demo signal, in Hz.
constexpr int kDemoSampleRate = 44100;

/// About six seconds of interleaved stereo: a sung-vowel-like harmonic tone
/// whose formants glide from "ee" through "ah" to "oo" while its pitch drifts,
/// and percussive hits (a low thump, a noise snap) panned across. Peaks stay
/// near half of full scale. The same every time.
std::vector<float> makeDemoSignal();

} // namespace vorlen::render
