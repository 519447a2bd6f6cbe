// The base of every effect: owns the AEffect record the host sees and turns
// host calls arriving through it into virtual operations with defaults.
#pragma once

#include "aeffect.h"

class AudioEffect;

/// The editor interface the dispatchers talk to. No class of this plug-in
/// implements it; it exists so that the dispatch paths stay complete. The
/// virtual slots are part of the contract: 0 destructor, 2 getRect, 3 open,
/// 4 close, 6 idle, 7 onKeyDown, 8 onKeyUp, 10 setKnobMode.
class AEffEditor {
public:
    /// Releases the editor's window resources.
    virtual ~AEffEditor() = default; // slot 0
    /// The effect the editor belongs to.
    virtual AudioEffect* getEffect() noexcept { return nullptr; } // slot 1
    /// effEditGetRect: stores the address of the editor's rectangle through `rect`.
    virtual bool getRect(void* rect) noexcept = 0; // slot 2
    /// effEditOpen: opens the editor inside the host's `window`.
    virtual bool open(void* window) noexcept = 0; // slot 3
    /// effEditClose: closes the editor window.
    virtual void close() noexcept = 0; // slot 4
    /// Whether the editor window is open.
    virtual bool isOpen() noexcept { return false; } // slot 5
    /// effEditIdle: periodic work on the host's user-interface thread.
    virtual void idle() noexcept {} // slot 6
    /// effEditKeyDown: a key press; true when the editor used it.
    virtual bool onKeyDown(VstKeyCode& keyCode) noexcept = 0; // slot 7
    /// effEditKeyUp: a key release; true when the editor used it.
    virtual bool onKeyUp(VstKeyCode& keyCode) noexcept = 0; // slot 8
    /// A mouse-wheel movement; true when the editor used it.
    virtual bool onWheel(float distance) noexcept = 0; // slot 9
    /// effSetEditKnobMode: how knobs follow the mouse.
    virtual bool setKnobMode(VstInt32 mode) noexcept = 0; // slot 10
};

