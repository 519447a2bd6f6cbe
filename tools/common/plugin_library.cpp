#include "plugin_library.h"

#include <dlfcn.h>
#include <link.h>

namespace vorlen::tools {
namespace {

std::string lastLoaderError() {
    const char* message = dlerror();
    return message != nullptr ? message : "unknown loader error";
}

// dlsym on a library handle also searches what the library depends on; a
// "main" found there (or in the host program) is not this plug-in's entry.
bool symbolBelongsTo(void* handle, void* symbol) {
    link_map* library = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || library == nullptr) {
        return false;
    }
    Dl_info info{};
    link_map* owner = nullptr;
    if (dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0) {
        return false;
    }
    return owner == library;
}

} // namespace

std::optional<PluginLibrary> PluginLibrary::load(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "no plug-in path given";
        return std::nullopt;
    }
    // Without a slash the loader would search the system library path instead
    // of the file the user named.
    const std::string loaderPath = path.find('/') == std::string::npos ? "./" + path : path;
    dlerror();
    void* raw = dlopen(loaderPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (raw == nullptr) {
        error = "cannot load plug-in: " + lastLoaderError();
        return std::nullopt;
    }
    std::shared_ptr<void> handle(raw, [](void* h) { dlclose(h); });

    void* symbol = nullptr;
    for (const char* name : {"VSTPluginMain", "main"}) {
        dlerror();
        void* candidate = dlsym(raw, name);
        if (candidate != nullptr && symbolBelongsTo(raw, candidate)) {
            symbol = candidate;
            break;
        }
    }
    if (symbol == nullptr) {
        error = "plug-in '" + path + "' has no entry point (neither VSTPluginMain nor main)";
        return std::nullopt;
    }
    return PluginLibrary(std::move(handle), reinterpret_cast<VstPluginMainProc>(symbol), path);
}

} // namespace vorlen::tools
