// Loads the built plug-in through the operating system's own loader, as a host does.
#ifndef VORLEN_TESTS_WINDOWS_PLUGIN_LIBRARY_H
#define VORLEN_TESTS_WINDOWS_PLUGIN_LIBRARY_H

#include <string>

#include "aeffect.h"

/// An open plug-in library and its two exported entry points; unloaded on destruction.
class PluginLibrary {
public:
    /// Opens the library at `path`; `error()` tells why when `isOpen()` is false.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    // The handle is released exactly once.
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    /// True when the library loaded.
    bool isOpen() const { return handle != nullptr; }
    /// The loader's explanation of the last failure.
    const std::string& error() const { return lastError; }
    /// The exported function `name`, or null when the library does not export it.
    VstPluginMainProc entry(const char* name);

private:
    void* handle = nullptr;
    std::string lastError;
};

#endif
