#include "host_callback.h"

#include <cstring>

namespace vorlen::tools {
namespace {

// Hosts give vendor and product strings room for 64 characters and a zero.
constexpr std::size_t kHostStringLimit = 64;

VstIntPtr copyHostString(void* ptr, const char* text) noexcept {
    if (ptr == nullptr) {
        return 0;
    }
    char* out = static_cast<char*>(ptr);
    std::strncpy(out, text, kHostStringLimit);
    out[kHostStringLimit] = '\0';
    return 1;
}

const HostContext* contextOf(const AEffect* effect) noexcept {
    return effect != nullptr ? static_cast<const HostContext*>(effect->user) : nullptr;
}

} // namespace

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt) noexcept {
    (void)value;
    (void)opt;
    const HostContext* context = contextOf(effect);
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterPinConnected:
        // 0 means connected; we always wire exactly two channels each way.
        return index >= 0 && index < 2 ? 0 : 1;
    case audioMasterGetSampleRate:
        return context != nullptr ? static_cast<VstIntPtr>(context->sampleRate) : 0;
    case audioMasterGetBlockSize:
        return context != nullptr ? context->blockSize : 0;
    case audioMasterGetCurrentProcessLevel:
        return context != nullptr ? static_cast<VstIntPtr>(context->processLevel) : 0;
    case audioMasterGetAutomationState:      // 1: off, nothing here records or plays it back
    case audioMasterWillReplaceOrAccumulate: // 1: we call processReplacing only
    case audioMasterGetLanguage:             // 1: English
        return 1;
    case audioMasterGetVendorString:
        return copyHostString(ptr, "Plomb");
    case audioMasterGetProductString:
        return copyHostString(ptr, "Vorlen tools");
    case audioMasterGetVendorVersion:
        return 1000;
    default:
        // Automation, idle, time info, canDo and the rest: "not supported".
        return 0;
    }
}

} // namespace vorlen::tools
