#include "audioeffectx.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

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

/// One operation and the slot it must occupy.
struct Slot {
    int slot;
    const char* name;
    std::ptrdiff_t word;
};

const Slot kSlots[] = {
    {1, "dispatcher", word(&AudioEffect::dispatcher)},
    {2, "open", word(&AudioEffect::open)},
    {3, "close", word(&AudioEffect::close)},
    {4, "suspend", word(&AudioEffect::suspend)},
    {5, "resume", word(&AudioEffect::resume)},
    {6, "setSampleRate", word(&AudioEffect::setSampleRate)},
    {7, "setBlockSize", word(&AudioEffect::setBlockSize)},
    {8, "processReplacing", word(&AudioEffect::processReplacing)},
    {9, "processDoubleReplacing", word(&AudioEffect::processDoubleReplacing)},
    {10, "setParameter", word(&AudioEffect::setParameter)},
    {11, "getParameter", word(&AudioEffect::getParameter)},
    {12, "setParameterAutomated", word(&AudioEffect::setParameterAutomated)},
    {13, "getProgram", word(&AudioEffect::getProgram)},
    {14, "setProgram", word(&AudioEffect::setProgram)},
    {15, "setProgramName", word(&AudioEffect::setProgramName)},
    {16, "getProgramName", word(&AudioEffect::getProgramName)},
    {17, "getParameterLabel", word(&AudioEffect::getParameterLabel)},
    {18, "getParameterDisplay", word(&AudioEffect::getParameterDisplay)},
    {19, "getParameterName", word(&AudioEffect::getParameterName)},
    {20, "getChunk", word(&AudioEffect::getChunk)},
    {21, "setChunk", word(&AudioEffect::setChunk)},
    {22, "setUniqueID", word(&AudioEffect::setUniqueID)},
    {23, "setNumInputs", word(&AudioEffect::setNumInputs)},
    {24, "setNumOutputs", word(&AudioEffect::setNumOutputs)},
    {25, "canProcessReplacing", word(&AudioEffect::canProcessReplacing)},
    {26, "canDoubleReplacing", word(&AudioEffect::canDoubleReplacing)},
    {27, "programsAreChunks", word(&AudioEffect::programsAreChunks)},
    {28, "setInitialDelay", word(&AudioEffect::setInitialDelay)},
    {29, "getEditor", word(&AudioEffect::getEditor)},
    {30, "getAeffect", word(&AudioEffect::getAeffect)},
    {31, "getSampleRate", word(&AudioEffect::getSampleRate)},
    {32, "getBlockSize", word(&AudioEffect::getBlockSize)},
    {33, "getMasterVersion", word(&AudioEffect::getMasterVersion)},
    {34, "getCurrentUniqueId", word(&AudioEffect::getCurrentUniqueId)},
    {35, "masterIdle", word(&AudioEffect::masterIdle)},
    {36, "dB2string", word(&AudioEffect::dB2string)},
    {37, "Hz2string", word(&AudioEffect::Hz2string)},
    {38, "ms2string", word(&AudioEffect::ms2string)},
    {39, "float2string", word(&AudioEffect::float2string)},
    {40, "int2string", word(&AudioEffect::int2string)},
    {41, "process", word(&AudioEffect::process)},
    {42, "getVu", word(&AudioEffect::getVu)},
    {43, "hasVu", word(&AudioEffect::hasVu)},
    {44, "hasClip", word(&AudioEffect::hasClip)},
    {45, "canMono", word(&AudioEffect::canMono)},
    {46, "setRealtimeQualities", word(&AudioEffect::setRealtimeQualities)},
    {47, "setOfflineQualities", word(&AudioEffect::setOfflineQualities)},
    {48, "isInputConnected", word(&AudioEffect::isInputConnected)},
    {49, "isOutputConnected", word(&AudioEffect::isOutputConnected)},
    {50, "canParameterBeAutomated", word(&AudioEffectX::canParameterBeAutomated)},
    {51, "string2parameter", word(&AudioEffectX::string2parameter)},
    {52, "getParameterProperties", word(&AudioEffectX::getParameterProperties)},
    {53, "beginEdit", word(&AudioEffectX::beginEdit)},
    {54, "endEdit", word(&AudioEffectX::endEdit)},
    {55, "getProgramNameIndexed", word(&AudioEffectX::getProgramNameIndexed)},
    {56, "beginSetProgram", word(&AudioEffectX::beginSetProgram)},
    {57, "endSetProgram", word(&AudioEffectX::endSetProgram)},
    {58, "beginLoadBank", word(&AudioEffectX::beginLoadBank)},
    {59, "beginLoadProgram", word(&AudioEffectX::beginLoadProgram)},
    {60, "ioChanged", word(&AudioEffectX::ioChanged)},
    {61, "updateSampleRate", word(&AudioEffectX::updateSampleRate)},
    {62, "updateBlockSize", word(&AudioEffectX::updateBlockSize)},
    {63, "getInputLatency", word(&AudioEffectX::getInputLatency)},
    {64, "getOutputLatency", word(&AudioEffectX::getOutputLatency)},
    {65, "getInputProperties", word(&AudioEffectX::getInputProperties)},
    {66, "getOutputProperties", word(&AudioEffectX::getOutputProperties)},
    {67, "setSpeakerArrangement", word(&AudioEffectX::setSpeakerArrangement)},
    {68, "getSpeakerArrangement", word(&AudioEffectX::getSpeakerArrangement)},
    {69, "setBypass", word(&AudioEffectX::setBypass)},
    {70, "setPanLaw", word(&AudioEffectX::setPanLaw)},
    {71, "setProcessPrecision", word(&AudioEffectX::setProcessPrecision)},
    {72, "getNumMidiInputChannels", word(&AudioEffectX::getNumMidiInputChannels)},
    {73, "getNumMidiOutputChannels", word(&AudioEffectX::getNumMidiOutputChannels)},
    {74, "getTimeInfo", word(&AudioEffectX::getTimeInfo)},
    {75, "getCurrentProcessLevel", word(&AudioEffectX::getCurrentProcessLevel)},
    {76, "getAutomationState", word(&AudioEffectX::getAutomationState)},
    {77, "processEvents", word(&AudioEffectX::processEvents)},
    {78, "startProcess", word(&AudioEffectX::startProcess)},
    {79, "stopProcess", word(&AudioEffectX::stopProcess)},
    {80, "processVariableIo", word(&AudioEffectX::processVariableIo)},
    {81, "setTotalSampleToProcess", word(&AudioEffectX::setTotalSampleToProcess)},
    {82, "getHostVendorString", word(&AudioEffectX::getHostVendorString)},
    {83, "getHostProductString", word(&AudioEffectX::getHostProductString)},
    {84, "getHostVendorVersion", word(&AudioEffectX::getHostVendorVersion)},
    {85, "hostVendorSpecific", word(&AudioEffectX::hostVendorSpecific)},
    {86, "canHostDo", word(&AudioEffectX::canHostDo)},
    {87, "getHostLanguage", word(&AudioEffectX::getHostLanguage)},
    {88, "isSynth", word(&AudioEffectX::isSynth)},
    {89, "noTail", word(&AudioEffectX::noTail)},
    {90, "getGetTailSize", word(&AudioEffectX::getGetTailSize)},
    {91, "getDirectory", word(&AudioEffectX::getDirectory)},
    {92, "getEffectName", word(&AudioEffectX::getEffectName)},
    {93, "getVendorString", word(&AudioEffectX::getVendorString)},
    {94, "getProductString", word(&AudioEffectX::getProductString)},
    {95, "getVendorVersion", word(&AudioEffectX::getVendorVersion)},
    {96, "vendorSpecific", word(&AudioEffectX::vendorSpecific)},
    {97, "canDo", word(&AudioEffectX::canDo)},
    {98, "getVstVersion", word(&AudioEffectX::getVstVersion)},
    {99, "getPlugCategory", word(&AudioEffectX::getPlugCategory)},
    {100, "getMidiProgramName", word(&AudioEffectX::getMidiProgramName)},
    {101, "getCurrentMidiProgram", word(&AudioEffectX::getCurrentMidiProgram)},
    {102, "getMidiProgramCategory", word(&AudioEffectX::getMidiProgramCategory)},
    {103, "hasMidiProgramsChanged", word(&AudioEffectX::hasMidiProgramsChanged)},
    {104, "getMidiKeyName", word(&AudioEffectX::getMidiKeyName)},
    {105, "updateDisplay", word(&AudioEffectX::updateDisplay)},
    {106, "sizeWindow", word(&AudioEffectX::sizeWindow)},
    {107, "openFileSelector", word(&AudioEffectX::openFileSelector)},
    {108, "closeFileSelector", word(&AudioEffectX::closeFileSelector)},
    {109, "getNextShellPlugin", word(&AudioEffectX::getNextShellPlugin)},
    {110, "allocateArrangement", word(&AudioEffectX::allocateArrangement)},
    {111, "deallocateArrangement", word(&AudioEffectX::deallocateArrangement)},
    {112, "copySpeaker", word(&AudioEffectX::copySpeaker)},
    {113, "matchArrangement", word(&AudioEffectX::matchArrangement)},
    {114, "offlineRead", word(&AudioEffectX::offlineRead)},
    {115, "offlineWrite", word(&AudioEffectX::offlineWrite)},
    {116, "offlineStart", word(&AudioEffectX::offlineStart)},
    {117, "offlineGetCurrentPass", word(&AudioEffectX::offlineGetCurrentPass)},
    {118, "offlineGetCurrentMetaPass", word(&AudioEffectX::offlineGetCurrentMetaPass)},
    {119, "offlineNotify", word(&AudioEffectX::offlineNotify)},
    {120, "offlinePrepare", word(&AudioEffectX::offlinePrepare)},
    {121, "offlineRun", word(&AudioEffectX::offlineRun)},
    {122, "offlineGetNumPasses", word(&AudioEffectX::offlineGetNumPasses)},
    {123, "offlineGetNumMetaPasses", word(&AudioEffectX::offlineGetNumMetaPasses)},
    {124, "wantEvents", word(&AudioEffectX::wantEvents)},
    {125, "tempoAt", word(&AudioEffectX::tempoAt)},
    {126, "getNumAutomatableParameters", word(&AudioEffectX::getNumAutomatableParameters)},
    {127, "getParameterQuantization", word(&AudioEffectX::getParameterQuantization)},
    {128, "getNumCategories", word(&AudioEffectX::getNumCategories)},
    {129, "copyProgram", word(&AudioEffectX::copyProgram)},
    {130, "needIdle", word(&AudioEffectX::needIdle)},
    {131, "getPreviousPlug", word(&AudioEffectX::getPreviousPlug)},
    {132, "getNextPlug", word(&AudioEffectX::getNextPlug)},
    {133, "inputConnected", word(&AudioEffectX::inputConnected)},
    {134, "outputConnected", word(&AudioEffectX::outputConnected)},
    {135, "willProcessReplacing", word(&AudioEffectX::willProcessReplacing)},
    {136, "wantAsyncOperation", word(&AudioEffectX::wantAsyncOperation)},
    {137, "hasExternalBuffer", word(&AudioEffectX::hasExternalBuffer)},
    {138, "reportCurrentPosition", word(&AudioEffectX::reportCurrentPosition)},
    {139, "reportDestinationBuffer", word(&AudioEffectX::reportDestinationBuffer)},
    {140, "setOutputSamplerate", word(&AudioEffectX::setOutputSamplerate)},
    {141, "getInputSpeakerArrangement", word(&AudioEffectX::getInputSpeakerArrangement)},
    {142, "getOutputSpeakerArrangement", word(&AudioEffectX::getOutputSpeakerArrangement)},
    {143, "openWindow", word(&AudioEffectX::openWindow)},
    {144, "closeWindow", word(&AudioEffectX::closeWindow)},
    {145, "setBlockSizeAndSampleRate", word(&AudioEffectX::setBlockSizeAndSampleRate)},
    {146, "getErrorText", word(&AudioEffectX::getErrorText)},
    {147, "getIcon", word(&AudioEffectX::getIcon)},
    {148, "setViewPosition", word(&AudioEffectX::setViewPosition)},
    {149, "fxIdle", word(&AudioEffectX::fxIdle)},
    {150, "keysRequired", word(&AudioEffectX::keysRequired)},
    {151, "getChunkFile", word(&AudioEffectX::getChunkFile)},
};
#endif

TEST(SlotOrder, EveryOperationSitsInItsSlot) {
#ifdef VORLEN_ITANIUM_MEMBER_POINTERS
    ASSERT_EQ(std::size(kSlots), 151u);
    for (const Slot& s : kSlots) {
        // The ABI gives the virtual destructor two entries where the slot
        // numbering counts one, so slot s is vtable entry s + 1.
        const std::ptrdiff_t expected = 1 + static_cast<std::ptrdiff_t>(s.slot + 1) *
                                                static_cast<std::ptrdiff_t>(sizeof(void*));
        EXPECT_EQ(s.word, expected) << s.name << " should be slot " << s.slot;
    }
#else
    GTEST_SKIP() << "member-pointer layout of this compiler's ABI is not known";
#endif
}

} // namespace
