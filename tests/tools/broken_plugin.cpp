// Plug-in libraries that fail in the ways a host must survive, one per build
// flavour: no entry point, an entry point that returns null, and one that
// returns a record without the magic.
#include <cstring>

#include "aeffect.h"

#if defined(BROKEN_NULL_RECORD) || defined(BROKEN_BAD_MAGIC)
namespace {

AEffect* makeRecord() {
#if defined(BROKEN_NULL_RECORD)
    return nullptr;
#else
    static AEffect record;
    std::memset(&record, 0, sizeof record);
    record.magic = VST_FOURCC('N', 'o', 'p', 'e');
    return &record;
#endif
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    return makeRecord();
}
#else
// The library loads but exports nothing a host could call.
extern "C" __attribute__((visibility("default"))) int brokenPluginMarker() {
    return 0;
}
#endif
