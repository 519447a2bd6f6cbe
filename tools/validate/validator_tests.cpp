#include "validator_tests.h"

namespace vorlen::validate {

const char* tierName(Tier tier) noexcept {
    return tier == Tier::contract ? "contract" : "hostile";
}

std::vector<ValidatorTest> allTests() {
    using enum Tier;
    std::vector<ValidatorTest> tests = {
        {"open-close", contract, testOpenClose},
        {"identity", contract, testIdentity},
        {"parameters", contract, testParameters},
    };
    for (const float rate : {44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f}) {
        tests.push_back({"process-" + std::to_string(static_cast<int>(rate)), contract,
                         [rate](const tools::PluginLibrary& library) {
                             return testProcessing(library, rate);
                         }});
    }
    tests.push_back({"automation", contract, testAutomation});
    tests.push_back({"host-calls", contract, testHostCalls});
    tests.push_back({"resume", contract, testResume});
    tests.push_back({"audio-thread", contract, testAudioThread});
    tests.push_back({"threads", contract, testThreads});
    tests.push_back({"parallel-instances", contract, testParallelInstances});
    tests.push_back({"parameter-fuzzing", hostile, testParameterFuzzing});
    tests.push_back({"bad-audio", hostile, testBadAudio});
    tests.push_back({"dispatcher-sweep", hostile, testDispatcherSweep});
    return tests;
}

} // namespace vorlen::validate
