#include "audioeffectx.h"

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms,
                           VstInt32 numParams) noexcept
    : AudioEffect(audioMaster, numPrograms, numParams) {}

AudioEffectX::~AudioEffectX() = default;

// ---------------------------------------------------------------------------
// Extended dispatch

namespace {

/// One served opcode: runs its operation on the effect and converts the result.
using OpcodeHandler = VstIntPtr (*)(AudioEffectX& fx, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt) noexcept;

constexpr VstInt32 kFirstExtendedOpcode = effProcessEvents;
constexpr VstInt32 kLastExtendedOpcode = effGetNumMidiOutputChannels;
constexpr int kExtendedOpcodeCount = kLastExtendedOpcode - kFirstExtendedOpcode + 1;
static_assert(kExtendedOpcodeCount == 55);

constexpr VstIntPtr fromBool(bool b) noexcept {
    return b ? 1 : 0;
}

// The editor's modifier byte comes from a host float. A float outside the
// integer range (or NaN) has no integer to truncate to, and converting it would
// be undefined; such keys arrive without modifiers.
unsigned char modifierByte(float opt) noexcept {
    if (!(opt > -2147483648.0f && opt < 2147483648.0f)) {
        return 0;
    }
    return static_cast<unsigned char>(static_cast<VstInt32>(opt));
}

/// The key record the editor receives for effEditKeyDown and effEditKeyUp.
VstKeyCode keyCodeFrom(VstInt32 index, VstIntPtr value, float opt) noexcept {
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value);
    key.modifier = modifierByte(opt);
    return key;
}

} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) noexcept {
// Every handler has the same signature so that the table stays dense; most
// ignore some of their arguments.
#define VORLEN_HANDLER(...)                                                                        \
    [](AudioEffectX& fx, [[maybe_unused]] VstInt32 index, [[maybe_unused]] VstIntPtr value,        \
       [[maybe_unused]] void* ptr,                                                                 \
       [[maybe_unused]] float opt) noexcept -> VstIntPtr { __VA_ARGS__ }
    // Indexed by opcode - 25; null entries are the opcodes this class leaves to
    // the base dispatcher (which answers them 0).
    static constexpr OpcodeHandler handlers[kExtendedOpcodeCount] = {
        /* 25 effProcessEvents */
        VORLEN_HANDLER(return fx.processEvents(static_cast<VstEvents*>(ptr));),
        /* 26 effCanBeAutomated */
        VORLEN_HANDLER(return fromBool(fx.canParameterBeAutomated(index));),
        /* 27 effString2Parameter */
        VORLEN_HANDLER(return fromBool(fx.string2parameter(index, static_cast<char*>(ptr)));),
        /* 28 effGetNumProgramCategories */ nullptr,
        /* 29 effGetProgramNameIndexed */
        VORLEN_HANDLER(return fromBool(fx.getProgramNameIndexed(static_cast<VstInt32>(value), index,
                                                                static_cast<char*>(ptr)));),
        /* 30 effCopyProgram */ nullptr,
        /* 31 effConnectInput */ nullptr,
        /* 32 effConnectOutput */ nullptr,
        /* 33 effGetInputProperties */
        VORLEN_HANDLER(
            return fromBool(fx.getInputProperties(index, static_cast<VstPinProperties*>(ptr)));),
        /* 34 effGetOutputProperties */
        VORLEN_HANDLER(
            return fromBool(fx.getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));),
        /* 35 effGetPlugCategory */
        VORLEN_HANDLER(return fx.getPlugCategory();),
        /* 36 effGetCurrentPosition */ nullptr,
        /* 37 effGetDestinationBuffer */ nullptr,
        /* 38 effOfflineNotify */
        VORLEN_HANDLER(return fromBool(fx.offlineNotify(
            static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value), index != 0));),
        /* 39 effOfflinePrepare */
        VORLEN_HANDLER(return fromBool(fx.offlinePrepare(static_cast<VstOfflineTask*>(ptr),
                                                         static_cast<VstInt32>(value)));),
        /* 40 effOfflineRun */
        VORLEN_HANDLER(return fromBool(fx.offlineRun(static_cast<VstOfflineTask*>(ptr),
                                                     static_cast<VstInt32>(value)));),
        /* 41 effProcessVarIo */
        VORLEN_HANDLER(return fromBool(fx.processVariableIo(static_cast<VstVariableIo*>(ptr)));),
        /* 42 effSetSpeakerArrangement */
        VORLEN_HANDLER(return fromBool(fx.setSpeakerArrangement(
            reinterpret_cast<VstSpeakerArrangement*>(value),
            static_cast<VstSpeakerArrangement*>(ptr)));),
        /* 43 effSetBlockSizeAndSampleRate */ nullptr,
        /* 44 effSetBypass */
        VORLEN_HANDLER(return fromBool(fx.setBypass(value != 0));),
        /* 45 effGetEffectName */
        VORLEN_HANDLER(return fromBool(fx.getEffectName(static_cast<char*>(ptr)));),
        /* 46 effGetErrorText */ nullptr,
        /* 47 effGetVendorString */
        VORLEN_HANDLER(return fromBool(fx.getVendorString(static_cast<char*>(ptr)));),
        /* 48 effGetProductString */
        VORLEN_HANDLER(return fromBool(fx.getProductString(static_cast<char*>(ptr)));),
        /* 49 effGetVendorVersion */
        VORLEN_HANDLER(return fx.getVendorVersion();),
        /* 50 effVendorSpecific */
        VORLEN_HANDLER(return fx.vendorSpecific(index, value, ptr, opt);),
        /* 51 effCanDo */
        VORLEN_HANDLER(return fx.canDo(static_cast<char*>(ptr));),
        /* 52 effGetTailSize */
        VORLEN_HANDLER(return fx.getGetTailSize();),
        /* 53 effIdle */ nullptr,
        /* 54 effGetIcon */ nullptr,
        /* 55 effSetViewPosition */ nullptr,
        /* 56 effGetParameterProperties */
        VORLEN_HANDLER(return fromBool(fx.getParameterProperties(
            index, static_cast<VstParameterProperties*>(ptr)));),
        /* 57 effKeysRequired */ nullptr,
        /* 58 effGetVstVersion */
        VORLEN_HANDLER(return fx.getVstVersion();),
        /* 59 effEditKeyDown */
        VORLEN_HANDLER(if (fx.editor == nullptr) { return 0; } VstKeyCode key =
                           keyCodeFrom(index, value, opt);
                       return fromBool(fx.editor->onKeyDown(key));),
        /* 60 effEditKeyUp */
        VORLEN_HANDLER(if (fx.editor == nullptr) { return 0; } VstKeyCode key =
                           keyCodeFrom(index, value, opt);
                       return fromBool(fx.editor->onKeyUp(key));),
        /* 61 effSetEditKnobMode */
        VORLEN_HANDLER(if (fx.editor == nullptr) {
            return 0;
        } return fromBool(fx.editor->setKnobMode(static_cast<VstInt32>(value)));),
        /* 62 effGetMidiProgramName */
        VORLEN_HANDLER(return fx.getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));),
        /* 63 effGetCurrentMidiProgram */
        VORLEN_HANDLER(return fx.getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));),
        /* 64 effGetMidiProgramCategory */
        VORLEN_HANDLER(
            return fx.getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));),
        /* 65 effHasMidiProgramsChanged */
        VORLEN_HANDLER(return fromBool(fx.hasMidiProgramsChanged(index));),
        /* 66 effGetMidiKeyName */
        VORLEN_HANDLER(return fromBool(fx.getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));),
        /* 67 effBeginSetProgram */
        VORLEN_HANDLER(return fromBool(fx.beginSetProgram());),
        /* 68 effEndSetProgram */
        VORLEN_HANDLER(return fromBool(fx.endSetProgram());),
        /* 69 effGetSpeakerArrangement: value and ptr are two locations, input first */
        VORLEN_HANDLER(return fromBool(fx.getSpeakerArrangement(
            reinterpret_cast<VstSpeakerArrangement**>(value),
            static_cast<VstSpeakerArrangement**>(ptr)));),
        /* 70 effShellGetNextPlugin */
        VORLEN_HANDLER(return fx.getNextShellPlugin(static_cast<char*>(ptr));),
        /* 71 effStartProcess */
        VORLEN_HANDLER(return fx.startProcess();),
        /* 72 effStopProcess */
        VORLEN_HANDLER(return fx.stopProcess();),
        /* 73 effSetTotalSampleToProcess */
        VORLEN_HANDLER(return fx.setTotalSampleToProcess(static_cast<VstInt32>(value));),
        /* 74 effSetPanLaw */
        VORLEN_HANDLER(return fromBool(fx.setPanLaw(static_cast<VstInt32>(value), opt));),
        /* 75 effBeginLoadBank */
        VORLEN_HANDLER(return fx.beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));),
        /* 76 effBeginLoadProgram */
        VORLEN_HANDLER(return fx.beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));),
        /* 77 effSetProcessPrecision */
        VORLEN_HANDLER(return fromBool(fx.setProcessPrecision(static_cast<VstInt32>(value)));),
        /* 78 effGetNumMidiInputChannels */
        VORLEN_HANDLER(return fx.getNumMidiInputChannels();),
        /* 79 effGetNumMidiOutputChannels */
        VORLEN_HANDLER(return fx.getNumMidiOutputChannels();),
    };
