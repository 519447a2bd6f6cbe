// The library's one way in: hosts look up "VSTPluginMain" (older Linux hosts "main").
#include <new>

#include "vorlen.h"

/// Creates one independent effect instance and hands the host its record; null when the
/// host declines (version 0) or the instance cannot be built.
extern "C" __attribute__((visibility("default"))) AEffect* VSTCALLBACK
VSTPluginMain(audioMasterCallback audioMaster) noexcept {
    // Without a callback there is nobody to ask; like every other host request, the version
    // request then answers its fall-back of 1 and the effect is made without a host.
    if (audioMaster != nullptr &&
        audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    vstVorlen* effect = nullptr;
    try {
        effect = new vstVorlen(audioMaster);
    } catch (...) {
        // Nothing may escape into the host, and there is no other way to report failure.
        return nullptr;
    }
    return effect->getAeffect();
}

// The same function under the name older hosts look for. It cannot be declared as `main`
// in C++, so the symbol name is given to the assembler directly, with the target's prefix
// for C names ("_" on 32-bit Windows, where the export "main" is the symbol "_main").
#define VORLEN_STRINGIFY_(x) #x
#define VORLEN_STRINGIFY(x) VORLEN_STRINGIFY_(x)
extern "C" __attribute__((visibility("default"), alias("VSTPluginMain"))) AEffect* VSTCALLBACK
vorlenMainAlias(audioMasterCallback audioMaster) noexcept
    __asm__(VORLEN_STRINGIFY(__USER_LABEL_PREFIX__) "main");
