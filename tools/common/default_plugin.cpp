#include "default_plugin.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

// Both relative to the folder of the running program; the build names them.
// Absolute paths of the build machine would make the build unreproducible and
// let an installed program pick up a plug-in left in an old build folder.
#ifndef VORLEN_INSTALLED_PLUGIN
#define VORLEN_INSTALLED_PLUGIN ""
#endif
#ifndef VORLEN_BUILT_PLUGIN
#define VORLEN_BUILT_PLUGIN ""
#endif

namespace vorlen::tools {
namespace {

std::filesystem::path programFolder() {
#ifdef _WIN32
    std::wstring name(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0 || length >= name.size()) {
        return {};
    }
    name.resize(length);
    return std::filesystem::path(name).parent_path();
#else
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
#endif
}

} // namespace

std::string defaultPluginPath() {
    const std::filesystem::path folder = programFolder();
    if (folder.empty()) {
        return {};
    }
    // The installed copy first: an installed program never reaches into a build tree.
    for (const char* relative : {VORLEN_INSTALLED_PLUGIN, VORLEN_BUILT_PLUGIN}) {
        if (*relative == '\0') {
            continue;
        }
        const std::filesystem::path candidate = (folder / relative).lexically_normal();
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            return candidate.string();
        }
    }
    return {};
}

} // namespace vorlen::tools