#undef VORLEN_HANDLER

    if (opcode >= kFirstExtendedOpcode && opcode <= kLastExtendedOpcode) {
        const OpcodeHandler handler = handlers[opcode - kFirstExtendedOpcode];
        if (handler != nullptr) {
            return handler(*this, index, value, ptr, opt);
        }
    }
    return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffectX::resume() noexcept {
    if ((cEffect.flags & effFlagsIsSynth) != 0) {
        wantEvents(1);
        return;
    }
    // canDo takes a mutable buffer, as hosts hand it one.
    char receiveMidi[] = "receiveVstMidiEvent";
    if (canDo(receiveMidi) == 1) {
        wantEvents(1);
    }
}

// ---------------------------------------------------------------------------
// Defaults of the effect's own operations

bool AudioEffectX::canParameterBeAutomated(VstInt32 /*index*/) noexcept {
    return true;
}
bool AudioEffectX::string2parameter(VstInt32 /*index*/, char* /*text*/) noexcept {
    return false;
}
bool AudioEffectX::getParameterProperties(VstInt32 /*index*/,
                                          VstParameterProperties* /*properties*/) noexcept {
    return false;
}
bool AudioEffectX::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/,
                                         char* /*text*/) noexcept {
    return false;
}
bool AudioEffectX::beginSetProgram() noexcept {
    return false;
}
bool AudioEffectX::endSetProgram() noexcept {
    return false;
}
VstInt32 AudioEffectX::beginLoadBank(VstPatchChunkInfo* /*info*/) noexcept {
    return 0;
}
VstInt32 AudioEffectX::beginLoadProgram(VstPatchChunkInfo* /*info*/) noexcept {
    return 0;
}
bool AudioEffectX::getInputProperties(VstInt32 /*index*/,
                                      VstPinProperties* /*properties*/) noexcept {
    return false;
}
bool AudioEffectX::getOutputProperties(VstInt32 /*index*/,
                                       VstPinProperties* /*properties*/) noexcept {
    return false;
}
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement* /*pluginInput*/,
                                         VstSpeakerArrangement* /*pluginOutput*/) noexcept {
    return false;
}

