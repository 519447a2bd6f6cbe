#include "audioeffectx.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "fake_host.h"

namespace {

char g_buffer[8];
void* const kP = g_buffer; ///< an address that is passed on, never read

/// The smallest complete effect: every operation keeps the base default.
class PlainEffect : public AudioEffectX {
public:
    explicit PlainEffect(audioMasterCallback host) : AudioEffectX(host, 1, 2) {}
    void processReplacing(float**, float**, VstInt32) noexcept override {}
    VstIntPtr send(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
        return getAeffect()->dispatcher(getAeffect(), opcode, index, value, ptr, opt);
    }
    VstInt32 flags() { return getAeffect()->flags; }
    void attachEditor(AEffEditor* e) noexcept { editor = e; }
};

TEST(AudioEffectXDispatch, EveryOpcodeAnswersAsTheTablesSay) {
    // Opcodes not listed answer 0; effClose is left out because it destroys the effect.
    const std::map<VstInt32, VstIntPtr> nonZero = {
        {effIdentify, kEffectIdentify},  {effCanBeAutomated, 1},         {effGetVendorVersion, 1},
        {effGetVstVersion, kVstVersion}, {effGetCurrentMidiProgram, -1},
    };
    PlainEffect fx(nullptr);
    for (VstInt32 opcode = -1; opcode <= 100; ++opcode) {
        if (opcode == effClose) {
            continue;
        }
        alignas(VstSpeakerArrangement*) char buffer[256] = {};
        const auto found = nonZero.find(opcode);
        const VstIntPtr expected = found == nonZero.end() ? 0 : found->second;
        EXPECT_EQ(fx.send(opcode, 3, 0, buffer, 0.0f), expected) << "opcode " << opcode;
    }
    auto* closing = new PlainEffect(nullptr); // the close entry deletes it (LeakSanitizer checks)
    EXPECT_EQ(closing->send(effClose), 1);
}

TEST(AudioEffectXDispatch, ValuesCategoryAndForwardedOpcodes) {
    PlainEffect fx(nullptr);
    EXPECT_EQ(fx.send(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(fx.send(effSetBypass, 0, 1), 0);
    EXPECT_EQ(fx.send(effCanBeAutomated, 1000), 1);
    char text[] = "receiveVstMidiEvent";
    EXPECT_EQ(fx.send(effCanDo, 0, 0, text), 0);
    fx.isSynth(true);
    EXPECT_EQ(fx.send(effGetPlugCategory), kPlugCategSynth);
    fx.isSynth(false);
    EXPECT_EQ(fx.send(effGetPlugCategory), kPlugCategUnknown);
    // Left to the base dispatcher, which does not call setBlockSizeAndSampleRate.
    EXPECT_EQ(fx.send(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 0);
    EXPECT_EQ(fx.getBlockSize(), 1024);
    EXPECT_EQ(fx.getSampleRate(), 44100.0f);
}

TEST(AudioEffectXDispatch, FlagSettersTouchOnlyTheirBit) {
    PlainEffect fx(nullptr);
    const std::pair<void (AudioEffectX::*)(bool) noexcept, VstInt32> setters[] = {
        {&AudioEffectX::isSynth, effFlagsIsSynth},
        {&AudioEffectX::noTail, effFlagsNoSoundInStop},
        {&AudioEffectX::wantAsyncOperation, effFlagsExtIsAsync},
        {&AudioEffectX::hasExternalBuffer, effFlagsExtHasBuffer},
    };
    for (const auto& [setter, bit] : setters) {
        const VstInt32 before = fx.flags();
        (fx.*setter)(true);
        EXPECT_EQ(fx.flags(), before | bit);
        (fx.*setter)(false);
        EXPECT_EQ(fx.flags(), before & ~bit);
    }
}

TEST(AudioEffectXDispatch, GetSpeakerArrangementClearsOnlyRealLocations) {
    PlainEffect fx(nullptr);
    VstSpeakerArrangement host;
    VstSpeakerArrangement* input = &host;
    VstSpeakerArrangement* output = &host;
    EXPECT_EQ(fx.send(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output),
              0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    // A host that passes no location must not make the effect write through null.
    output = &host;
    EXPECT_EQ(fx.send(effGetSpeakerArrangement, 0, 0, &output), 0);
    EXPECT_EQ(output, nullptr);
}

/// Notes the arguments its operations receive from the dispatcher.
class ArgumentEffect : public PlainEffect {
public:
    ArgumentEffect() : PlainEffect(nullptr) {}
    std::string seen;

    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) noexcept override {
        return note(category, index, text);
    }
    bool offlineNotify(VstAudioFile* files, VstInt32 count, bool start) noexcept override {
        return note(count, start, files);
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in,
                               VstSpeakerArrangement* out) noexcept override {
        return note(reinterpret_cast<VstIntPtr>(in), 0, out);
    }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) noexcept override {
        return note(a, b, p, f) ? -77 : 0;
    }
    bool setPanLaw(VstInt32 type, float gain) noexcept override {
        return note(type, 0, nullptr, gain);
    }

private:
    bool note(VstIntPtr a, VstIntPtr b, const void* p, float f = 0.0f) {
        seen += std::to_string(a) + " " + std::to_string(b) + " " + (p == kP ? "p" : "-") + " " +
                std::to_string(f) + "; ";
        return true;
    }
};

TEST(AudioEffectXDispatch, OperationsReceiveTheirArgumentsInOrder) {
    ArgumentEffect fx;
    void* const p = kP;
    EXPECT_EQ(fx.send(effGetProgramNameIndexed, 4, 9, p), 1);
    EXPECT_EQ(fx.send(effOfflineNotify, 2, 5, p), 1);
    EXPECT_EQ(fx.send(effSetSpeakerArrangement, 0, 1234, p), 1);
    EXPECT_EQ(fx.send(effVendorSpecific, 6, 7, p, 0.5f), -77);
    EXPECT_EQ(fx.send(effSetPanLaw, 0, 3, nullptr, 0.25f), 1);
    EXPECT_EQ(fx.seen, "9 4 p 0.000000; 5 1 p 0.000000; 1234 0 p 0.000000; 6 7 p 0.500000; "
                       "3 0 - 0.250000; ");
}

/// An editor that keeps the keys it is given.
class KeyEditor : public AEffEditor {
public:
    explicit KeyEditor(std::vector<VstKeyCode>& keys) : keys_(keys) {}
    bool getRect(void*) noexcept override { return false; }
    bool open(void*) noexcept override { return false; }
    void close() noexcept override {}
    bool onKeyDown(VstKeyCode& key) noexcept override { return keys_.push_back(key), true; }
    bool onKeyUp(VstKeyCode& key) noexcept override { return keys_.push_back(key), false; }
    bool onWheel(float) noexcept override { return false; }
    bool setKnobMode(VstInt32 mode) noexcept override { return mode == 2; }

private:
    std::vector<VstKeyCode>& keys_;
};

TEST(AudioEffectXDispatch, EditorKeyCodesTakeLowBytesAndNeverConvertABadFloat) {
    PlainEffect fx(nullptr);
    std::vector<VstKeyCode> keys;
    fx.attachEditor(new KeyEditor(keys)); // owned and deleted by the effect
    EXPECT_EQ(fx.send(effEditKeyDown, 'a', 0x1234, nullptr, 3.9f), 1);
    EXPECT_EQ(fx.send(effEditKeyUp, 'b', -1, nullptr, -1.0f), 0);
    EXPECT_EQ(fx.send(effEditKeyDown, 'c', 0, nullptr, std::numeric_limits<float>::quiet_NaN()), 1);
    EXPECT_EQ(fx.send(effEditKeyDown, 'd', 0, nullptr, 1e30f), 1);
    EXPECT_EQ(fx.send(effSetEditKnobMode, 0, 2), 1);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].character, 'a');
    EXPECT_EQ(keys[0].virt, 0x34);
    EXPECT_EQ(keys[0].modifier, 3);
    EXPECT_EQ(keys[1].virt, 0xFF);
    EXPECT_EQ(keys[1].modifier, 0xFF);
    EXPECT_EQ(keys[2].modifier, 0);
    EXPECT_EQ(keys[3].modifier, 0);
}

/// canDo answers a chosen value, to drive resume's second branch.
class MidiEffect : public PlainEffect {
public:
    MidiEffect(audioMasterCallback host, VstInt32 answer) : PlainEffect(host), answer_(answer) {}
    VstInt32 canDo(char* text) noexcept override {
        return std::strcmp(text, "receiveVstMidiEvent") == 0 ? answer_ : 0;
    }

private:
    VstInt32 answer_;
};

TEST(AudioEffectXResume, AsksForMidiOnlyForSynthsAndMidiReceivers) {
    FakeHost host;
    PlainEffect plain(FakeHost::callback);
    plain.send(effMainsChanged, 0, 1);
    EXPECT_TRUE(host.calls.empty());

    plain.isSynth(true);
    plain.send(effMainsChanged, 0, 1);
    plain.send(effMainsChanged, 0, 2);
    ASSERT_EQ(host.calls.size(), 2u); // every resume asks again
    EXPECT_EQ(host.calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(host.calls[0].index, 0);
    EXPECT_EQ(host.calls[0].value, 1);
    EXPECT_EQ(host.calls[0].effect, plain.getAeffect());

    host.calls.clear();
    MidiEffect receiver(FakeHost::callback, 1);
    MidiEffect refuser(FakeHost::callback, -1);
    MidiEffect other(FakeHost::callback, 2);
    receiver.send(effMainsChanged, 0, 1);
    refuser.send(effMainsChanged, 0, 1);
    other.send(effMainsChanged, 0, 1);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].effect, receiver.getAeffect());
}

