#include "validator_tests.h"

namespace vorlen::validate {

std::vector<ValidatorTest> allTests() {
    std::vector<ValidatorTest> tests = {
        {"open-close", testOpenClose},
        {"identity", testIdentity},
        {"parameters", testParameters},
    };
    for (const float rate : {44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f}) {
        tests.push_back({"process-" + std::to_string(static_cast<int>(rate)),
                         [rate](const tools::PluginLibrary& library) {
                             return testProcessing(library, rate);
                         }});
    }
    tests.push_back({"automation", testAutomation});
    tests.push_back({"parameter-fuzzing", testParameterFuzzing});
    tests.push_back({"bad-audio", testBadAudio});
    tests.push_back({"dispatcher-sweep", testDispatcherSweep});
    tests.push_back({"audio-thread", testAudioThread});
    tests.push_back({"threads", testThreads});
    tests.push_back({"parallel-instances", testParallelInstances});
    return tests;
}

} // namespace vorlen::validate
