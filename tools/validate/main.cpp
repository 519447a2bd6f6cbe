// vorlen-validate: loads a VST 2.4 plug-in and checks that it survives what hosts do to it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "audio_thread_monitor.h"
#include "default_plugin.h"
#include "isolated_check.h"
#include "validator_tests.h"
#include "vorlen_version.h"

namespace {

constexpr int kDefaultTimeoutSeconds = 120;

void printUsage(std::FILE* out, const char* program) {
    std::fprintf(out,
                 "usage: %s [--only TEST]... [--timeout SECONDS] [--in-process] [--list] [PLUGIN]\n"
                 "       %s --help | --version\n"
                 "Loads PLUGIN (default: the Vorlen plug-in built with this program) and runs\n"
                 "every test, or those named with --only, each in a process of its own that\n"
                 "may take at most SECONDS (default %d). Exits 0 if every test passes, 1 if\n"
                 "any fails, 2 if the plug-in cannot be loaded or the arguments are wrong.\n"
                 "--in-process runs the tests in this process without a time limit, for a\n"
                 "debugger: a crash then ends the run.\n",
                 program, program, kDefaultTimeoutSeconds);
}

bool parseSeconds(const char* text, int& seconds) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 86400) {
        return false;
    }
    seconds = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorlen::validate;
    // Before anything may allocate on a thread that a test marks as an audio thread; the
    // children that run the tests inherit it.
    installAllocationMonitor();

    std::set<std::string> only;
    std::string path;
    bool list = false;
    int timeoutSeconds = kDefaultTimeoutSeconds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--only" && i + 1 < argc) {
            only.insert(argv[++i]);
        } else if (arg == "--timeout" && i + 1 < argc) {
            if (!parseSeconds(argv[++i], timeoutSeconds)) {
                std::fprintf(stderr, "%s: --timeout wants whole seconds, 1..86400\n", argv[0]);
                return 2;
            }
        } else if (arg == "--in-process") {
            runChecksInProcess();
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "-h" || arg == "--help") {
            printUsage(stdout, argv[0]);
            return 0;
        } else if (arg == "--version") {
            std::printf("vorlen-validate (Vorlen) %s\n", VORLEN_VERSION_STRING);
            return 0;
        } else if (!arg.empty() && arg[0] != '-' && path.empty()) {
            path = arg;
        } else {
            printUsage(stderr, argv[0]);
            return 2;
        }
    }

    const std::vector<ValidatorTest> tests = allTests();
    if (list) {
        for (const ValidatorTest& test : tests) {
            std::printf("%s (%s)\n", test.name.c_str(), tierName(test.tier));
        }
        return 0;
    }
    for (const std::string& name : only) {
        bool known = false;
        for (const ValidatorTest& test : tests) {
            known = known || test.name == name;
        }
        if (!known) {
            std::fprintf(stderr, "%s: no test named '%s' (see --list)\n", argv[0], name.c_str());
            return 2;
        }
    }
    if (path.empty()) {
        path = vorlen::tools::defaultPluginPath();
    }

    // The plug-in never runs in this process: each test loads it in a child, so that a crash
    // or a hang costs that test alone.
    std::string error;
    if (!probeLoad(path, timeoutSeconds, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    std::printf("validating %s\n", path.c_str());
    std::fflush(stdout);

    int passed = 0;
    int failed = 0;
    int tierPassed[2] = {0, 0};
    int tierFailed[2] = {0, 0};
    for (const ValidatorTest& test : tests) {
        if (!only.empty() && only.count(test.name) == 0) {
            continue;
        }
        const Outcome outcome = runIsolated(test.run, path, timeoutSeconds);
        std::printf("%s %s [%s]: %s\n", outcome.passed ? "PASS" : "FAIL", test.name.c_str(),
                    tierName(test.tier), outcome.detail.c_str());
        std::fflush(stdout);
        const auto tier = static_cast<std::size_t>(test.tier);
        ++(outcome.passed ? tierPassed : tierFailed)[tier];
        ++(outcome.passed ? passed : failed);
    }
    std::printf("host contract: %d passed, %d failed; hostile input: %d passed, %d failed\n",
                tierPassed[0], tierFailed[0], tierPassed[1], tierFailed[1]);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
