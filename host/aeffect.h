/*
 * The VST 2.4 effect record and the numbers that travel with it.
 *
 * This header is shared with the host at the binary level: the record below is
 * read and written by code we did not compile, so its layout is fixed. It is
 * plain C on purpose (it compiles as C11 and as C++20) so that it can be
 * checked on its own and so that nothing C++ leaks into the binary interface.
 *
 * Threads, as hosts use them: `dispatcher`, `setParameter` and `getParameter`
 * arrive on the host's user-interface or worker threads; `processReplacing`
 * (and `process`, `processDoubleReplacing`) on its audio thread. Only
 * `effClose` must not overlap another call.
 */
#ifndef VORLEN_HOST_AEFFECT_H
#define VORLEN_HOST_AEFFECT_H

#include <stddef.h>
#include <stdint.h>

/* Every function pointer that crosses the boundary uses the C calling
 * convention. 32-bit Windows compilers could otherwise pick another one, and a
 * host built with a different default would corrupt its stack. */
#if defined(_WIN32)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** 32-bit signed integer of the interface (indices, counts, opcodes). */
typedef int32_t VstInt32;
/** Pointer-sized signed integer: values and results that may carry a pointer. */
typedef intptr_t VstIntPtr;

typedef struct AEffect AEffect;

/** The host's callback: how an effect asks the host something.
 *  Arguments: the asking effect's record (null before one exists), a host
 *  opcode (audioMaster...), an index, a value, a pointer and a float, whose
 *  meaning depends on the opcode. Returns the host's answer. */
typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode,
                                                     VstInt32 index, VstIntPtr value, void* ptr,
                                                     float opt);

/** Effect opcodes (eff...) go through this; the result is opcode-specific. */
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode,
                                                       VstInt32 index, VstIntPtr value, void* ptr,
                                                       float opt);
/** Audio processing: `inputs` and `outputs` point to one buffer of
 *  `sampleFrames` samples per channel. Called on the host's audio thread. */
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
/** As AEffectProcessProc, for 64-bit samples. */
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
/** Sets parameter `index` to a host value, nominally 0..1. Any host thread. */
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float value);
/** Reads parameter `index` as a host value, nominally 0..1. Any host thread. */
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

/** The record the host sees. It lives inside the effect object, from the
 *  entry point's return until `effClose`; the host never frees it.
 *  Offsets in the comments are those of a build with 4-byte pointers (144
 *  bytes in all); with 8-byte pointers each pointer and pointer-sized field
 *  takes 8 bytes at 8-byte alignment, in the same order (192 bytes). */
struct AEffect {
    VstInt32 magic; /**< 0: kEffectMagic, 'VstP'; hosts reject a record without it */
    AEffectDispatcherProc dispatcher;                 /**< 4: every effect opcode */
    AEffectProcessProc process;                       /**< 8: accumulating processing (old hosts) */
    AEffectSetParameterProc setParameter;             /**< 12 */
    AEffectGetParameterProc getParameter;             /**< 16 */
    VstInt32 numPrograms;                             /**< 20: programs offered */
    VstInt32 numParams;                               /**< 24: parameters offered */
    VstInt32 numInputs;                               /**< 28: audio input channels */
    VstInt32 numOutputs;                              /**< 32: audio output channels */
    VstInt32 flags;                                   /**< 36: effFlags... bits */
    VstIntPtr reserved1;                              /**< 40: host's, keep 0 */
    VstIntPtr reserved2;                              /**< 44: host's, keep 0 */
    VstInt32 initialDelay;                            /**< 48: latency in samples */
    VstInt32 realQualities;                           /**< 52: unused, 0 */
    VstInt32 offQualities;                            /**< 56: unused, 0 */
    float ioRatio;                                    /**< 60: output/input rate, 1.0 */
    void* object;                                     /**< 64: the effect object behind it */
    void* user;                                       /**< 68: reserved, 0; never set here */
    VstInt32 uniqueID;                                /**< 72: four-character code */
    VstInt32 version;                                 /**< 76: effect version */
    AEffectProcessProc processReplacing;              /**< 80: replacing processing */
    AEffectProcessDoubleProc processDoubleReplacing;  /**< 84: replacing, 64-bit samples */
    char future[56];                                  /**< 88: reserved, zero */
};

