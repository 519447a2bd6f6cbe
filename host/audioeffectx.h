// The extended effect base: serves the effect opcodes beyond the base set,
// offers the effect the extended requests to the host, and handles speaker
// arrangements.
#pragma once

#include "audioeffect.h"
#include "speaker_arrangement.h"

/// Extended effect base class. It adds no data: everything it reads or writes
/// lives in `AudioEffect`. Its virtual operations continue the slot order of
/// the base from slot 50 on (the numbers beside them); hosts never see the
/// slots, but effect classes compiled against this header rely on them.
///
/// Defaults leave their pointer and text arguments untouched, except
/// `getSpeakerArrangement`, which clears the locations it is given. Requests
/// to the host answer a fixed fall-back and send nothing when the effect was
/// made without a host callback.
class AudioEffectX : public AudioEffect {
public:
    /// Adds nothing to the base construction.
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms,
                 VstInt32 numParams) noexcept;
    /// Does what the base destructor does: releases the editor, if any.
    ~AudioEffectX() override; // slot 0

    /// Serves effect opcodes 25..79; every other opcode goes to the base dispatcher.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) noexcept override; // slot 1
    /// Asks the host for MIDI events when the effect is a synth or can receive them.
    void resume() noexcept override; // slot 5

    /// Whether the host may automate parameter `index`; true by default.
    virtual bool canParameterBeAutomated(VstInt32 index) noexcept; // slot 50
    /// Sets parameter `index` from a text; false: not supported.
    virtual bool string2parameter(VstInt32 index, char* text) noexcept; // slot 51
    /// Fills the properties of parameter `index`; false: none offered.
    virtual bool getParameterProperties(VstInt32 index,
                                        VstParameterProperties* properties) noexcept; // slot 52
    /// Tells the host a user gesture on parameter `index` begins.
    virtual bool beginEdit(VstInt32 index) noexcept; // slot 53
    /// Tells the host a user gesture on parameter `index` ends.
    virtual bool endEdit(VstInt32 index) noexcept; // slot 54
    /// Writes the name of program `index` of `category`; false: none.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index,
                                       char* text) noexcept; // slot 55
    /// The host is about to load a program; false: not interested.
    virtual bool beginSetProgram() noexcept; // slot 56
    /// The host has loaded a program; false: not interested.
    virtual bool endSetProgram() noexcept; // slot 57
    /// The host is about to load a bank; 0: accepted without checks.
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* info) noexcept; // slot 58
    /// The host is about to load a program; 0: accepted without checks.
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* info) noexcept; // slot 59

    /// Tells the host that inputs, outputs, delay or IDs changed.
    virtual bool ioChanged() noexcept; // slot 60
    /// Asks the host its sample rate, keeps a positive answer and gives the current rate.
    virtual double updateSampleRate() noexcept; // slot 61
    /// Asks the host its block size, keeps a positive answer and gives the current size.
    virtual VstInt32 updateBlockSize() noexcept; // slot 62
    /// The host's input latency in samples.
    virtual VstInt32 getInputLatency() noexcept; // slot 63
    /// The host's output latency in samples.
    virtual VstInt32 getOutputLatency() noexcept; // slot 64
    /// Fills the properties of input pin `index`; false: none offered.
    virtual bool getInputProperties(VstInt32 index,
                                    VstPinProperties* properties) noexcept; // slot 65
    /// Fills the properties of output pin `index`; false: none offered.
    virtual bool getOutputProperties(VstInt32 index,
                                     VstPinProperties* properties) noexcept; // slot 66
    /// The host proposes speaker arrangements; false: refused.
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                       VstSpeakerArrangement* pluginOutput) noexcept; // slot 67
    /// Stores the effect's arrangements in the two locations; default: null in each, false.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput) noexcept; // slot 68
    /// Switches the effect's own bypass; false: not supported.
    virtual bool setBypass(bool onOff) noexcept; // slot 69
    /// Sets the pan law; false: not supported.
    virtual bool setPanLaw(VstInt32 type, float gain) noexcept; // slot 70
    /// Announces 32- or 64-bit processing; false: not supported.
    virtual bool setProcessPrecision(VstInt32 precision) noexcept; // slot 71
    /// MIDI input channels the effect uses; 0.
    virtual VstInt32 getNumMidiInputChannels() noexcept; // slot 72
    /// MIDI output channels the effect uses; 0.
    virtual VstInt32 getNumMidiOutputChannels() noexcept; // slot 73
    /// The host's transport and time information; owned by the host.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter) noexcept; // slot 74
    /// Which kind of thread the host is calling from.
    virtual VstInt32 getCurrentProcessLevel() noexcept; // slot 75
    /// The host's automation read/write state.
    virtual VstInt32 getAutomationState() noexcept; // slot 76
    /// Receives events for the next block; 0 by default.
    virtual VstInt32 processEvents(VstEvents* events) noexcept; // slot 77
    /// Processing starts; 0 by default.
    virtual VstInt32 startProcess() noexcept; // slot 78
    /// Processing stops; 0 by default.
    virtual VstInt32 stopProcess() noexcept; // slot 79
    /// Processes with differing input and output counts; false: not supported.
    virtual bool processVariableIo(VstVariableIo* io) noexcept; // slot 80
    /// Offline: the number of samples to come; gives it back unchanged.
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) noexcept; // slot 81

    /// Copies the host's vendor text into `text` (64 + 1 bytes).
    virtual bool getHostVendorString(char* text) noexcept; // slot 82
    /// Copies the host's product text into `text` (64 + 1 bytes).
    virtual bool getHostProductString(char* text) noexcept; // slot 83
    /// The host's vendor version.
    virtual VstInt32 getHostVendorVersion() noexcept; // slot 84
    /// Passes a vendor-specific request to the host unchanged.
    virtual VstIntPtr hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                         float floatArg) noexcept; // slot 85
    /// 1 when the host can do `text`, else 0.
    virtual VstInt32 canHostDo(char* text) noexcept; // slot 86
    /// The host's user-interface language.
    virtual VstInt32 getHostLanguage() noexcept; // slot 87
    /// Marks the effect as an instrument (sets or clears effFlagsIsSynth).
    virtual void isSynth(bool state) noexcept; // slot 88
    /// Says the effect is silent without input (sets or clears effFlagsNoSoundInStop).
    virtual void noTail(bool state) noexcept; // slot 89
    /// Samples of tail after the input stops; 0: the host's default.
    virtual VstInt32 getGetTailSize() noexcept; // slot 90
    /// The folder the host loaded the effect from; owned by the host.
    virtual void* getDirectory() noexcept; // slot 91
    /// Writes the effect name (32 + 1 bytes); default: false, text untouched.
    virtual bool getEffectName(char* name) noexcept; // slot 92
    /// Writes the vendor text (64 + 1 bytes); default: false, text untouched.
    virtual bool getVendorString(char* text) noexcept; // slot 93
    /// Writes the product text (64 + 1 bytes); default: false, text untouched.
    virtual bool getProductString(char* text) noexcept; // slot 94
    /// The effect's vendor version; 1.
    virtual VstInt32 getVendorVersion() noexcept; // slot 95
    /// Answers a vendor-specific request; 0.
    virtual VstIntPtr vendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                     float floatArg) noexcept; // slot 96
    /// Whether the effect can do `text`: 1 yes, -1 no, 0 unknown; 0 for every text.
    virtual VstInt32 canDo(char* text) noexcept; // slot 97
    /// The VST version the effect implements: 2400.
    virtual VstInt32 getVstVersion() noexcept; // slot 98
    /// kPlugCategSynth while effFlagsIsSynth is set, else kPlugCategUnknown.
    virtual VstInt32 getPlugCategory() noexcept; // slot 99

    /// Fills a MIDI program name of `channel`; 0 programs.
    virtual VstInt32 getMidiProgramName(VstInt32 channel,
                                        MidiProgramName* name) noexcept; // slot 100
    /// The current MIDI program of `channel`; -1: none.
    virtual VstInt32 getCurrentMidiProgram(VstInt32 channel,
                                           MidiProgramName* current) noexcept; // slot 101
    /// Fills a MIDI program category of `channel`; 0 categories.
    virtual VstInt32 getMidiProgramCategory(VstInt32 channel,
                                            MidiProgramCategory* category) noexcept; // slot 102
    /// Whether the MIDI programs of `channel` changed; false.
    virtual bool hasMidiProgramsChanged(VstInt32 channel) noexcept; // slot 103
    /// Fills a MIDI key name of `channel`; false: none.
    virtual bool getMidiKeyName(VstInt32 channel, MidiKeyName* keyName) noexcept; // slot 104

    /// Asks the host to refresh its display of the effect.
    virtual bool updateDisplay() noexcept; // slot 105
    /// Asks the host to resize the editor window.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height) noexcept; // slot 106
    /// Asks the host to open a file selector; false for a null selector.
    virtual bool openFileSelector(VstFileSelect* fileSelect) noexcept; // slot 107
    /// Asks the host to close a file selector; false for a null selector.
    virtual bool closeFileSelector(VstFileSelect* fileSelect) noexcept; // slot 108
    /// Shell plug-ins: the next contained effect's name and ID; 0: none.
    virtual VstInt32 getNextShellPlugin(char* name) noexcept; // slot 109

    /// Replaces the arrangement in `location` by a zeroed one of `channels` speakers.
    virtual bool allocateArrangement(VstSpeakerArrangement** location,
                                     VstInt32 channels) noexcept; // slot 110
    /// Releases the arrangement in `location`, leaving null.
    virtual bool deallocateArrangement(VstSpeakerArrangement** location) noexcept; // slot 111
    /// Copies one speaker, cutting its name to 63 characters.
    virtual bool copySpeaker(VstSpeakerProperties* to,
                             VstSpeakerProperties* from) noexcept; // slot 112
    /// Replaces the arrangement in `location` by a copy of `from`.
    virtual bool matchArrangement(VstSpeakerArrangement** location,
                                  VstSpeakerArrangement* from) noexcept; // slot 113

    /// Offline: asks the host to read audio for a task.
    virtual bool offlineRead(VstOfflineTask* offline, VstInt32 option,
                             bool readSource) noexcept; // slot 114
    /// Offline: asks the host to write audio for a task.
    virtual bool offlineWrite(VstOfflineTask* offline, VstInt32 option) noexcept; // slot 115
    /// Offline: asks the host to start processing audio files.
    virtual bool offlineStart(VstAudioFile* audioFiles, VstInt32 numAudioFiles,
                              VstInt32 numNewAudioFiles) noexcept; // slot 116
    /// Offline: 1 when the host reports a current pass, else 0.
    virtual VstInt32 offlineGetCurrentPass() noexcept; // slot 117
    /// Offline: 1 when the host reports a current meta pass, else 0.
    virtual VstInt32 offlineGetCurrentMetaPass() noexcept; // slot 118
    /// Offline: the host announces audio files; false.
    virtual bool offlineNotify(VstAudioFile* audioFiles, VstInt32 numAudioFiles,
                               bool start) noexcept; // slot 119
    /// Offline: prepare tasks; false.
    virtual bool offlinePrepare(VstOfflineTask* offline, VstInt32 count) noexcept; // slot 120
    /// Offline: run tasks; false.
    virtual bool offlineRun(VstOfflineTask* offline, VstInt32 count) noexcept; // slot 121
    /// Offline: passes the effect needs; 0.
    virtual VstInt32 offlineGetNumPasses() noexcept; // slot 122
    /// Offline: meta passes the effect needs; 0.
    virtual VstInt32 offlineGetNumMetaPasses() noexcept; // slot 123

    /// Asks the host to send MIDI events matching `filter`.
    virtual void wantEvents(VstInt32 filter) noexcept; // slot 124
    /// The host's tempo at a sample position.
    virtual VstInt32 tempoAt(VstInt32 position) noexcept; // slot 125
    /// How many parameters the host can automate.
    virtual VstInt32 getNumAutomatableParameters() noexcept; // slot 126
    /// The host's parameter quantization.
    virtual VstInt32 getParameterQuantization() noexcept; // slot 127
    /// Number of program categories; 1.
    virtual VstInt32 getNumCategories() noexcept; // slot 128
    /// Copies the current program to `destination`; false.
    virtual bool copyProgram(VstInt32 destination) noexcept; // slot 129
    /// Asks the host for idle calls.
    virtual bool needIdle() noexcept; // slot 130
    /// The effect feeding our input `input`; its argument is not sent.
    virtual AEffect* getPreviousPlug(VstInt32 input) noexcept; // slot 131
    /// The effect fed by our output `output`; its argument is not sent.
    virtual AEffect* getNextPlug(VstInt32 output) noexcept; // slot 132
    /// The host connected or disconnected input `index`; ignored.
    virtual void inputConnected(VstInt32 index, bool state) noexcept; // slot 133
    /// The host connected or disconnected output `index`; ignored.
    virtual void outputConnected(VstInt32 index, bool state) noexcept; // slot 134
    /// Whether the host will call processReplacing or process.
    virtual VstInt32 willProcessReplacing() noexcept; // slot 135
    /// Sets or clears effFlagsExtIsAsync.
    virtual void wantAsyncOperation(bool state) noexcept; // slot 136
    /// Sets or clears effFlagsExtHasBuffer.
    virtual void hasExternalBuffer(bool state) noexcept; // slot 137
    /// Asynchronous processing position; 0.
    virtual VstInt32 reportCurrentPosition() noexcept; // slot 138
    /// Asynchronous destination buffer; null.
    virtual float* reportDestinationBuffer() noexcept; // slot 139
    /// Tells the host the output sample rate.
    virtual void setOutputSamplerate(float samplerate) noexcept; // slot 140
    /// The host's input arrangement; owned by the host.
    virtual VstSpeakerArrangement* getInputSpeakerArrangement() noexcept; // slot 141
    /// The host's output arrangement; owned by the host.
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement() noexcept; // slot 142
    /// Asks the host to open a window.
    virtual void* openWindow(VstWindow* window) noexcept; // slot 143
    /// Asks the host to close a window.
    virtual bool closeWindow(VstWindow* window) noexcept; // slot 144
    /// Stores both values directly, without calling setBlockSize or setSampleRate.
    virtual void setBlockSizeAndSampleRate(VstInt32 size, float rate) noexcept; // slot 145
    /// Writes a text for the last error; false.
    virtual bool getErrorText(char* text) noexcept; // slot 146
    /// The effect's icon; null.
    virtual void* getIcon() noexcept; // slot 147
    /// Moves the editor; false.
    virtual bool setViewPosition(VstInt32 x, VstInt32 y) noexcept; // slot 148
    /// Idle call of the effect; 0.
    virtual VstInt32 fxIdle() noexcept; // slot 149
    /// Whether the editor needs keys; false.
    virtual bool keysRequired() noexcept; // slot 150
    /// Asks the host for the path of the chunk file being loaded; false for a null path.
    virtual bool getChunkFile(void* nativePath) noexcept; // slot 151
};
