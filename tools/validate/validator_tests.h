// The validator's tests. Each drives fresh instances of one plug-in library through its
// binary interface and returns a verdict.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plugin_library.h"

namespace vorlen::validate {

/// The verdict of one test and a line on what it saw.
struct Outcome {
    bool passed = true; ///< no fault found
    std::string detail; ///< what was checked, or the first fault found
};

/// A fault: failed, with `detail` saying what went wrong.
inline Outcome failure(std::string detail) {
    return {false, std::move(detail)};
}

/// Which promise a test holds a plug-in to.
enum class Tier {
    contract, ///< what real hosts do: declared block sizes, valid values, well-formed calls
    hostile,  ///< what no host should do but a plug-in should survive: arbitrary arguments,
              ///< non-finite parameters and audio
};

/// "contract" or "hostile".
const char* tierName(Tier tier) noexcept;

/// One named test.
struct ValidatorTest {
    std::string name;                                        ///< short id, for --only
    Tier tier;                                               ///< what it holds the plug-in to
    std::function<Outcome(const tools::PluginLibrary&)> run; ///< the test itself
};

/// Every test in the order it runs.
std::vector<ValidatorTest> allTests();

/// 100 instances opened and closed in a row, then 8 open and processing at once.
Outcome testOpenClose(const tools::PluginLibrary& library);
/// Record fields and identity strings: terminated within their limits, printable.
Outcome testIdentity(const tools::PluginLibrary& library);
/// Parameter texts, and getParameter after setParameter of 0, 0.5 and 1 stable.
Outcome testParameters(const tools::PluginLibrary& library);
/// White noise at `sampleRate` through every block size: no NaN, infinity or subnormal.
Outcome testProcessing(const tools::PluginLibrary& library, float sampleRate);
/// Random parameter values every 32 samples while processing.
Outcome testAutomation(const tools::PluginLibrary& library);
/// Hostile parameter values, then valid ones: output finite again within a bound.
Outcome testParameterFuzzing(const tools::PluginLibrary& library);
/// Non-finite, subnormal and huge input, then ordinary input: output finite again in time.
Outcome testBadAudio(const tools::PluginLibrary& library);
/// Opcodes -16..128 with harmless arguments, and text opcodes against guard bytes.
Outcome testDispatcherSweep(const tools::PluginLibrary& library);
/// No heap call, no lock and no futex on the processing thread inside processReplacing.
Outcome testAudioThread(const tools::PluginLibrary& library);
/// Capability questions, programs, chunks saved and restored, events, start and stop.
Outcome testHostCalls(const tools::PluginLibrary& library);
/// Audio in, suspend, resume, silence in: nothing from before the suspension comes out.
Outcome testResume(const tools::PluginLibrary& library);
/// Parameters and texts hammered from a second thread while the first processes.
Outcome testThreads(const tools::PluginLibrary& library);
/// Instances opened, run and closed on several threads at once.
Outcome testParallelInstances(const tools::PluginLibrary& library);

} // namespace vorlen::validate
