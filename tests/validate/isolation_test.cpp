// The pieces of the validator that judge what a plug-in did, apart from any plug-in: the
// child process that survives it, and the reading of its texts.
#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <unistd.h>

#include "guarded_text.h"
#include "isolated_check.h"

namespace vorlen::validate {
namespace {

using Check = std::function<Outcome(const tools::PluginLibrary&)>;

Outcome run(const Check& check, int timeoutSeconds = 30) {
    return runIsolated(check, FAULTY_PLUGIN_PATH, timeoutSeconds);
}

TEST(IsolatedCheck, PassesTheChildsVerdictBack) {
    const Outcome passed = run([](const tools::PluginLibrary&) { return Outcome{true, "fine"}; });
    EXPECT_TRUE(passed.passed);
    EXPECT_EQ(passed.detail, "fine");
    const Outcome failed = run([](const tools::PluginLibrary&) { return failure("broken"); });
    EXPECT_FALSE(failed.passed);
    EXPECT_EQ(failed.detail, "broken");
}

TEST(IsolatedCheck, NamesTheSignalAndTheLastStep) {
    const Outcome outcome = run([](const tools::PluginLibrary&) {
        noteStep("opcode %d, index %d", 52, -1);
        std::raise(SIGTERM);
        return Outcome{true, "unreachable"};
    });
    EXPECT_FALSE(outcome.passed);
    EXPECT_EQ(outcome.detail, "crashed: SIGTERM (Terminated) during opcode 52, index -1");
}

TEST(IsolatedCheck, EndsAHangAtItsTimeLimit) {
    const Outcome outcome = run(
        [](const tools::PluginLibrary&) {
            noteStep("spinning");
            for (;;) {
                pause();
            }
            return Outcome{true, "unreachable"};
        },
        1);
    EXPECT_FALSE(outcome.passed);
    EXPECT_EQ(outcome.detail, "hung: no verdict within 1 s during spinning");
}

TEST(IsolatedCheck, ReportsAnExitWithoutVerdictAndAnException) {
    const Outcome exited = run([](const tools::PluginLibrary&) -> Outcome { _exit(3); });
    EXPECT_FALSE(exited.passed);
    EXPECT_EQ(exited.detail, "the check's process exited with status 3 before its verdict");
    const Outcome threw = run(
        [](const tools::PluginLibrary&) -> Outcome { throw std::runtime_error("out of range"); });
    EXPECT_FALSE(threw.passed);
    EXPECT_EQ(threw.detail, "exception: out of range");
}

TEST(IsolatedCheck, ALoadErrorIsNotAPass) {
    std::string error;
    EXPECT_FALSE(probeLoad("/nonexistent/plugin.so", 30, error));
    EXPECT_NE(error.find("cannot load plug-in"), std::string::npos) << error;
    EXPECT_TRUE(probeLoad(FAULTY_PLUGIN_PATH, 30, error)) << error;
}

TEST(PrintableText, AcceptsUtf8AndRejectsControlsAndBrokenSequences) {
    for (const char* good : {"", "Gain",
                             "\xC2\xB0"
                             "C",
                             "\xC2\xB5s", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"}) {
        EXPECT_TRUE(isPrintableUtf8(good)) << good;
    }
    for (const char* bad : {"d\tB", "\x7F", "\xC2\x80", "\xC2", "\xC0\xAF", "\xED\xA0\x80", "\x80",
                            "\xF4\x90\x80\x80", "\xFF"}) {
        EXPECT_FALSE(isPrintableUtf8(bad)) << bad;
    }
}

} // namespace
} // namespace vorlen::validate
