// What a host sees of the plug-in: the entry point, the record and the parameters, all
// reached through the loaded module and the record's function pointers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "fake_host.h"
#include "plugin_module.h"

namespace {

constexpr VstInt32 kVorlenId = 1803186551; // 'kzqw'

/// One open instance made by a host that answers the version request with 2400.
class Instance : public ::testing::Test {
protected:
    void SetUp() override {
        host.answers[audioMasterVersion] = 2400;
        const VstPluginMainProc entry = pluginEntry();
        ASSERT_NE(entry, nullptr);
        effect = entry(FakeHost::callback);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect != nullptr) {
            closeEffect(effect);
        }
    }

    float get(VstInt32 index) { return effect->getParameter(effect, index); }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }

    /// A 9-byte parameter text fetched by `opcode`, from a buffer pre-filled with '#'.
    std::array<char, 16> text(VstInt32 opcode, VstInt32 index) {
        std::array<char, 16> buffer;
        buffer.fill('#');
        EXPECT_EQ(effect->dispatcher(effect, opcode, index, 0, buffer.data(), 0.0f), 0);
        return buffer;
    }

    FakeHost host;
    AEffect* effect = nullptr;
};

/// Expects `expected`, zero bytes up to and including index `limit`, and the byte after
/// untouched.
void expectText(const char* buffer, const char* expected, size_t limit) {
    EXPECT_STREQ(buffer, expected);
    for (size_t i = std::strlen(expected); i <= limit; ++i) {
        EXPECT_EQ(buffer[i], '\0') << "byte " << i;
    }
    EXPECT_EQ(buffer[limit + 1], '#');
}

TEST(EntryPoint, IsExportedUnderBothNames) {
    const VstPluginMainProc entry = pluginEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(pluginEntry("main")), reinterpret_cast<void*>(entry));
}

TEST(EntryPoint, AsksForTheHostVersionAndStopsWhenTheAnswerIsZero) {
    FakeHost host;
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(pluginEntry()(FakeHost::callback), nullptr);
    ASSERT_EQ(host.calls.size(), 1u);
    const HostCall& call = host.calls[0];
    EXPECT_EQ(call.effect, nullptr);
    EXPECT_EQ(call.opcode, audioMasterVersion);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.0f);
}

TEST(EntryPoint, MakesAnIndependentInstanceForEveryCall) {
    FakeHost host;
    host.answers[audioMasterVersion] = 1;
    AEffect* first = pluginEntry()(FakeHost::callback);
    AEffect* second = pluginEntry()(FakeHost::callback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first->setParameter(first, 0, 0.25f);
    EXPECT_EQ(second->getParameter(second, 0), 1.0f);
    closeEffect(first);
    closeEffect(second);
}

// With no callback there is no host to decline, so the version request answers its
// fall-back and an instance is made.
TEST(EntryPoint, WithoutAHostCallbackStillMakesAnInstance) {
    AEffect* effect = pluginEntry()(nullptr);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->uniqueID, kVorlenId);
    closeEffect(effect);
}

TEST_F(Instance, RecordDescribesAStereoReplacingEffectWithItsLatency) {
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->uniqueID, kVorlenId);
    EXPECT_EQ(effect->initialDelay, 2048);
    EXPECT_EQ(effect->numParams, 2);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_NE(effect->flags & effFlagsCanReplacing, 0);
    EXPECT_EQ(effect->flags & effFlagsIsSynth, 0);
    EXPECT_EQ(effect->flags & effFlagsCanDoubleReplacing, 0);
    EXPECT_EQ(effect->flags & effFlagsHasEditor, 0);
    EXPECT_NE(effect->processReplacing, nullptr);
}

TEST_F(Instance, IdentityTextsFillTheirLimits) {
    std::array<char, 80> buffer;
    buffer.fill('#');
    EXPECT_EQ(effect->dispatcher(effect, effGetEffectName, 0, 0, buffer.data(), 0.0f), 1);
    expectText(buffer.data(), "Vorlen", 32);
    buffer.fill('#');
    EXPECT_EQ(effect->dispatcher(effect, effGetVendorString, 0, 0, buffer.data(), 0.0f), 1);
    expectText(buffer.data(), "Plomb", 64);
    buffer.fill('#');
    EXPECT_EQ(effect->dispatcher(effect, effGetProductString, 0, 0, buffer.data(), 0.0f), 1);
    expectText(buffer.data(), "Vorlen", 64);
}

TEST_F(Instance, ParameterNamesLabelsAndDefaults) {
    expectText(text(effGetParamName, 0).data(), "Ratio", 8);
    expectText(text(effGetParamName, 1).data(), "Smoothin", 8);
    expectText(text(effGetParamLabel, 0).data(), "", 8);
    expectText(text(effGetParamLabel, 1).data(), "samples", 8);
    EXPECT_EQ(get(0), 1.0f);
    EXPECT_EQ(get(1), 0.5f);
    expectText(text(effGetParamDisplay, 0).data(), "1.000000", 8);
    expectText(text(effGetParamDisplay, 1).data(), "10", 8);
}

