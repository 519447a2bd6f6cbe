#include "audioeffectx.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <iterator>

// The virtual slots are a binary contract with effect classes compiled
// separately, so each operation's position is read back from the compiler
// rather than trusted to declaration order.
namespace {

static_assert(sizeof(AudioEffectX) == sizeof(AudioEffect), "AudioEffectX adds no data");

#if (defined(__GNUC__) || defined(__clang__)) && !defined(_MSC_VER) && !defined(__arm__) &&        \
    !defined(__aarch64__)
#define VORLEN_ITANIUM_MEMBER_POINTERS 1

/// The first word of a pointer to a virtual member: 1 + the byte offset of its vtable entry.
template <typename MemberPointer>
std::ptrdiff_t word(MemberPointer member) {
    static_assert(sizeof(MemberPointer) == 2 * sizeof(std::ptrdiff_t));
    std::ptrdiff_t first = 0;
    std::memcpy(&first, &member, sizeof first);
    return first;
}

/// An operation's name and the first word of its member pointer.
struct Operation {
    const char* name;
    std::ptrdiff_t word;
};

// clang-format off
#define B(name) Operation{#name, word(&AudioEffect::name)}
#define X(name) Operation{#name, word(&AudioEffectX::name)}
// Slots 1 to 151 in order; slot 0, the destructor, has no member pointer.
const Operation kSlots[] = {
    B(dispatcher), B(open), B(close), B(suspend), B(resume), B(setSampleRate), B(setBlockSize),
    B(processReplacing), B(processDoubleReplacing), B(setParameter), B(getParameter),
    B(setParameterAutomated), B(getProgram), B(setProgram), B(setProgramName), B(getProgramName),
    B(getParameterLabel), B(getParameterDisplay), B(getParameterName), B(getChunk), B(setChunk),
    B(setUniqueID), B(setNumInputs), B(setNumOutputs), B(canProcessReplacing),
    B(canDoubleReplacing), B(programsAreChunks), B(setInitialDelay), B(getEditor), B(getAeffect),
    B(getSampleRate), B(getBlockSize), B(getMasterVersion), B(getCurrentUniqueId), B(masterIdle),
    B(dB2string), B(Hz2string), B(ms2string), B(float2string), B(int2string), B(process), B(getVu),
    B(hasVu), B(hasClip), B(canMono), B(setRealtimeQualities), B(setOfflineQualities),
    B(isInputConnected), B(isOutputConnected), X(canParameterBeAutomated), X(string2parameter),
    X(getParameterProperties), X(beginEdit), X(endEdit), X(getProgramNameIndexed),
    X(beginSetProgram), X(endSetProgram), X(beginLoadBank), X(beginLoadProgram), X(ioChanged),
    X(updateSampleRate), X(updateBlockSize), X(getInputLatency), X(getOutputLatency),
    X(getInputProperties), X(getOutputProperties), X(setSpeakerArrangement),
    X(getSpeakerArrangement), X(setBypass), X(setPanLaw), X(setProcessPrecision),
    X(getNumMidiInputChannels), X(getNumMidiOutputChannels), X(getTimeInfo),
    X(getCurrentProcessLevel), X(getAutomationState), X(processEvents), X(startProcess),
    X(stopProcess), X(processVariableIo), X(setTotalSampleToProcess), X(getHostVendorString),
    X(getHostProductString), X(getHostVendorVersion), X(hostVendorSpecific), X(canHostDo),
    X(getHostLanguage), X(isSynth), X(noTail), X(getGetTailSize), X(getDirectory),
    X(getEffectName), X(getVendorString), X(getProductString), X(getVendorVersion),
    X(vendorSpecific), X(canDo), X(getVstVersion), X(getPlugCategory), X(getMidiProgramName),
    X(getCurrentMidiProgram), X(getMidiProgramCategory), X(hasMidiProgramsChanged),
    X(getMidiKeyName), X(updateDisplay), X(sizeWindow), X(openFileSelector), X(closeFileSelector),
    X(getNextShellPlugin), X(allocateArrangement), X(deallocateArrangement), X(copySpeaker),
    X(matchArrangement), X(offlineRead), X(offlineWrite), X(offlineStart),
    X(offlineGetCurrentPass), X(offlineGetCurrentMetaPass), X(offlineNotify), X(offlinePrepare),
    X(offlineRun), X(offlineGetNumPasses), X(offlineGetNumMetaPasses), X(wantEvents), X(tempoAt),
    X(getNumAutomatableParameters), X(getParameterQuantization), X(getNumCategories),
    X(copyProgram), X(needIdle), X(getPreviousPlug), X(getNextPlug), X(inputConnected),
    X(outputConnected), X(willProcessReplacing), X(wantAsyncOperation), X(hasExternalBuffer),
    X(reportCurrentPosition), X(reportDestinationBuffer), X(setOutputSamplerate),
    X(getInputSpeakerArrangement), X(getOutputSpeakerArrangement), X(openWindow), X(closeWindow),
    X(setBlockSizeAndSampleRate), X(getErrorText), X(getIcon), X(setViewPosition), X(fxIdle),
    X(keysRequired), X(getChunkFile),
};
// clang-format on
#undef B
#undef X
#endif

TEST(SlotOrder, EveryOperationSitsInItsSlot) {
#ifdef VORLEN_ITANIUM_MEMBER_POINTERS
    ASSERT_EQ(std::size(kSlots), 151u);
    for (std::ptrdiff_t slot = 1; slot <= 151; ++slot) {
        // The ABI gives the virtual destructor two entries where the slot
        // numbering counts one, so slot s is vtable entry s + 1.
        const Operation& op = kSlots[slot - 1];
        const auto expected = 1 + (slot + 1) * static_cast<std::ptrdiff_t>(sizeof(void*));
        EXPECT_EQ(op.word, expected) << op.name << " should be slot " << slot;
    }
#else
    GTEST_SKIP() << "member-pointer layout of this compiler's ABI is not known";
#endif
}

} // namespace
