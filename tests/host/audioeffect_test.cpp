#include "audioeffect.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fake_host.h"

namespace {

/// Records every virtual call it receives, so tests can check what a host call turned into.
class TestEffect : public AudioEffect {
public:
    explicit TestEffect(audioMasterCallback host, VstInt32 programs = 1, VstInt32 params = 2,
                        std::vector<std::string>* events = nullptr)
        : AudioEffect(host, programs, params), events_(events) {}
    ~TestEffect() override { note("destroyed"); }

    void processReplacing(float** /*inputs*/, float** outputs, VstInt32 frames) noexcept override {
        note("processReplacing " + std::to_string(frames));
        outputs[0][0] = 42.0f;
    }
    void open() noexcept override { note("open"); }
    void close() noexcept override { note("close"); }
    void suspend() noexcept override { note("suspend"); }
    void resume() noexcept override { note("resume"); }
    void setProgram(VstInt32 program) noexcept override {
        note("setProgram " + std::to_string(program));
        AudioEffect::setProgram(program);
    }
    void setParameter(VstInt32 index, float value) noexcept override {
        note("setParameter " + std::to_string(index) + " " + std::to_string(value) + " after " +
             std::to_string(hostCallsSeen()) + " host calls");
    }
    float getParameter(VstInt32 index) noexcept override {
        return 0.5f + static_cast<float>(index);
    }
    void getParameterDisplay(VstInt32 index, char* text) noexcept override {
        note("getParameterDisplay " + std::to_string(index));
        text[0] = 'x';
        text[1] = '\0';
    }
    VstInt32 getChunk(void** data, bool isPreset) noexcept override {
        note(std::string("getChunk ") + (isPreset ? "preset" : "bank"));
        return AudioEffect::getChunk(data, isPreset);
    }
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) noexcept override {
        note("setChunk " + std::to_string(byteSize) + (isPreset ? " preset" : " bank"));
        return AudioEffect::setChunk(data, byteSize, isPreset);
    }

    const std::vector<std::string>& log() const { return own_; }
    FakeHost* host = nullptr; ///< when set, setParameter notes how many requests preceded it

private:
    std::size_t hostCallsSeen() const { return host != nullptr ? host->calls.size() : 0; }
    void note(const std::string& event) {
        own_.push_back(event);
        if (events_ != nullptr) {
            events_->push_back(event);
        }
    }
    std::vector<std::string> own_;
    std::vector<std::string>* events_;
};

VstIntPtr send(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
               void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

TEST(AudioEffectRecord, HoldsTheBaseDefaultsAndZeroEverywhereElse) {
    TestEffect effect(FakeHost::callback, 3, 7);
    AEffect* e = effect.getAeffect();

    AEffect expected;
    std::memset(&expected, 0, sizeof expected);
    expected.magic = 0x56737450;
    expected.dispatcher = AudioEffect::dispatcherEntry;
    expected.process = AudioEffect::processEntry;
    expected.setParameter = AudioEffect::setParameterEntry;
    expected.getParameter = AudioEffect::getParameterEntry;
    expected.numPrograms = 3;
    expected.numParams = 7;
    expected.numInputs = 1;
    expected.numOutputs = 2;
    expected.flags = 0x10;
    expected.ioRatio = 1.0f;
    expected.object = &effect;
    expected.uniqueID = 0x4E6F4566;
    expected.version = 1;
    expected.processReplacing = AudioEffect::processReplacingEntry;
    expected.processDoubleReplacing = AudioEffect::processDoubleReplacingEntry;
    // Byte comparison: padding, reserved fields and `future` must be zero too.
    EXPECT_EQ(0, std::memcmp(&expected, e, sizeof expected));
    EXPECT_EQ(kEffectMagic, VST_FOURCC('V', 's', 't', 'P'));

    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
}

TEST(AudioEffectRecord, EntriesReachTheObjectThroughTheRecord) {
    TestEffect effect(nullptr);
    AEffect* e = effect.getAeffect();

    e->setParameter(e, 1, 0.25f);
    EXPECT_EQ(effect.log().back(), "setParameter 1 0.250000 after 0 host calls");
    EXPECT_EQ(e->getParameter(e, 2), 2.5f);

    float in[1] = {0.0f};
    float out[1] = {0.0f};
    float* ins[1] = {in};
    float* outs[1] = {out};
    e->processReplacing(e, ins, outs, 1);
    EXPECT_EQ(out[0], 42.0f);
    EXPECT_EQ(effect.log().back(), "processReplacing 1");
    // The defaults of the other two processing entries do nothing.
    const std::size_t before = effect.log().size();
    e->process(e, ins, outs, 1);
    double din[1] = {0.0};
    double* dins[1] = {din};
    e->processDoubleReplacing(e, dins, dins, 1);
    EXPECT_EQ(effect.log().size(), before);
}

TEST(AudioEffectLifecycle, CloseAnswersOneAndDestroysTheObjectOnce) {
    std::vector<std::string> events;
    auto* effect = new TestEffect(nullptr, 1, 2, &events);
    AEffect* e = effect->getAeffect();

    EXPECT_EQ(send(e, effOpen), 0);
    EXPECT_EQ(send(e, effClose), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"open", "close", "destroyed"}));
    // ASan reports a leak if the object was not released, a double free if released twice.
}

