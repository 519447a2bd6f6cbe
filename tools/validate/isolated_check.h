// Runs each check in a child process of its own, so that a plug-in that crashes or hangs
// fails that check alone and the run still reaches its summary.
#pragma once

#include <functional>
#include <string>

#include "validator_tests.h"

namespace vorlen::validate {

/// Records what the check is about to do, for the report should the child die doing it.
/// Writes to memory shared with the parent: no system call, no allocation. A no-op outside
/// an isolated check.
void noteStep(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));

/// Loads the plug-in at `path` in a child process and returns whether that worked; on
/// failure `error` says why (the loader's reason, or the signal that ended the child).
bool probeLoad(const std::string& path, int timeoutSeconds, std::string& error);

/// Runs every later check in this process instead, with no time limit: for a debugger.
void runChecksInProcess() noexcept;

/// Forks, loads the plug-in at `path` afresh in the child and runs `check` there, killing
/// the child after `timeoutSeconds`. A crash, a hang, an exit without a verdict or a
/// sanitizer report after it are failures that say what happened and the last step noted.
Outcome runIsolated(const std::function<Outcome(const tools::PluginLibrary&)>& check,
                    const std::string& path, int timeoutSeconds);

} // namespace vorlen::validate