/* Four-character codes are 32-bit integers, first character in the most
 * significant byte. */
#define VST_FOURCC(a, b, c, d)                                                                     \
    ((VstInt32)(((uint32_t)(unsigned char)(a) << 24) | ((uint32_t)(unsigned char)(b) << 16) |      \
                ((uint32_t)(unsigned char)(c) << 8) | (uint32_t)(unsigned char)(d)))

enum {
    kEffectMagic = 0x56737450,     /**< 'VstP' */
    kEffectIdentify = 0x4E764566,  /**< 'NvEf': the answer to effIdentify */
    kEffectNoUniqueId = 0x4E6F4566, /**< 'NoEf': the base record's placeholder ID */
    kVstVersion = 2400
};

/** Bits of AEffect.flags. */
enum {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,
    effFlagsExtHasBuffer = 1 << 11,
    effFlagsCanDoubleReplacing = 1 << 12
};

/** Opcodes the host sends through AEffect.dispatcher. Gaps are opcodes that
 *  no class here serves; they answer 0. */
enum {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditIdle = 19,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28,
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,
    effConnectInput = 31,
    effConnectOutput = 32,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,
    effGetDestinationBuffer = 37,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,
    effGetIcon = 54,
    effSetViewPosition = 55,
    effGetParameterProperties = 56,
    effKeysRequired = 57,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79
};

/** Opcodes an effect sends through the host callback. */
enum {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterTempoAt = 10,
    audioMasterGetNumAutomatableParameters = 11,
    audioMasterGetParameterQuantization = 12,
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,
    audioMasterGetNextPlug = 21,
    audioMasterWillReplaceOrAccumulate = 22,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,
    audioMasterGetOutputSpeakerArrangement = 31,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,
    audioMasterCloseWindow = 40,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterGetChunkFile = 48,
    audioMasterGetInputSpeakerArrangement = 49
};

/** Plug-in categories answered to effGetPlugCategory. */
enum { kPlugCategUnknown = 0, kPlugCategSynth = 2 };

/** A key press for the editor (effEditKeyDown, effEditKeyUp). */
typedef struct VstKeyCode {
    VstInt32 character;     /**< the opcode's index: an ASCII character */
    unsigned char virt;     /**< low byte of the opcode's value: a virtual key */
    unsigned char modifier; /**< low byte of the opcode's float: modifier keys */
} VstKeyCode;

/** The entry point the library exports as "VSTPluginMain" (and "main"). */
typedef AEffect*(VSTCALLBACK* VstPluginMainProc)(audioMasterCallback audioMaster);

/* The binary layout, checked wherever this header is compiled. */
#ifdef __cplusplus
#define VORLEN_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define VORLEN_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

VORLEN_STATIC_ASSERT(sizeof(VstIntPtr) == sizeof(void*), "VstIntPtr is pointer-sized");

