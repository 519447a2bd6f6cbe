// What our programs answer when a plug-in asks its host something.
#pragma once

#include "aeffect.h"

namespace vorlen::tools {

/// Values of audioMasterGetCurrentProcessLevel.
enum class ProcessLevel : VstIntPtr {
    unknown = 0,
    user = 1,
    realtime = 2,
    prefetch = 3,
    offline = 4
};

/// What the host knows about one open instance; the record's `user` field
/// points at it so that the callback can answer per instance.
struct HostContext {
    float sampleRate = 44100.0f;                       ///< Hz, as last sent to the effect
    VstInt32 blockSize = 1024;                         ///< frames, as last sent to the effect
    ProcessLevel processLevel = ProcessLevel::unknown; ///< answered to the level request
};

/// The host callback handed to every entry point. Answers the version request
/// with 2400, sample rate and block size from the instance's HostContext, a
/// few identity and capability questions, and 0 to everything else.
VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt) noexcept;

} // namespace vorlen::tools