// Hosts send 0..1; anything beyond is held at the nearest end, so that what the host reads
// back and shows is what the audio uses.
TEST_F(Instance, RatioIsClampedToTheUnitRange) {
    const struct {
        float set;
        float got;
    } cases[] = {{0.0f, 0.0f},  {0.25f, 0.25f}, {1.7f, 1.0f}, {-3.0f, 0.0f},
                 {3e38f, 1.0f}, {1.0f, 1.0f},   {-0.0f, 0.0f}};
    for (const auto& c : cases) {
        set(0, c.set);
        EXPECT_EQ(get(0), c.got) << "set " << c.set;
    }
    set(0, 1.7f);
    expectText(text(effGetParamDisplay, 0).data(), "1.000000", 8);
    set(0, -3.0f);
    expectText(text(effGetParamDisplay, 0).data(), "0.000000", 8);
}

// A non-finite mix weight would make every output sample non-finite; it keeps the last
// finite Ratio instead.
TEST_F(Instance, RatioIgnoresNonFiniteValues) {
    set(0, 0.75f);
    for (float value :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity()}) {
        set(0, value);
        EXPECT_EQ(get(0), 0.75f);
    }
}

TEST_F(Instance, SmoothingIsQuantisedToTwentiethsWithHalvesRoundedUp) {
    const struct {
        float set;
        float got;
        const char* display;
    } cases[] = {
        {0.33f, 0.35f, "7"}, {1.0f, 1.0f, "20"}, {0.5f, 0.5f, "10"}, {0.03f, 0.05f, "1"},
        {0.02f, 0.0f, ""},   {-0.1f, 0.0f, "0"}, {2.0f, 1.0f, "20"}, {0.025f, 0.05f, "1"},
    };
    for (const auto& c : cases) {
        set(1, c.set);
        EXPECT_EQ(get(1), c.got) << "set " << c.set;
        const std::array<char, 16> display = text(effGetParamDisplay, 1);
        if (c.display[0] != '\0') {
            EXPECT_STREQ(display.data(), c.display) << "set " << c.set;
        }
    }
}

// NaN has no half-width and is ignored; infinities and huge values are held at the ends of
// the range like any other value beyond it.
TEST_F(Instance, SmoothingSurvivesNonFiniteAndHugeValues) {
    set(1, 0.35f);
    set(1, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(get(1), 0.35f);
    set(1, std::numeric_limits<float>::infinity());
    EXPECT_EQ(get(1), 1.0f);
    set(1, 1.0e30f);
    EXPECT_EQ(get(1), 1.0f);
    expectText(text(effGetParamDisplay, 1).data(), "20", 8);
    set(1, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(get(1), 0.0f);
    expectText(text(effGetParamDisplay, 1).data(), "0", 8);
    set(1, 0.5f);
    EXPECT_EQ(get(1), 0.5f);
}

// An unknown index changes no parameter, and its texts are empty: a host that shows the
// buffer it passed must not show what was in it before.
TEST_F(Instance, UnknownParameterIndicesChangeNothing) {
    set(0, 0.25f);
    set(1, 0.75f);
    for (VstInt32 index : {2, -1, 1000}) {
        set(index, 0.9f);
        EXPECT_EQ(get(index), 0.0f);
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            expectText(text(opcode, index).data(), "", 8);
        }
    }
    EXPECT_EQ(get(0), 0.25f);
    EXPECT_EQ(get(1), 0.75f);
}

// The plug-in has one program: a host that asks for another, negative ones included, is
// refused and reads back program 0.
TEST_F(Instance, SetProgramKeepsProgramZero) {
    for (VstIntPtr program : {VstIntPtr{-7}, VstIntPtr{-1}, VstIntPtr{1}, VstIntPtr{0}}) {
        EXPECT_EQ(effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f), 0);
        EXPECT_EQ(effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f), 0)
            << "program " << program;
    }
}

// The seed request: effVendorSpecific with index 'Seed' and the seed in value.
TEST_F(Instance, VendorSpecificSeedRequestIsAnsweredOnlyWhenTaken) {
    constexpr VstInt32 kSeed = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';
    const auto send = [this](VstInt32 index, VstIntPtr value) {
        return effect->dispatcher(effect, effVendorSpecific, index, value, nullptr, 0.0f);
    };
    // Negative values are the signed reading a 32-bit host gives seeds from 2^31 up.
    for (VstIntPtr seed : {VstIntPtr{0}, VstIntPtr{1}, VstIntPtr{2147483647}, VstIntPtr{-1},
                           VstIntPtr{-2147483647} - 1}) {
        EXPECT_EQ(send(kSeed, seed), 1) << "seed " << seed;
    }
    if constexpr (sizeof(VstIntPtr) > 4) {
        EXPECT_EQ(send(kSeed, (VstIntPtr{1} << 32) - 1), 1);
        // Wider than 32 bits: no seed, rather than a cut-down one.
        EXPECT_EQ(send(kSeed, VstIntPtr{1} << 32), 0);
        EXPECT_EQ(send(kSeed, -(VstIntPtr{1} << 31) - 1), 0);
    }
    EXPECT_EQ(send(kSeed + 1, 5), 0);
    EXPECT_EQ(send(0, 5), 0);
}

} // namespace
