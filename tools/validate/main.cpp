// vorlen-validate: loads a VST 2.4 plug-in and checks that it survives what hosts do to it.
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <string>

#include "audio_thread_monitor.h"
#include "default_plugin.h"
#include "plugin_library.h"
#include "validator_tests.h"
#include "vorlen_version.h"

namespace {

void printUsage(const char* program) {
    std::printf("usage: %s [--only TEST]... [--list] [PLUGIN]\n"
                "       %s --help | --version\n"
                "Loads PLUGIN (default: the Vorlen plug-in built with this program) and runs\n"
                "every test, or those named with --only. Exits non-zero if any test fails.\n",
                program, program);
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorlen::validate;
    // Before anything may allocate on a thread that a test marks as an audio thread.
    installAllocationMonitor();

    std::set<std::string> only;
    std::string path;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--only" && i + 1 < argc) {
            only.insert(argv[++i]);
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "-h" || arg == "--help") {
            printUsage(argv[0]);
            return 0;
        } else if (arg == "--version") {
            std::printf("vorlen-validate (Vorlen) %s\n", VORLEN_VERSION_STRING);
            return 0;
        } else if (!arg.empty() && arg[0] != '-' && path.empty()) {
            path = arg;
        } else {
            printUsage(argv[0]);
            return 2;
        }
    }

    const std::vector<ValidatorTest> tests = allTests();
    if (list) {
        for (const ValidatorTest& test : tests) {
            std::printf("%s\n", test.name.c_str());
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

    std::string error;
    const auto library = vorlen::tools::PluginLibrary::load(path, error);
    if (!library) {
        std::printf("FAIL load: %s\n0 passed, 1 failed\n", error.c_str());
        return 1;
    }
    std::printf("validating %s\n", path.c_str());
    std::fflush(stdout);

    int passed = 0;
    int failed = 0;
    for (const ValidatorTest& test : tests) {
        if (!only.empty() && only.count(test.name) == 0) {
            continue;
        }
        Outcome outcome;
        try {
            outcome = test.run(*library);
        } catch (const std::exception& e) {
            outcome = failure(std::string("exception: ") + e.what());
        }
        std::printf("%s %s: %s\n", outcome.passed ? "PASS" : "FAIL", test.name.c_str(),
                    outcome.detail.c_str());
        std::fflush(stdout);
        (outcome.passed ? passed : failed) += 1;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