/// How a request turns the host's answer into its result ("1 if not 0" counts as Boolean).
enum class Conversion { None, AsIs, Boolean };

/// One request and exactly what it must send.
struct RequestRow {
    const char* call;
    VstIntPtr (*run)(AudioEffectX&);
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    Conversion conversion;
};

template <typename T>
T* const kPtr = static_cast<T*>(kP);

/// Any request's result as the pointer-sized integer it came from.
template <typename Request>
VstIntPtr asInteger(Request request) {
    using Result = decltype(request());
    if constexpr (std::is_void_v<Result>) {
        request();
        return 0;
    } else if constexpr (std::is_pointer_v<Result>) {
        return reinterpret_cast<VstIntPtr>(request());
    } else {
        return static_cast<VstIntPtr>(request());
    }
}

// clang-format off
#define REQUEST(expr, ...)                                                                        \
    RequestRow{#expr, [](AudioEffectX& e) { return asInteger([&] { return e.expr; }); }, __VA_ARGS__}
constexpr Conversion None = Conversion::None, AsIs = Conversion::AsIs, Bool = Conversion::Boolean;
const RequestRow kRequests[] = {
    //      call                                    opcode index value ptr  opt  result
    REQUEST(wantEvents(5),                               6,  0,  5, nullptr, 0.0f, None),
    REQUEST(getTimeInfo(9),                              7,  0,  9, nullptr, 0.0f, AsIs),
    REQUEST(tempoAt(1234),                              10,  0, 1234, nullptr, 0.0f, AsIs),
    REQUEST(getNumAutomatableParameters(),              11,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getParameterQuantization(),                 12,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(ioChanged(),                                13,  0,  0, nullptr, 0.0f, Bool),
    REQUEST(needIdle(),                                 14,  0,  0, nullptr, 0.0f, Bool),
    REQUEST(sizeWindow(640, 480),                       15, 640, 480, nullptr, 0.0f, Bool),
    REQUEST(getInputLatency(),                          18,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getOutputLatency(),                         19,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getPreviousPlug(3),                         20,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getNextPlug(4),                             21,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(willProcessReplacing(),                     22,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getCurrentProcessLevel(),                   23,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getAutomationState(),                       24,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(offlineStart(kPtr<VstAudioFile>, 3, 2),     25,  2,  3, kP, 0.0f, Bool),
    REQUEST(offlineRead(kPtr<VstOfflineTask>, 7, true), 26,  1,  7, kP, 0.0f, Bool),
    REQUEST(offlineRead(kPtr<VstOfflineTask>, 7, false), 26, 0,  7, kP, 0.0f, Bool),
    REQUEST(offlineWrite(kPtr<VstOfflineTask>, 8),      27,  0,  8, kP, 0.0f, Bool),
    REQUEST(offlineGetCurrentPass(),                    28,  0,  0, nullptr, 0.0f, Bool),
    REQUEST(offlineGetCurrentMetaPass(),                29,  0,  0, nullptr, 0.0f, Bool),
    REQUEST(setOutputSamplerate(48000.0f),              30,  0,  0, nullptr, 48000.0f, None),
    REQUEST(getOutputSpeakerArrangement(),              31,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(getHostVendorString(g_buffer),              32,  0,  0, kP, 0.0f, Bool),
    REQUEST(getHostProductString(g_buffer),             33,  0,  0, kP, 0.0f, Bool),
    REQUEST(getHostVendorVersion(),                     34,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(hostVendorSpecific(11, 22, kP, 0.5f),       35, 11, 22, kP, 0.5f, AsIs),
    REQUEST(canHostDo(g_buffer),                        37,  0,  0, kP, 0.0f, Bool),
    REQUEST(getHostLanguage(),                          38,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(openWindow(kPtr<VstWindow>),                39,  0,  0, kP, 0.0f, AsIs),
    REQUEST(closeWindow(kPtr<VstWindow>),               40,  0,  0, kP, 0.0f, Bool),
    REQUEST(getDirectory(),                             41,  0,  0, nullptr, 0.0f, AsIs),
    REQUEST(updateDisplay(),                            42,  0,  0, nullptr, 0.0f, Bool),
    REQUEST(beginEdit(1),                               43,  1,  0, nullptr, 0.0f, Bool),
    REQUEST(endEdit(1),                                 44,  1,  0, nullptr, 0.0f, Bool),
    REQUEST(openFileSelector(kPtr<VstFileSelect>),      45,  0,  0, kP, 0.0f, Bool),
    REQUEST(closeFileSelector(kPtr<VstFileSelect>),     46,  0,  0, kP, 0.0f, Bool),
    REQUEST(getChunkFile(kP),                           48,  0,  0, kP, 0.0f, Bool),
    REQUEST(getInputSpeakerArrangement(),               49,  0,  0, nullptr, 0.0f, AsIs),
};
#undef REQUEST
// clang-format on

TEST(AudioEffectXRequests, EachSendsExactlyItsRowAndConvertsTheAnswer) {
    for (const RequestRow& row : kRequests) {
        SCOPED_TRACE(row.call);
        for (const VstIntPtr answer : {VstIntPtr{7}, VstIntPtr{0}}) {
            FakeHost host;
            host.answers[row.opcode] = answer;
            PlainEffect fx(FakeHost::callback);
            const VstIntPtr result = row.run(fx);
            ASSERT_EQ(host.calls.size(), 1u);
            const HostCall& call = host.calls[0];
            EXPECT_EQ(call.effect, fx.getAeffect());
            EXPECT_EQ(call.opcode, row.opcode);
            EXPECT_EQ(call.index, row.index);
            EXPECT_EQ(call.value, row.value);
            EXPECT_EQ(call.ptr, row.ptr);
            EXPECT_EQ(call.opt, row.opt);
            const bool seen = answer != 0;
            switch (row.conversion) {
            case Conversion::None:
                break;
            case Conversion::AsIs:
                EXPECT_EQ(result, answer);
                break;
            case Conversion::Boolean:
                EXPECT_EQ(result, seen ? 1 : 0);
                break;
            }
        }
        FakeHost host;
        PlainEffect alone(nullptr);
        EXPECT_EQ(row.run(alone), 0);
        EXPECT_TRUE(host.calls.empty());
    }
}

TEST(AudioEffectXRequests, NullSelectorsAndPathsSendNothing) {
    FakeHost host;
    host.answers[audioMasterOpenFileSelector] = 1;
    host.answers[audioMasterCloseFileSelector] = 1;
    host.answers[audioMasterGetChunkFile] = 1;
    PlainEffect fx(FakeHost::callback);
    EXPECT_FALSE(fx.openFileSelector(nullptr));
    EXPECT_FALSE(fx.closeFileSelector(nullptr));
    EXPECT_FALSE(fx.getChunkFile(nullptr));
    EXPECT_TRUE(host.calls.empty());
}

/// Notes whether the base setters were used instead of direct field writes.
class RateEffect : public PlainEffect {
public:
    explicit RateEffect(audioMasterCallback host) : PlainEffect(host) {}
    void setSampleRate(float) noexcept override { setterCalls++; }
    void setBlockSize(VstInt32) noexcept override { setterCalls++; }
    int setterCalls = 0;
};

TEST(AudioEffectXRequests, UpdateSampleRateAndBlockSizeKeepOnlyPositiveAnswers) {
    FakeHost host;
    RateEffect fx(FakeHost::callback);
    host.answers[audioMasterGetSampleRate] = 48000;
    host.answers[audioMasterGetBlockSize] = 256;
    EXPECT_EQ(fx.updateSampleRate(), 48000.0);
    EXPECT_EQ(fx.getSampleRate(), 48000.0f);
    EXPECT_EQ(fx.updateBlockSize(), 256);
    EXPECT_EQ(fx.getBlockSize(), 256);

    // 0x80000000 is positive as a 64-bit answer but negative once read as 32 bits.
    const auto wraps = static_cast<VstIntPtr>(static_cast<std::uint32_t>(0x80000000u));
    for (const VstIntPtr answer : {VstIntPtr{0}, VstIntPtr{-1}, wraps}) {
        host.answers[audioMasterGetSampleRate] = answer;
        host.answers[audioMasterGetBlockSize] = answer;
        EXPECT_EQ(fx.updateSampleRate(), 48000.0);
        EXPECT_EQ(fx.updateBlockSize(), 256);
    }
    EXPECT_EQ(fx.setterCalls, 0);
    EXPECT_EQ(host.callsOf(audioMasterGetSampleRate).size(), 4u);
    EXPECT_EQ(host.callsOf(audioMasterGetBlockSize).size(), 4u);

    RateEffect alone(nullptr);
    EXPECT_EQ(alone.updateSampleRate(), 44100.0);
    EXPECT_EQ(alone.updateBlockSize(), 1024);
    EXPECT_EQ(host.calls.size(), 8u);
}

} // namespace