// A host that passes no location for one of the two arrangements gets nothing
// written there rather than a write through null.
bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) noexcept {
    if (pluginInput != nullptr) {
        *pluginInput = nullptr;
    }
    if (pluginOutput != nullptr) {
        *pluginOutput = nullptr;
    }
    return false;
}

bool AudioEffectX::setBypass(bool /*onOff*/) noexcept {
    return false;
}
bool AudioEffectX::setPanLaw(VstInt32 /*type*/, float /*gain*/) noexcept {
    return false;
}
bool AudioEffectX::setProcessPrecision(VstInt32 /*precision*/) noexcept {
    return false;
}
VstInt32 AudioEffectX::getNumMidiInputChannels() noexcept {
    return 0;
}
VstInt32 AudioEffectX::getNumMidiOutputChannels() noexcept {
    return 0;
}
VstInt32 AudioEffectX::processEvents(VstEvents* /*events*/) noexcept {
    return 0;
}
VstInt32 AudioEffectX::startProcess() noexcept {
    return 0;
}
VstInt32 AudioEffectX::stopProcess() noexcept {
    return 0;
}
bool AudioEffectX::processVariableIo(VstVariableIo* /*io*/) noexcept {
    return false;
}
VstInt32 AudioEffectX::setTotalSampleToProcess(VstInt32 value) noexcept {
    return value;
}
VstInt32 AudioEffectX::getGetTailSize() noexcept {
    return 0;
}
bool AudioEffectX::getEffectName(char* /*name*/) noexcept {
    return false;
}
bool AudioEffectX::getVendorString(char* /*text*/) noexcept {
    return false;
}
bool AudioEffectX::getProductString(char* /*text*/) noexcept {
    return false;
}
VstInt32 AudioEffectX::getVendorVersion() noexcept {
    return 1;
}
VstIntPtr AudioEffectX::vendorSpecific(VstInt32 /*arg1*/, VstIntPtr /*arg2*/, void* /*ptrArg*/,
                                       float /*floatArg*/) noexcept {
    return 0;
}
VstInt32 AudioEffectX::canDo(char* /*text*/) noexcept {
    return 0;
}
VstInt32 AudioEffectX::getVstVersion() noexcept {
    return kVstVersion;
}
VstInt32 AudioEffectX::getPlugCategory() noexcept {
    return (cEffect.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
}
VstInt32 AudioEffectX::getMidiProgramName(VstInt32 /*channel*/,
                                          MidiProgramName* /*name*/) noexcept {
    return 0;
}
VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32 /*channel*/,
                                             MidiProgramName* /*current*/) noexcept {
    return -1;
}
VstInt32 AudioEffectX::getMidiProgramCategory(VstInt32 /*channel*/,
                                              MidiProgramCategory* /*category*/) noexcept {
    return 0;
}
bool AudioEffectX::hasMidiProgramsChanged(VstInt32 /*channel*/) noexcept {
    return false;
}
bool AudioEffectX::getMidiKeyName(VstInt32 /*channel*/, MidiKeyName* /*keyName*/) noexcept {
    return false;
}
VstInt32 AudioEffectX::getNextShellPlugin(char* /*name*/) noexcept {
    return 0;
}
bool AudioEffectX::offlineNotify(VstAudioFile* /*audioFiles*/, VstInt32 /*numAudioFiles*/,
                                 bool /*start*/) noexcept {
    return false;
}
bool AudioEffectX::offlinePrepare(VstOfflineTask* /*offline*/, VstInt32 /*count*/) noexcept {
    return false;
}
bool AudioEffectX::offlineRun(VstOfflineTask* /*offline*/, VstInt32 /*count*/) noexcept {
    return false;
}
VstInt32 AudioEffectX::offlineGetNumPasses() noexcept {
    return 0;
}
VstInt32 AudioEffectX::offlineGetNumMetaPasses() noexcept {
    return 0;
}
VstInt32 AudioEffectX::getNumCategories() noexcept {
    return 1;
}
bool AudioEffectX::copyProgram(VstInt32 /*destination*/) noexcept {
    return false;
}
void AudioEffectX::inputConnected(VstInt32 /*index*/, bool /*state*/) noexcept {}
void AudioEffectX::outputConnected(VstInt32 /*index*/, bool /*state*/) noexcept {}
VstInt32 AudioEffectX::reportCurrentPosition() noexcept {
    return 0;
}
float* AudioEffectX::reportDestinationBuffer() noexcept {
    return nullptr;
}
void AudioEffectX::setBlockSizeAndSampleRate(VstInt32 size, float rate) noexcept {
    blockSize = size;
    sampleRate = rate;
}
bool AudioEffectX::getErrorText(char* /*text*/) noexcept {
    return false;
}
void* AudioEffectX::getIcon() noexcept {
    return nullptr;
}
bool AudioEffectX::setViewPosition(VstInt32 /*x*/, VstInt32 /*y*/) noexcept {
    return false;
}
VstInt32 AudioEffectX::fxIdle() noexcept {
    return 0;
}
bool AudioEffectX::keysRequired() noexcept {
    return false;
}

