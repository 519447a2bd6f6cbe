#include "pending_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tool_error.h"

namespace vorlen::render {

PendingOutput::PendingOutput(std::string target) : target_(std::move(target)) {
    const std::filesystem::path path(target_);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    // A dot name keeps the unfinished file out of the way of file browsers.
    std::string name = ".";
    name += path.filename().string();
    name += ".partial-XXXXXX";
    temporary_ = (folder / name).string();
    std::vector<char> pattern(temporary_.begin(), temporary_.end());
    pattern.push_back('\0');
    fd_ = mkstemp(pattern.data());
    if (fd_ < 0) {
        throw badInput("cannot write into '" + folder.string() + "': " + std::strerror(errno));
    }
    temporary_ = pattern.data();
    // mkstemp makes the file private; the result should get the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

PendingOutput::~PendingOutput() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_) {
        unlink(temporary_.c_str());
    }
}

void PendingOutput::commit() {
    const int fd = fd_;
    fd_ = -1;
    // A failed close can be the first news of a full disk on some file systems.
    if (::close(fd) != 0) {
        throw ToolError(kExitFailure,
                        "cannot finish writing '" + target_ + "': " + std::strerror(errno));
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw ToolError(kExitFailure, "cannot create '" + target_ + "': " + std::strerror(errno));
    }
    committed_ = true;
}

std::string outputTarget(const std::string& input, const std::string& output) {
    struct stat out {};
    if (stat(output.c_str(), &out) != 0) {
        return output; // nothing there yet (a dangling link is replaced)
    }
    if (S_ISDIR(out.st_mode)) {
        throw badInput("the output '" + output + "' is a folder; name a file");
    }
    if (!S_ISREG(out.st_mode)) {
        throw badInput("the output '" + output + "' is not a regular file");
    }
    struct stat in {};
    if (!input.empty() && stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino) {
        throw badInput("the output '" + output + "' is the input file; refusing to overwrite it");
    }
    std::error_code ec;
    if (std::filesystem::is_symlink(output, ec)) {
        const std::filesystem::path resolved = std::filesystem::canonical(output, ec);
        if (!ec) {
            return resolved.string();
        }
    }
    return output;
}

} // namespace vorlen::render