TEST(AudioEffectDispatcher, ForwardsTheBasicOpcodes) {
    TestEffect effect(nullptr, 1, 2);
    AEffect* e = effect.getAeffect();

    EXPECT_EQ(send(e, effIdentify), 0x4E764566);
    EXPECT_EQ(send(e, effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(send(e, effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(effect.getBlockSize(), 512);

    char text[9] = "unset";
    EXPECT_EQ(send(e, effGetParamDisplay, 1, 0, text), 0);
    EXPECT_STREQ(text, "x");
    EXPECT_EQ(effect.log().back(), "getParameterDisplay 1");
    std::memcpy(text, "unset", 6);
    EXPECT_EQ(send(e, effGetParamName, 0, 0, text), 0);
    EXPECT_STREQ(text, "");
    std::memcpy(text, "unset", 6);
    EXPECT_EQ(send(e, effGetProgramName, 0, 0, text), 0);
    EXPECT_STREQ(text, "");

    EXPECT_EQ(send(e, effMainsChanged, 0, 2), 0);
    EXPECT_EQ(effect.log().back(), "resume");
    EXPECT_EQ(send(e, effMainsChanged, 0, 0), 0);
    EXPECT_EQ(effect.log().back(), "suspend");

    void* data = nullptr;
    EXPECT_EQ(send(e, effGetChunk, 5, 0, &data), 0);
    EXPECT_EQ(effect.log().back(), "getChunk preset");
    EXPECT_EQ(send(e, effGetChunk, 0, 0, &data), 0);
    EXPECT_EQ(effect.log().back(), "getChunk bank");
    EXPECT_EQ(send(e, effSetChunk, 1, 300, &data), 0);
    EXPECT_EQ(effect.log().back(), "setChunk 300 preset");
}

TEST(AudioEffectDispatcher, SetProgramOnlyWithinTheProgramCount) {
    TestEffect effect(nullptr, 1, 2);
    AEffect* e = effect.getAeffect();

    EXPECT_EQ(send(e, effSetProgram, 0, 1), 0);
    EXPECT_TRUE(effect.log().empty());
    EXPECT_EQ(send(e, effGetProgram), 0);

    EXPECT_EQ(send(e, effSetProgram, 0, 0), 0);
    EXPECT_EQ(effect.log(), (std::vector<std::string>{"setProgram 0"}));

    if constexpr (sizeof(VstIntPtr) > 4) {
        // Compared before narrowing: 2^32 must not wrap to program 0.
        EXPECT_EQ(send(e, effSetProgram, 0, VstIntPtr{1} << 32), 0);
        EXPECT_EQ(effect.log().size(), 1u);
    }
    for (VstIntPtr negative :
         {VstIntPtr{-1}, VstIntPtr{-7}, std::numeric_limits<VstIntPtr>::min()}) {
        EXPECT_EQ(send(e, effSetProgram, 0, negative), 0);
    }
    EXPECT_EQ(effect.log().size(), 1u);
    EXPECT_EQ(send(e, effGetProgram), 0);
}

TEST(AudioEffectDispatcher, UnlistedOpcodesAnswerZeroAndDoNothing) {
    TestEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    AEffect before;
    std::memcpy(&before, e, sizeof before);

    char text[9] = "unset";
    for (VstInt32 opcode : {9, 16, 17, 18, 20, 21, 25, 51, 80, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(send(e, opcode, 1, 1, text, 1.0f), 0) << "opcode " << opcode;
    }
    // The editor opcodes without an editor.
    for (VstInt32 opcode : {effEditGetRect, effEditOpen, effEditClose, effEditIdle}) {
        EXPECT_EQ(send(e, opcode, 0, 0, text), 0) << "opcode " << opcode;
    }
    EXPECT_TRUE(effect.log().empty());
    EXPECT_STREQ(text, "unset");
    EXPECT_EQ(0, std::memcmp(&before, e, sizeof before));
}

TEST(AudioEffectDispatcher, RefusesNullHostPointersAndNullRecords) {
    TestEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel,
                            effGetParamDisplay, effGetParamName, effGetChunk}) {
        EXPECT_EQ(send(e, opcode, 1, 0, nullptr), 0) << "opcode " << opcode;
    }
    EXPECT_TRUE(effect.log().empty());

    EXPECT_EQ(AudioEffect::dispatcherEntry(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(AudioEffect::dispatcherEntry(nullptr, effClose, 0, 0, nullptr, 0.0f), 0);
    AudioEffect::setParameterEntry(nullptr, 0, 1.0f);
    EXPECT_EQ(AudioEffect::getParameterEntry(nullptr, 0), 0.0f);
    AudioEffect::processReplacingEntry(nullptr, nullptr, nullptr, 16);
    EXPECT_TRUE(effect.log().empty());
}

TEST(AudioEffectHostRequests, SendTheRecordAndTheDocumentedArguments) {
    FakeHost host;
    TestEffect effect(FakeHost::callback);
    AEffect* e = effect.getAeffect();

    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1);
    host.answers[audioMasterVersion] = 2400;
    EXPECT_EQ(effect.getMasterVersion(), 2400);
    host.answers[audioMasterCurrentId] = 0x6B7A7177;
    EXPECT_EQ(effect.getCurrentUniqueId(), 0x6B7A7177);
    effect.masterIdle();

    host.answers[audioMasterPinConnected] = 0;
    EXPECT_TRUE(effect.isInputConnected(1));
    EXPECT_TRUE(effect.isOutputConnected(0));
    host.answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect.isInputConnected(0));
    EXPECT_FALSE(effect.isOutputConnected(1));

    struct Expected {
        VstInt32 opcode, index;
        VstIntPtr value;
    };
    const std::vector<Expected> expected = {
        {audioMasterVersion, 0, 0},      {audioMasterVersion, 0, 0},
        {audioMasterCurrentId, 0, 0},    {audioMasterIdle, 0, 0},
        {audioMasterPinConnected, 1, 0}, {audioMasterPinConnected, 0, 1},
        {audioMasterPinConnected, 0, 0}, {audioMasterPinConnected, 1, 1},
    };
    ASSERT_EQ(host.calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const HostCall& call = host.calls[i];
        EXPECT_EQ(call.effect, e) << "request " << i;
        EXPECT_EQ(call.opcode, expected[i].opcode) << "request " << i;
        EXPECT_EQ(call.index, expected[i].index) << "request " << i;
        EXPECT_EQ(call.value, expected[i].value) << "request " << i;
        EXPECT_EQ(call.ptr, nullptr) << "request " << i;
        EXPECT_EQ(call.opt, 0.0f) << "request " << i;
    }
}

TEST(AudioEffectHostRequests, SetParameterAutomatedSetsFirstThenTellsTheHost) {
    FakeHost host;
    TestEffect effect(FakeHost::callback);
    effect.host = &host;

    effect.setParameterAutomated(1, 0.25f);
    EXPECT_EQ(effect.log(),
              (std::vector<std::string>{"setParameter 1 0.250000 after 0 host calls"}));
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].effect, effect.getAeffect());
    EXPECT_EQ(host.calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(host.calls[0].index, 1);
    EXPECT_EQ(host.calls[0].value, 0);
    EXPECT_EQ(host.calls[0].ptr, nullptr);
    EXPECT_EQ(host.calls[0].opt, 0.25f);
}

TEST(AudioEffectHostRequests, FallBacksWithoutAHostCallback) {
    FakeHost host; // installed, but never handed to the effect: it must stay silent
    TestEffect effect(nullptr);

    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_EQ(effect.getCurrentUniqueId(), 0);
    effect.masterIdle();
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(0));
    effect.setParameterAutomated(0, 0.5f);
    EXPECT_EQ(effect.log(),
              (std::vector<std::string>{"setParameter 0 0.500000 after 0 host calls"}));
    EXPECT_TRUE(host.calls.empty());
}

TEST(AudioEffectSetters, FlagSettersTouchOnlyTheirOwnBit) {
    struct Setter {
        void (AudioEffect::*set)(bool) noexcept;
        VstInt32 bit;
    };
    const Setter setters[] = {
        {&AudioEffect::hasClip, 0x2},
        {&AudioEffect::hasVu, 0x4},
        {&AudioEffect::canMono, 0x8},
        {&AudioEffect::canProcessReplacing, 0x10},
        {&AudioEffect::programsAreChunks, 0x20},
        {&AudioEffect::canDoubleReplacing, 0x1000},
    };
    TestEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    for (const Setter& s : setters) {
        e->flags = -1;
        (effect.*s.set)(false);
        EXPECT_EQ(e->flags, ~s.bit) << std::hex << s.bit;
        (effect.*s.set)(true);
        EXPECT_EQ(e->flags, -1) << std::hex << s.bit;
        e->flags = 0;
        (effect.*s.set)(true);
        EXPECT_EQ(e->flags, s.bit) << std::hex << s.bit;
    }

    e->flags = 0x10 | 0x100;
    effect.canProcessReplacing(false);
    EXPECT_EQ(e->flags, 0x100);
    effect.setNumInputs(2);
    EXPECT_EQ(e->numInputs, 2);
}

} // namespace
