// A plug-in that records what its host sends and asks, for tests of the host
// side. Built once with the usual entry point and once with only "main".
#include <vector>

#include "recording_plugin.h"

namespace {

std::vector<RecordedCall> received;
audioMasterCallback host = nullptr;

VstIntPtr VSTCALLBACK dispatch(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr value, void*,
                               float opt) {
    received.push_back(RecordedCall{opcode, value, opt});
    if (opcode == effMainsChanged && value != 0) {
        // What a plug-in sizes its buffers from when resumed.
        received.push_back(RecordedCall{-audioMasterGetSampleRate,
                                        host(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0),
                                        0});
        received.push_back(RecordedCall{
            -audioMasterGetBlockSize, host(effect, audioMasterGetBlockSize, 0, 0, nullptr, 0), 0});
    }
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return 0;
}

void VSTCALLBACK process(AEffect*, float**, float**, VstInt32) {}

AEffect* create(audioMasterCallback callback) {
    host = callback;
    received.push_back(
        RecordedCall{-audioMasterVersion, host(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 0});
    auto* effect = new AEffect{};
    effect->magic = kEffectMagic;
    effect->dispatcher = dispatch;
    effect->processReplacing = process;
    effect->numInputs = 2;
    effect->numOutputs = 2;
    return effect;
}

} // namespace

/// The calls received so far.
extern "C" __attribute__((visibility("default"))) const RecordedCall* recordedCalls(int* count) {
    *count = static_cast<int>(received.size());
    return received.data();
}

/// Forgets every call received so far.
extern "C" __attribute__((visibility("default"))) void forgetRecordedCalls() {
    received.clear();
}

#if defined(RECORDING_MAIN_ONLY)
extern "C" __attribute__((visibility("default"))) AEffect*
entryUnderOldName(audioMasterCallback host) __asm__("main");
extern "C" AEffect* entryUnderOldName(audioMasterCallback host) {
    return create(host);
}
#else
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    return create(host);
}
#endif
