#include "audioeffect.h"

#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms,
                         VstInt32 numParams) noexcept
    : audioMaster(audioMaster), editor(nullptr), sampleRate(44100.0f), blockSize(1024),
      numPrograms(numPrograms), numParams(numParams), curProgram(0) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatcherEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags |= effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kEffectNoUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

// ---------------------------------------------------------------------------
// Entry functions. The record is embedded in the object, so `object` is valid
// for exactly as long as the host may use the record.

// A host that calls with a null record gets the answer of an unserved call
// instead of a crash inside our library.
static AudioEffect* effectOf(AEffect* e) noexcept {
    return e != nullptr ? static_cast<AudioEffect*>(e->object) : nullptr;
}

VstIntPtr VSTCALLBACK AudioEffect::dispatcherEntry(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                   VstIntPtr value, void* ptr, float opt) noexcept {
    AudioEffect* effect = effectOf(e);
    if (effect == nullptr) {
        return 0;
    }
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::setParameterEntry(AEffect* e, VstInt32 index, float value) noexcept {
    if (AudioEffect* effect = effectOf(e)) {
        effect->setParameter(index, value);
    }
}

float VSTCALLBACK AudioEffect::getParameterEntry(AEffect* e, VstInt32 index) noexcept {
    AudioEffect* effect = effectOf(e);
    return effect != nullptr ? effect->getParameter(index) : 0.0f;
}

void VSTCALLBACK AudioEffect::processEntry(AEffect* e, float** inputs, float** outputs,
                                           VstInt32 sampleFrames) noexcept {
    if (AudioEffect* effect = effectOf(e)) {
        effect->process(inputs, outputs, sampleFrames);
    }
}

void VSTCALLBACK AudioEffect::processReplacingEntry(AEffect* e, float** inputs, float** outputs,
                                                    VstInt32 sampleFrames) noexcept {
    if (AudioEffect* effect = effectOf(e)) {
        effect->processReplacing(inputs, outputs, sampleFrames);
    }
}

void VSTCALLBACK AudioEffect::processDoubleReplacingEntry(AEffect* e, double** inputs,
                                                          double** outputs,
                                                          VstInt32 sampleFrames) noexcept {
    if (AudioEffect* effect = effectOf(e)) {
        effect->processDoubleReplacing(inputs, outputs, sampleFrames);
    }
}

// ---------------------------------------------------------------------------

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) noexcept {
    // The text and chunk opcodes hand the effect a host pointer to write
    // through; a null one is refused here so that no override has to check.
    const bool needsPointer =
        (opcode >= effSetProgramName && opcode <= effGetParamName) || opcode == effGetChunk;
    if (needsPointer && ptr == nullptr) {
        return 0;
    }
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        // A negative program would become the current one and be answered back.
        if (value >= 0 && value < numPrograms) {
            setProgram(static_cast<VstInt32>(value));
        }
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0) {
            suspend();
        } else {
            resume();
        }
        return 0;
    case effEditGetRect:
        return editor != nullptr && editor->getRect(ptr) ? 1 : 0;
    case effEditOpen:
        return editor != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr) {
            editor->close();
        }
        return 0;
    case effEditIdle:
        if (editor != nullptr) {
            editor->idle();
        }
        return 0;
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Texts. Hosts hand buffers of maxLen + 1 bytes; an empty text is one zero byte.

void AudioEffect::getProgramName(char* name) noexcept {
    if (name != nullptr) {
        name[0] = '\0';
    }
}

void AudioEffect::getParameterLabel(VstInt32 /*index*/, char* label) noexcept {
    if (label != nullptr) {
        label[0] = '\0';
    }
}

void AudioEffect::getParameterDisplay(VstInt32 /*index*/, char* text) noexcept {
    if (text != nullptr) {
        text[0] = '\0';
    }
}

void AudioEffect::getParameterName(VstInt32 /*index*/, char* text) noexcept {
    if (text != nullptr) {
        text[0] = '\0';
    }
}

// ---------------------------------------------------------------------------
// Flags

void AudioEffect::setFlag(VstInt32 bit, bool state) noexcept {
    if (state) {
        cEffect.flags |= bit;
    } else {
        cEffect.flags &= ~bit;
    }
}

void AudioEffect::canProcessReplacing(bool state) noexcept {
    setFlag(effFlagsCanReplacing, state);
}
void AudioEffect::canDoubleReplacing(bool state) noexcept {
    setFlag(effFlagsCanDoubleReplacing, state);
}
void AudioEffect::programsAreChunks(bool state) noexcept {
    setFlag(effFlagsProgramChunks, state);
}
void AudioEffect::hasVu(bool state) noexcept {
    setFlag(effFlagsHasVu, state);
}
void AudioEffect::hasClip(bool state) noexcept {
    setFlag(effFlagsHasClip, state);
}
void AudioEffect::canMono(bool state) noexcept {
    setFlag(effFlagsCanMono, state);
}

// ---------------------------------------------------------------------------
// Requests to the host

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) noexcept {
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) noexcept {
    setParameter(index, value);
    if (audioMaster != nullptr) {
        callHost(audioMasterAutomate, index, 0, nullptr, value);
    }
}

VstInt32 AudioEffect::getMasterVersion() noexcept {
    if (audioMaster == nullptr) {
        return 1;
    }
    const VstIntPtr version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstInt32 AudioEffect::getCurrentUniqueId() noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterCurrentId)) : 0;
}

void AudioEffect::masterIdle() noexcept {
    if (audioMaster != nullptr) {
        callHost(audioMasterIdle);
    }
}

bool AudioEffect::isInputConnected(VstInt32 input) noexcept {
    return audioMaster == nullptr || callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) noexcept {
    return audioMaster == nullptr || callHost(audioMasterPinConnected, output, 1) == 0;
}
