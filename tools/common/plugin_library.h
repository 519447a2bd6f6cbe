// A plug-in shared library loaded into this process, and its entry point.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "aeffect.h"

namespace vorlen::tools {

/// A loaded plug-in library. Copies share one loader handle; the library is
/// unloaded when the last copy (including the one every PluginInstance keeps)
/// goes away, so no instance can outlive its code.
class PluginLibrary {
public:
    /// Loads the library at `path` and resolves `VSTPluginMain`, falling back to
    /// `main`. On failure returns nothing and puts a one-line reason in `error`.
    static std::optional<PluginLibrary> load(const std::string& path, std::string& error);

    /// The entry point that creates one effect per call.
    VstPluginMainProc entryPoint() const noexcept { return entry_; }

    /// The path the library was loaded from, as given to `load`.
    const std::string& path() const noexcept { return path_; }

private:
    PluginLibrary(std::shared_ptr<void> handle, VstPluginMainProc entry, std::string path)
        : handle_(std::move(handle)), entry_(entry), path_(std::move(path)) {}

    std::shared_ptr<void> handle_;
    VstPluginMainProc entry_;
    std::string path_;
};

} // namespace vorlen::tools