#if UINTPTR_MAX == 0xFFFFFFFFu
VORLEN_STATIC_ASSERT(sizeof(AEffect) == 144, "AEffect is 144 bytes with 4-byte pointers");
VORLEN_STATIC_ASSERT(offsetof(AEffect, dispatcher) == 4, "AEffect.dispatcher");
VORLEN_STATIC_ASSERT(offsetof(AEffect, process) == 8, "AEffect.process");
VORLEN_STATIC_ASSERT(offsetof(AEffect, setParameter) == 12, "AEffect.setParameter");
VORLEN_STATIC_ASSERT(offsetof(AEffect, getParameter) == 16, "AEffect.getParameter");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numPrograms) == 20, "AEffect.numPrograms");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numParams) == 24, "AEffect.numParams");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numInputs) == 28, "AEffect.numInputs");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numOutputs) == 32, "AEffect.numOutputs");
VORLEN_STATIC_ASSERT(offsetof(AEffect, flags) == 36, "AEffect.flags");
VORLEN_STATIC_ASSERT(offsetof(AEffect, reserved1) == 40, "AEffect.reserved1");
VORLEN_STATIC_ASSERT(offsetof(AEffect, reserved2) == 44, "AEffect.reserved2");
VORLEN_STATIC_ASSERT(offsetof(AEffect, initialDelay) == 48, "AEffect.initialDelay");
VORLEN_STATIC_ASSERT(offsetof(AEffect, realQualities) == 52, "AEffect.realQualities");
VORLEN_STATIC_ASSERT(offsetof(AEffect, offQualities) == 56, "AEffect.offQualities");
VORLEN_STATIC_ASSERT(offsetof(AEffect, ioRatio) == 60, "AEffect.ioRatio");
VORLEN_STATIC_ASSERT(offsetof(AEffect, object) == 64, "AEffect.object");
VORLEN_STATIC_ASSERT(offsetof(AEffect, user) == 68, "AEffect.user");
VORLEN_STATIC_ASSERT(offsetof(AEffect, uniqueID) == 72, "AEffect.uniqueID");
VORLEN_STATIC_ASSERT(offsetof(AEffect, version) == 76, "AEffect.version");
VORLEN_STATIC_ASSERT(offsetof(AEffect, processReplacing) == 80, "AEffect.processReplacing");
VORLEN_STATIC_ASSERT(offsetof(AEffect, processDoubleReplacing) == 84,
                     "AEffect.processDoubleReplacing");
VORLEN_STATIC_ASSERT(offsetof(AEffect, future) == 88, "AEffect.future");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
VORLEN_STATIC_ASSERT(sizeof(AEffect) == 192, "AEffect is 192 bytes with 8-byte pointers");
VORLEN_STATIC_ASSERT(offsetof(AEffect, dispatcher) == 8, "AEffect.dispatcher");
VORLEN_STATIC_ASSERT(offsetof(AEffect, process) == 16, "AEffect.process");
VORLEN_STATIC_ASSERT(offsetof(AEffect, setParameter) == 24, "AEffect.setParameter");
VORLEN_STATIC_ASSERT(offsetof(AEffect, getParameter) == 32, "AEffect.getParameter");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numPrograms) == 40, "AEffect.numPrograms");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numParams) == 44, "AEffect.numParams");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numInputs) == 48, "AEffect.numInputs");
VORLEN_STATIC_ASSERT(offsetof(AEffect, numOutputs) == 52, "AEffect.numOutputs");
VORLEN_STATIC_ASSERT(offsetof(AEffect, flags) == 56, "AEffect.flags");
VORLEN_STATIC_ASSERT(offsetof(AEffect, reserved1) == 64, "AEffect.reserved1");
VORLEN_STATIC_ASSERT(offsetof(AEffect, reserved2) == 72, "AEffect.reserved2");
VORLEN_STATIC_ASSERT(offsetof(AEffect, initialDelay) == 80, "AEffect.initialDelay");
VORLEN_STATIC_ASSERT(offsetof(AEffect, realQualities) == 84, "AEffect.realQualities");
VORLEN_STATIC_ASSERT(offsetof(AEffect, offQualities) == 88, "AEffect.offQualities");
VORLEN_STATIC_ASSERT(offsetof(AEffect, ioRatio) == 92, "AEffect.ioRatio");
VORLEN_STATIC_ASSERT(offsetof(AEffect, object) == 96, "AEffect.object");
VORLEN_STATIC_ASSERT(offsetof(AEffect, user) == 104, "AEffect.user");
VORLEN_STATIC_ASSERT(offsetof(AEffect, uniqueID) == 112, "AEffect.uniqueID");
VORLEN_STATIC_ASSERT(offsetof(AEffect, version) == 116, "AEffect.version");
VORLEN_STATIC_ASSERT(offsetof(AEffect, processReplacing) == 120, "AEffect.processReplacing");
VORLEN_STATIC_ASSERT(offsetof(AEffect, processDoubleReplacing) == 128,
                     "AEffect.processDoubleReplacing");
VORLEN_STATIC_ASSERT(offsetof(AEffect, future) == 136, "AEffect.future");
#else
#error "AEffect layout is defined for 4-byte and 8-byte pointers only"
#endif

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VORLEN_HOST_AEFFECT_H */