/// Effect base class. Every host call reaches the object through the record
/// `cEffect`; the static entry functions find the object again from the
/// record's `object` field. The virtual operations keep a fixed slot order
/// (the numbers beside them), which derived classes extend from slot 50 on.
///
/// The record points back at the object, so the object must stay where it
/// was constructed: it is neither copyable nor movable.
class AudioEffect {
public:
    /// Fills the record with its defaults. `audioMaster` may be null: the host
    /// requests then answer fixed fall-backs and send nothing.
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams) noexcept;
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;
    AudioEffect(AudioEffect&&) = delete;
    AudioEffect& operator=(AudioEffect&&) = delete;

    /// Destroys the editor, if one is attached.
    virtual ~AudioEffect(); // slot 0

    /// Serves effect opcodes 0..24; every other opcode answers 0.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) noexcept; // slot 1

    /// effOpen: the host has finished creating the instance.
    virtual void open() noexcept {} // slot 2
    /// effClose: runs just before the object is destroyed.
    virtual void close() noexcept {} // slot 3
    /// effMainsChanged 0: processing is switched off.
    virtual void suspend() noexcept {} // slot 4
    /// effMainsChanged non-zero: processing is about to start.
    virtual void resume() noexcept {} // slot 5

    /// Stores the host's sample rate, in Hz.
    virtual void setSampleRate(float rate) noexcept { sampleRate = rate; } // slot 6
    /// Stores the largest number of frames a processing call will bring.
    virtual void setBlockSize(VstInt32 size) noexcept { blockSize = size; } // slot 7

    /// Replaces `sampleFrames` samples of each output channel. Audio thread.
    virtual void processReplacing(float** inputs, float** outputs,
                                  VstInt32 sampleFrames) noexcept = 0; // slot 8
    /// As processReplacing for 64-bit samples; does nothing by default.
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/) noexcept {} // slot 9

    /// Sets a parameter from a host value, nominally 0..1. Any host thread.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) noexcept {} // slot 10
    /// Reads a parameter as a host value, nominally 0..1. Any host thread.
    virtual float getParameter(VstInt32 /*index*/) noexcept { return 0.0f; } // slot 11
    /// Sets the parameter, then tells the host (audioMasterAutomate).
    virtual void setParameterAutomated(VstInt32 index, float value) noexcept; // slot 12

    /// The index of the current program.
    virtual VstInt32 getProgram() noexcept { return curProgram; } // slot 13
    /// Makes `program` current; the dispatcher has checked it against numPrograms.
    virtual void setProgram(VstInt32 program) noexcept { curProgram = program; } // slot 14
    /// Renames the current program; ignored by default.
    virtual void setProgramName(char* /*name*/) noexcept {} // slot 15
    /// Writes the current program's name; the empty text by default.
    virtual void getProgramName(char* name) noexcept; // slot 16
    /// Writes a parameter's unit label (8 characters); the empty text by default.
    virtual void getParameterLabel(VstInt32 index, char* label) noexcept; // slot 17
    /// Writes a parameter's value as text (8 characters); the empty text by default.
    virtual void getParameterDisplay(VstInt32 index, char* text) noexcept; // slot 18
    /// Writes a parameter's name (8 characters); the empty text by default.
    virtual void getParameterName(VstInt32 index, char* text) noexcept; // slot 19
    /// Hands the host a state block to save; 0 bytes by default.
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) noexcept { return 0; } // slot 20
    /// Restores a state block the host saved; ignored by default.
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) noexcept {
        return 0;
    } // slot 21

    /// Sets the record's four-character unique ID.
    virtual void setUniqueID(VstInt32 id) noexcept { cEffect.uniqueID = id; } // slot 22
    /// Sets the record's number of audio inputs.
    virtual void setNumInputs(VstInt32 inputs) noexcept { cEffect.numInputs = inputs; } // slot 23
    /// Sets the record's number of audio outputs.
    virtual void setNumOutputs(VstInt32 outputs) noexcept {
        cEffect.numOutputs = outputs;
    } // slot 24
    /// Announces (or withdraws) processReplacing: flag effFlagsCanReplacing.
    virtual void canProcessReplacing(bool state) noexcept; // slot 25
    /// Announces (or withdraws) 64-bit processing: flag effFlagsCanDoubleReplacing.
    virtual void canDoubleReplacing(bool state) noexcept; // slot 26
    /// Announces that programs travel as chunks: flag effFlagsProgramChunks.
    virtual void programsAreChunks(bool state) noexcept; // slot 27
    /// Sets the latency the host compensates, in samples.
    virtual void setInitialDelay(VstInt32 delay) noexcept {
        cEffect.initialDelay = delay;
    } // slot 28

    /// The attached editor, or null.
    virtual AEffEditor* getEditor() noexcept { return editor; } // slot 29
    /// The record the host sees; what the entry point returns.
    virtual AEffect* getAeffect() noexcept { return &cEffect; } // slot 30
    /// The last sample rate set, in Hz.
    virtual float getSampleRate() noexcept { return sampleRate; } // slot 31
    /// The last block size set, in frames.
    virtual VstInt32 getBlockSize() noexcept { return blockSize; } // slot 32
    /// The host's VST version; 1 without a host or when it answers 0.
    virtual VstInt32 getMasterVersion() noexcept; // slot 33
    /// The unique ID of the effect the host is loading (shell plug-ins); 0 without a host.
    virtual VstInt32 getCurrentUniqueId() noexcept; // slot 34
    /// Gives the host a chance to run its idle work; nothing without a host.
    virtual void masterIdle() noexcept; // slot 35

    // Display texts in the house style: at most maxLen characters into a
    // buffer of maxLen + 1 bytes, zero-filled up to and including text[maxLen];
    // nothing at all is written for a negative maxLen.

    /// A linear amplitude in decibels, or "-oo" for one not above 0.
    virtual void dB2string(float value, char* text, VstInt32 maxLen) noexcept; // slot 36
    /// A period length in samples as a frequency in Hz.
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen) noexcept; // slot 37
    /// A length in samples as milliseconds.
    virtual void ms2string(float samples, char* text, VstInt32 maxLen) noexcept; // slot 38
    /// Eight characters with a decimal point, fraction cut; "Huge!" or "NaN" otherwise.
    virtual void float2string(float value, char* text, VstInt32 maxLen) noexcept; // slot 39
    /// Decimal digits with an optional "-"; "Huge!" from 100,000,000 on.
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen) noexcept; // slot 40

    /// Accumulating processing for old hosts; does nothing by default.
    virtual void process(float** /*inputs*/, float** /*outputs*/,
                         VstInt32 /*sampleFrames*/) noexcept {} // slot 41
    /// A level meter value; 0 by default and never consulted by the dispatcher.
    virtual float getVu() noexcept { return 0.0f; } // slot 42
    /// Announces a level meter: flag effFlagsHasVu.
    virtual void hasVu(bool state) noexcept; // slot 43
    /// Announces a clip indicator: flag effFlagsHasClip.
    virtual void hasClip(bool state) noexcept; // slot 44
    /// Announces that mono input is handled: flag effFlagsCanMono.
    virtual void canMono(bool state) noexcept; // slot 45
    /// Stores the record's real-time quality setting (unused by hosts today).
    virtual void setRealtimeQualities(VstInt32 qualities) noexcept {
        cEffect.realQualities = qualities;
    } // slot 46
    /// Stores the record's offline quality setting (unused by hosts today).
    virtual void setOfflineQualities(VstInt32 qualities) noexcept {
        cEffect.offQualities = qualities;
    } // slot 47
    /// Whether the host has connected that input; true without a host.
    virtual bool isInputConnected(VstInt32 input) noexcept; // slot 48
    /// Whether the host has connected that output; true without a host.
    virtual bool isOutputConnected(VstInt32 output) noexcept; // slot 49

    // Entry functions behind the record's function pointers. Each recovers the
    // object from the record and forwards to one virtual operation; a null
    // record is answered as an unserved call.

    /// Behind AEffect.dispatcher; on effClose it also destroys the object and answers 1.
    static VstIntPtr VSTCALLBACK dispatcherEntry(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                 VstIntPtr value, void* ptr, float opt) noexcept;
    /// Behind AEffect.setParameter.
    static void VSTCALLBACK setParameterEntry(AEffect* e, VstInt32 index, float value) noexcept;
    /// Behind AEffect.getParameter.
    static float VSTCALLBACK getParameterEntry(AEffect* e, VstInt32 index) noexcept;
    /// Behind AEffect.process.
    static void VSTCALLBACK processEntry(AEffect* e, float** inputs, float** outputs,
                                         VstInt32 sampleFrames) noexcept;
    /// Behind AEffect.processReplacing. Audio thread.
    static void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs, float** outputs,
                                                  VstInt32 sampleFrames) noexcept;
    /// Behind AEffect.processDoubleReplacing. Audio thread.
    static void VSTCALLBACK processDoubleReplacingEntry(AEffect* e, double** inputs,
                                                        double** outputs,
                                                        VstInt32 sampleFrames) noexcept;

protected:
    /// Sets or clears one bit of the record's flags, leaving the others.
    void setFlag(VstInt32 bit, bool state) noexcept;
    /// Sends one request to the host; the caller has checked `audioMaster`.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) noexcept;

    audioMasterCallback audioMaster; ///< null when made without a host
    AEffEditor* editor;              ///< owned; always null in this plug-in
    float sampleRate;                ///< Hz, last value set
    VstInt32 blockSize;              ///< largest block the host announced
    VstInt32 numPrograms;            ///< programs offered, as given to the constructor
    VstInt32 numParams;              ///< parameters offered, as given to the constructor
    VstInt32 curProgram;             ///< index of the current program
    AEffect cEffect;                 ///< the record handed to the host
};
