// The built plug-in as a host sees it: loaded with dlopen, reached through its entry point.
#pragma once

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "aeffect.h"

/// Loads the plug-in once per test program and keeps it loaded; null entry if that fails.
inline VstPluginMainProc pluginEntry(const char* symbol = "VSTPluginMain") {
    static void* const library = dlopen(VORLEN_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        ADD_FAILURE() << "cannot load " << VORLEN_PLUGIN_PATH << ": " << dlerror();
        return nullptr;
    }
    return reinterpret_cast<VstPluginMainProc>(dlsym(library, symbol));
}

/// Closes an instance the way a host does.
inline void closeEffect(AEffect* effect) {
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
