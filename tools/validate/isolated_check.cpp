#include "isolated_check.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "plugin_library.h"

// LeakSanitizer only reports at a normal exit, which the child skips (it must not run the
// plug-in's static destructors outside a check); where it is linked in, ask it directly.
extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

namespace vorlen::validate {
namespace {

/// What a child tells its parent, in memory both see: written before each risky step, so
/// that it survives the child's death.
struct SharedReport {
    enum : int { kNone = 0, kPassed = 1, kFailed = 2 };
    volatile int verdict;
    char detail[4096];
    char step[512];
};

SharedReport* shared = nullptr;
bool insideChild = false;
bool inProcess = false;

SharedReport* sharedReport() {
    if (shared == nullptr) {
        void* memory = mmap(nullptr, sizeof(SharedReport), PROT_READ | PROT_WRITE,
                            MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) {
            return nullptr;
        }
        shared = static_cast<SharedReport*>(memory);
    }
    return shared;
}

void copyInto(char* out, std::size_t size, const std::string& text) {
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

std::string signalName(int signal) {
    const char* abbreviation = sigabbrev_np(signal);
    const char* description = strsignal(signal);
    std::string name = abbreviation != nullptr ? std::string("SIG") + abbreviation
                                               : "signal " + std::to_string(signal);
    if (description != nullptr) {
        name += std::string(" (") + description + ")";
    }
    return name;
}

[[noreturn]] void runChild(const std::function<Outcome(const tools::PluginLibrary&)>& check,
                           const std::string& path, SharedReport& report) {
    insideChild = true;
    // Its own process group, so that whatever the plug-in starts dies with it on a timeout.
    setpgid(0, 0);
    // Whatever the plug-in prints must not interleave with the verdict lines.
    dup2(STDERR_FILENO, STDOUT_FILENO);
    Outcome outcome;
    noteStep("loading the plug-in");
    std::string error;
    const auto library = tools::PluginLibrary::load(path, error);
    if (!library) {
        outcome = failure(error);
    } else {
        report.step[0] = '\0';
        try {
            outcome = check(*library);
        } catch (const std::exception& e) {
            outcome = failure(std::string("exception: ") + e.what());
        } catch (...) {
            outcome = failure("an exception of unknown type");
        }
    }
    if (outcome.passed && __lsan_do_recoverable_leak_check != nullptr &&
        __lsan_do_recoverable_leak_check() != 0) {
        outcome = failure("LeakSanitizer found leaks (its report is above)");
    }
    copyInto(report.detail, sizeof report.detail, outcome.detail);
    report.verdict = outcome.passed ? SharedReport::kPassed : SharedReport::kFailed;
    std::fflush(nullptr);
    _exit(0);
}

void sleepMilliseconds(long milliseconds) {
    timespec pause{0, milliseconds * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

} // namespace

void noteStep(const char* format, ...) noexcept {
    if (!insideChild || shared == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(shared->step, sizeof shared->step, format, arguments);
    va_end(arguments);
}

void runChecksInProcess() noexcept {
    inProcess = true;
}

Outcome runIsolated(const std::function<Outcome(const tools::PluginLibrary&)>& check,
                    const std::string& path, int timeoutSeconds) {
    if (inProcess) {
        std::string error;
        const auto library = tools::PluginLibrary::load(path, error);
        return library ? check(*library) : failure(error);
    }
    SharedReport* report = sharedReport();
    if (report == nullptr) {
        return failure(std::string("cannot share memory with a child: ") + std::strerror(errno));
    }
    report->verdict = SharedReport::kNone;
    report->detail[0] = '\0';
    report->step[0] = '\0';
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return failure(std::string("cannot fork: ") + std::strerror(errno));
    }
    if (child == 0) {
        runChild(check, path, *report);
    }

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    int status = 0;
    bool hung = false;
    long pause = 1;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            break;
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long elapsedMs =
            (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000LL;
        if (elapsedMs >= timeoutSeconds * 1000LL) {
            hung = true;
            kill(-child, SIGKILL);
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        sleepMilliseconds(pause);
        pause = std::min(pause * 2, 20L);
    }
    // Anything the plug-in left running in the child's group goes with it.
    kill(-child, SIGKILL);

    // The plug-in shared the child's memory, this page included: trust no terminator.
    report->step[sizeof report->step - 1] = '\0';
    report->detail[sizeof report->detail - 1] = '\0';
    const std::string step = report->step;
    const std::string during = step.empty() ? "" : " during " + step;
    const int verdict = report->verdict;
    if (hung) {
        return failure("hung: no verdict within " + std::to_string(timeoutSeconds) + " s" + during);
    }
    if (WIFSIGNALED(status)) {
        return failure("crashed: " + signalName(WTERMSIG(status)) + during);
    }
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (verdict == SharedReport::kNone) {
        return failure("the check's process exited with status " + std::to_string(exitStatus) +
                       " before its verdict" + during);
    }
    Outcome outcome{verdict == SharedReport::kPassed, report->detail};
    if (exitStatus != 0) {
        outcome = failure(outcome.detail + "; then its process exited with status " +
                          std::to_string(exitStatus));
    }
    return outcome;
}

bool probeLoad(const std::string& path, int timeoutSeconds, std::string& error) {
    const Outcome outcome = runIsolated(
        [](const tools::PluginLibrary&) {
            return Outcome{true, ""};
        },
        path, timeoutSeconds);
    error = outcome.detail;
    return outcome.passed;
}

} // namespace vorlen::validate
