// An output file that appears under its name only when it is complete.
#pragma once

#include <string>

namespace vorlen::render {

/// A temporary file in the target's folder, renamed onto the target by
/// `commit` and removed on destruction otherwise, so that a failed or
/// interrupted run leaves neither a partial file nor a damaged old one.
class PendingOutput {
public:
    /// Creates the temporary file next to `target`; throws ToolError (exit
    /// status 2) when the folder is missing or not writable.
    explicit PendingOutput(std::string target);
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    /// Removes the temporary file unless it was committed.
    ~PendingOutput();

    /// The open temporary file; it stays ours to close.
    int descriptor() const noexcept { return fd_; }
    /// Closes the finished temporary file and moves it onto the target name.
    void commit();

    /// The final name.
    const std::string& target() const noexcept { return target_; }

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

/// The path to create for the user's `output`: the file a symbolic link
/// points to (so the link survives), else `output` itself. Throws ToolError
/// (exit status 2) when that is the input file (same device and inode,
/// whatever the spelling), a folder, or anything but a regular file (a device
/// or a pipe would be replaced by the rename).
std::string outputTarget(const std::string& input, const std::string& output);

} // namespace vorlen::render
