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
    virtual ~AEffEditor() = default;                              // slot 0
    virtual AudioEffect* getEffect() noexcept { return nullptr; } // slot 1
    virtual bool getRect(void* rect) noexcept = 0;                // slot 2
    virtual bool open(void* window) noexcept = 0;                 // slot 3
    virtual void close() noexcept = 0;                            // slot 4
    virtual bool isOpen() noexcept { return false; }              // slot 5
    virtual void idle() noexcept {}                               // slot 6
    virtual bool onKeyDown(VstKeyCode& keyCode) noexcept = 0;     // slot 7
    virtual bool onKeyUp(VstKeyCode& keyCode) noexcept = 0;       // slot 8
    virtual bool onWheel(float distance) noexcept = 0;            // slot 9
    virtual bool setKnobMode(VstInt32 mode) noexcept = 0;         // slot 10
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

    virtual void open() noexcept {}    // slot 2
    virtual void close() noexcept {}   // slot 3
    virtual void suspend() noexcept {} // slot 4
    virtual void resume() noexcept {}  // slot 5

    virtual void setSampleRate(float rate) noexcept { sampleRate = rate; }  // slot 6
    virtual void setBlockSize(VstInt32 size) noexcept { blockSize = size; } // slot 7

    /// Replaces `sampleFrames` samples of each output channel. Audio thread.
    virtual void processReplacing(float** inputs, float** outputs,
                                  VstInt32 sampleFrames) noexcept = 0; // slot 8
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/) noexcept {} // slot 9

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) noexcept {} // slot 10
    virtual float getParameter(VstInt32 /*index*/) noexcept { return 0.0f; }   // slot 11
    /// Sets the parameter, then tells the host (audioMasterAutomate).
    virtual void setParameterAutomated(VstInt32 index, float value) noexcept; // slot 12

    virtual VstInt32 getProgram() noexcept { return curProgram; }                        // slot 13
    virtual void setProgram(VstInt32 program) noexcept { curProgram = program; }         // slot 14
    virtual void setProgramName(char* /*name*/) noexcept {}                              // slot 15
    virtual void getProgramName(char* name) noexcept;                                    // slot 16
    virtual void getParameterLabel(VstInt32 index, char* label) noexcept;                // slot 17
    virtual void getParameterDisplay(VstInt32 index, char* text) noexcept;               // slot 18
    virtual void getParameterName(VstInt32 index, char* text) noexcept;                  // slot 19
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) noexcept { return 0; } // slot 20
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) noexcept {
        return 0;
    } // slot 21

    virtual void setUniqueID(VstInt32 id) noexcept { cEffect.uniqueID = id; }           // slot 22
    virtual void setNumInputs(VstInt32 inputs) noexcept { cEffect.numInputs = inputs; } // slot 23
    virtual void setNumOutputs(VstInt32 outputs) noexcept {
        cEffect.numOutputs = outputs;
    }                                                      // slot 24
    virtual void canProcessReplacing(bool state) noexcept; // slot 25
    virtual void canDoubleReplacing(bool state) noexcept;  // slot 26
    virtual void programsAreChunks(bool state) noexcept;   // slot 27
    virtual void setInitialDelay(VstInt32 delay) noexcept {
        cEffect.initialDelay = delay;
    } // slot 28

    virtual AEffEditor* getEditor() noexcept { return editor; }    // slot 29
    virtual AEffect* getAeffect() noexcept { return &cEffect; }    // slot 30
    virtual float getSampleRate() noexcept { return sampleRate; }  // slot 31
    virtual VstInt32 getBlockSize() noexcept { return blockSize; } // slot 32
    /// The host's VST version; 1 without a host or when it answers 0.
    virtual VstInt32 getMasterVersion() noexcept; // slot 33
    /// The unique ID of the effect the host is loading (shell plug-ins).
    virtual VstInt32 getCurrentUniqueId() noexcept; // slot 34
    virtual void masterIdle() noexcept;             // slot 35

    // Display texts in the house style: at most maxLen characters into a
    // buffer of maxLen + 1 bytes, zero-filled up to and including text[maxLen].
    virtual void dB2string(float value, char* text, VstInt32 maxLen) noexcept;     // slot 36
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen) noexcept;   // slot 37
    virtual void ms2string(float samples, char* text, VstInt32 maxLen) noexcept;   // slot 38
    virtual void float2string(float value, char* text, VstInt32 maxLen) noexcept;  // slot 39
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen) noexcept; // slot 40

    /// Accumulating processing for old hosts; does nothing by default.
    virtual void process(float** /*inputs*/, float** /*outputs*/,
                         VstInt32 /*sampleFrames*/) noexcept {} // slot 41
    virtual float getVu() noexcept { return 0.0f; }             // slot 42
    virtual void hasVu(bool state) noexcept;                    // slot 43
    virtual void hasClip(bool state) noexcept;                  // slot 44
    virtual void canMono(bool state) noexcept;                  // slot 45
    virtual void setRealtimeQualities(VstInt32 qualities) noexcept {
        cEffect.realQualities = qualities;
    } // slot 46
    virtual void setOfflineQualities(VstInt32 qualities) noexcept {
        cEffect.offQualities = qualities;
    } // slot 47
    /// Whether the host has connected that pin; true without a host.
    virtual bool isInputConnected(VstInt32 input) noexcept;   // slot 48
    virtual bool isOutputConnected(VstInt32 output) noexcept; // slot 49

    // Entry functions behind the record's function pointers. Each recovers the
    // object from the record and forwards to one virtual operation.
    static VstIntPtr VSTCALLBACK dispatcherEntry(AEffect* e, VstInt32 opcode, VstInt32 index,
                                                 VstIntPtr value, void* ptr, float opt) noexcept;
    static void VSTCALLBACK setParameterEntry(AEffect* e, VstInt32 index, float value) noexcept;
    static float VSTCALLBACK getParameterEntry(AEffect* e, VstInt32 index) noexcept;
    static void VSTCALLBACK processEntry(AEffect* e, float** inputs, float** outputs,
                                         VstInt32 sampleFrames) noexcept;
    static void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs, float** outputs,
                                                  VstInt32 sampleFrames) noexcept;
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
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram;
    AEffect cEffect; ///< the record handed to the host
};