// ---------------------------------------------------------------------------
// Flags

void AudioEffectX::isSynth(bool state) noexcept {
    setFlag(effFlagsIsSynth, state);
}
void AudioEffectX::noTail(bool state) noexcept {
    setFlag(effFlagsNoSoundInStop, state);
}
void AudioEffectX::wantAsyncOperation(bool state) noexcept {
    setFlag(effFlagsExtIsAsync, state);
}
void AudioEffectX::hasExternalBuffer(bool state) noexcept {
    setFlag(effFlagsExtHasBuffer, state);
}

// ---------------------------------------------------------------------------
// Requests to the host. Each answers its fixed fall-back without a host.

bool AudioEffectX::beginEdit(VstInt32 index) noexcept {
    return audioMaster != nullptr && callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index) noexcept {
    return audioMaster != nullptr && callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::ioChanged() noexcept {
    return audioMaster != nullptr && callHost(audioMasterIOChanged) != 0;
}

// The host's rate is an integer number of samples per second; anything not
// positive means it does not know, and the rate we have stays.
double AudioEffectX::updateSampleRate() noexcept {
    if (audioMaster != nullptr) {
        const auto rate = static_cast<VstInt32>(callHost(audioMasterGetSampleRate));
        if (rate > 0) {
            sampleRate = static_cast<float>(rate);
        }
    }
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() noexcept {
    if (audioMaster != nullptr) {
        // Narrowed before the test, so that no answer can store a size of 0 or less.
        const auto size = static_cast<VstInt32>(callHost(audioMasterGetBlockSize));
        if (size > 0) {
            blockSize = size;
        }
    }
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterGetInputLatency)) : 0;
}

