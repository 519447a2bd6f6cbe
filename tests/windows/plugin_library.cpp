// Windows hosts call LoadLibrary and GetProcAddress; Linux hosts dlopen and dlsym.
#include "plugin_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
std::string windowsError() {
    return "Windows error " + std::to_string(GetLastError());
}
#endif

} // namespace

PluginLibrary::PluginLibrary(const std::string& path) {
#if defined(_WIN32)
    // Wine maps the Unix file system to drive Z:, and the build hands us a Unix path.
    const std::string windowsPath = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
    handle = reinterpret_cast<void*>(LoadLibraryA(windowsPath.c_str()));
    if (handle == nullptr) {
        lastError = "LoadLibrary(" + windowsPath + "): " + windowsError();
    }
#else
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        lastError = dlerror();
    }
#endif
}

PluginLibrary::~PluginLibrary() {
    if (handle == nullptr) {
        return;
    }
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

VstPluginMainProc PluginLibrary::entry(const char* name) {
    if (handle == nullptr) {
        return nullptr;
    }
#if defined(_WIN32)
    // GetProcAddress hands out every export as a FARPROC; the cast restores its real type.
    return reinterpret_cast<VstPluginMainProc>(
        reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name)));
#else
    return reinterpret_cast<VstPluginMainProc>(dlsym(handle, name));
#endif
}
