// The one way the render tool reports a failure to its user.
#pragma once

#include <stdexcept>
#include <string>

namespace vorlen::render {

/// Exit statuses of vorlen-render.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,  ///< something went wrong while rendering (disk full, ...)
    kExitBadInput = 2, ///< the user's files, options or plug-in cannot be used
    kExitInterrupted = 130,
};

/// A failure with a one-line message for the user and the exit status it maps to.
class ToolError : public std::runtime_error {
public:
    /// `message` is shown after "vorlen-render: error: ".
    ToolError(int status, const std::string& message)
        : std::runtime_error(message), status_(status) {}

    /// The process exit status for this failure.
    int status() const noexcept { return status_; }

private:
    int status_;
};

/// A failure caused by the user's input: exit status 2.
inline ToolError badInput(const std::string& message) {
    return {kExitBadInput, message};
}

} // namespace vorlen::render