VstInt32 AudioEffectX::getOutputLatency() noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterGetOutputLatency))
                                  : 0;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) noexcept {
    return audioMaster != nullptr
               ? reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter))
               : nullptr;
}

VstInt32 AudioEffectX::getCurrentProcessLevel() noexcept {
    return audioMaster != nullptr
               ? static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel))
               : 0;
}

VstInt32 AudioEffectX::getAutomationState() noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterGetAutomationState))
                                  : 0;
}

bool AudioEffectX::getHostVendorString(char* text) noexcept {
    return audioMaster != nullptr && callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) noexcept {
    return audioMaster != nullptr && callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion() noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterGetVendorVersion))
                                  : 0;
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                           float floatArg) noexcept {
    return audioMaster != nullptr
               ? callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg)
               : 0;
}

VstInt32 AudioEffectX::canHostDo(char* text) noexcept {
    return audioMaster != nullptr && callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage() noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterGetLanguage)) : 0;
}

void* AudioEffectX::getDirectory() noexcept {
    return audioMaster != nullptr ? reinterpret_cast<void*>(callHost(audioMasterGetDirectory))
                                  : nullptr;
}

bool AudioEffectX::updateDisplay() noexcept {
    return audioMaster != nullptr && callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) noexcept {
    return audioMaster != nullptr && callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* fileSelect) noexcept {
    return audioMaster != nullptr && fileSelect != nullptr &&
           callHost(audioMasterOpenFileSelector, 0, 0, fileSelect) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* fileSelect) noexcept {
    return audioMaster != nullptr && fileSelect != nullptr &&
           callHost(audioMasterCloseFileSelector, 0, 0, fileSelect) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource) noexcept {
    return audioMaster != nullptr &&
           callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option) noexcept {
    return audioMaster != nullptr && callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* audioFiles, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles) noexcept {
    return audioMaster != nullptr &&
           callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}

VstInt32 AudioEffectX::offlineGetCurrentPass() noexcept {
    return audioMaster != nullptr && callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass() noexcept {
    return audioMaster != nullptr && callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) noexcept {
    if (audioMaster != nullptr) {
        callHost(audioMasterWantMidi, 0, filter);
    }
}

VstInt32 AudioEffectX::tempoAt(VstInt32 position) noexcept {
    return audioMaster != nullptr ? static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, position))
                                  : 0;
}

VstInt32 AudioEffectX::getNumAutomatableParameters() noexcept {
    return audioMaster != nullptr
               ? static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters))
               : 0;
}

VstInt32 AudioEffectX::getParameterQuantization() noexcept {
    return audioMaster != nullptr
               ? static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization))
               : 0;
}

bool AudioEffectX::needIdle() noexcept {
    return audioMaster != nullptr && callHost(audioMasterNeedIdle) != 0;
}

AEffect* AudioEffectX::getPreviousPlug(VstInt32 /*input*/) noexcept {
    return audioMaster != nullptr ? reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug))
                                  : nullptr;
}

AEffect* AudioEffectX::getNextPlug(VstInt32 /*output*/) noexcept {
    return audioMaster != nullptr ? reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug))
                                  : nullptr;
}

VstInt32 AudioEffectX::willProcessReplacing() noexcept {
    return audioMaster != nullptr
               ? static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate))
               : 0;
}

void AudioEffectX::setOutputSamplerate(float samplerate) noexcept {
    if (audioMaster != nullptr) {
        callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
    }
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() noexcept {
    return audioMaster != nullptr ? reinterpret_cast<VstSpeakerArrangement*>(
                                        callHost(audioMasterGetInputSpeakerArrangement))
                                  : nullptr;
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() noexcept {
    return audioMaster != nullptr ? reinterpret_cast<VstSpeakerArrangement*>(
                                        callHost(audioMasterGetOutputSpeakerArrangement))
                                  : nullptr;
}

void* AudioEffectX::openWindow(VstWindow* window) noexcept {
    return audioMaster != nullptr
               ? reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window))
               : nullptr;
}

bool AudioEffectX::closeWindow(VstWindow* window) noexcept {
    return audioMaster != nullptr && callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

bool AudioEffectX::getChunkFile(void* nativePath) noexcept {
    return audioMaster != nullptr && nativePath != nullptr &&
           callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
