#include "default_plugin.h"

#include <filesystem>
#include <system_error>

#ifndef VORLEN_DEFAULT_PLUGIN
#define VORLEN_DEFAULT_PLUGIN ""
#endif

namespace vorlen::tools {

std::string defaultPluginPath() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path installed =
            self.parent_path().parent_path() / "lib" / "vst" / "vorlen.so";
        if (std::filesystem::is_regular_file(installed, ec)) {
            return installed.string();
        }
    }
    return VORLEN_DEFAULT_PLUGIN;
}

} // namespace vorlen::tools
