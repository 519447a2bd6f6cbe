// The built plug-in as a host sees it: loaded by the operating system's loader, reached
// only through its exports and the record. On Windows this runs the DLL under Wine with the
// Microsoft C runtime (RAND_MAX 32767), on Linux the shared object with glibc's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aeffect.h"
#include "plugin_library.h"

namespace {

/// What the test host answers to audioMasterVersion; 0 makes the plug-in decline.
VstIntPtr hostVersion = 2400;

/// The host callback: it knows only the version request, the one the entry point sends.
VstIntPtr VSTCALLBACK testHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? hostVersion : 0;
}

/// The plug-in built with this test, or the one named by VORLEN_PLUGIN.
std::string pluginPath() {
    const char* overridden = std::getenv("VORLEN_PLUGIN");
    return overridden != nullptr ? overridden : VORLEN_PLUGIN_PATH;
}

/// A field of the record read at its byte offset, the way a host compiled elsewhere reads it;
/// offsets are those of 4-byte pointers, or of 8-byte pointers in a 64-bit process.
template <typename T>
T fieldAt(const AEffect* effect, std::size_t offset32, std::size_t offset64) {
    T value;
    const auto* bytes = reinterpret_cast<const unsigned char*>(effect);
    std::memcpy(&value, bytes + (sizeof(void*) == 4 ? offset32 : offset64), sizeof value);
    return value;
}

/// A four-character code as the record stores it, first character in the high byte.
constexpr VstInt32 fourCharacters(const char (&c)[5]) {
    return static_cast<VstInt32>((static_cast<uint32_t>(c[0]) << 24) |
                                 (static_cast<uint32_t>(c[1]) << 16) |
                                 (static_cast<uint32_t>(c[2]) << 8) | static_cast<uint32_t>(c[3]));
}

/// The gain of the dry path at Ratio 0: analysis window of both overlapping frames.
double dryGain(std::size_t t) {
    auto window = [](std::size_t i) {
        return std::sqrt(
            0.5 - 0.5 * std::cos((static_cast<double>(i) * 0.00048828125) * 6.28318530717958));
    };
    const std::size_t q = t % 1024;
    return window(q) + window(q + 1024);
}

/// Broadband, repeatable test input in -0.5..0.5 that owes nothing to the C library's rand.
std::vector<float> testSignal(std::size_t length, uint32_t seed) {
    std::vector<float> signal(length);
    for (float& sample : signal) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
    }
    return signal;
}

class LoadedPlugin : public testing::Test {
protected:
    void SetUp() override {
        hostVersion = 2400;
        ASSERT_TRUE(library.isOpen()) << library.error();
        entry = library.entry("VSTPluginMain");
        ASSERT_NE(entry, nullptr);
    }

    void TearDown() override {
        for (AEffect* effect : opened) {
            EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
        }
    }

    /// A new instance, started the way hosts start one.
    AEffect* open() {
        AEffect* effect = entry(testHost);
        if (effect != nullptr) {
            opened.push_back(effect);
            effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
            effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
            effect->dispatcher(effect, effSetBlockSize, 0, 5000, nullptr, 0.0f);
            effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        }
        return effect;
    }

    /// The text an opcode writes into a host buffer with room to spare for overruns.
    static std::string text(AEffect* effect, VstInt32 opcode, VstInt32 index,
                            VstIntPtr* result = nullptr) {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        const VstIntPtr answer = effect->dispatcher(effect, opcode, index, 0, buffer, 0.0f);
        if (result != nullptr) {
            *result = answer;
        }
        return buffer[255] == 'x' && std::memchr(buffer, '\0', sizeof buffer) != nullptr
                   ? std::string(buffer)
                   : std::string("<unterminated>");
    }

    /// Runs a whole stereo signal through in blocks whose sizes cycle through `blocks`.
    static void process(AEffect* effect, const std::vector<float>& left,
                        const std::vector<float>& right, std::vector<float>& outLeft,
                        std::vector<float>& outRight, const std::vector<VstInt32>& blocks) {
        outLeft.assign(left.size(), -99.0f);
        outRight.assign(right.size(), -99.0f);
        std::size_t done = 0;
        for (std::size_t b = 0; done < left.size(); ++b) {
            const auto count = static_cast<VstInt32>(std::min<std::size_t>(
                static_cast<std::size_t>(blocks[b % blocks.size()]), left.size() - done));
            float* inputs[2] = {const_cast<float*>(left.data() + done),
                                const_cast<float*>(right.data() + done)};
            float* outputs[2] = {outLeft.data() + done, outRight.data() + done};
            effect->processReplacing(effect, inputs, outputs, count);
            done += static_cast<std::size_t>(count);
        }
    }

    PluginLibrary library{pluginPath()};
    VstPluginMainProc entry = nullptr;
    std::vector<AEffect*> opened;
};

TEST_F(LoadedPlugin, ExportsOneEntryUnderBothNames) {
    EXPECT_EQ(library.entry("main"), entry);
    EXPECT_EQ(library.entry("vorlenMainAlias"), nullptr) << "only the entry points are exported";
}

TEST_F(LoadedPlugin, RecordHasTheLayoutHostsRead) {
    EXPECT_EQ(sizeof(AEffect), sizeof(void*) == 4 ? 144u : 192u);
    AEffect* effect = open();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ((fieldAt<VstInt32>(effect, 0, 0)), fourCharacters("VstP"));
    EXPECT_EQ((fieldAt<VstInt32>(effect, 20, 40)), 1) << "numPrograms";
    EXPECT_EQ((fieldAt<VstInt32>(effect, 24, 44)), 2) << "numParams";
    EXPECT_EQ((fieldAt<VstInt32>(effect, 28, 48)), 2) << "numInputs";
    EXPECT_EQ((fieldAt<VstInt32>(effect, 32, 52)), 2) << "numOutputs";
    const auto flags = fieldAt<VstInt32>(effect, 36, 56);
    EXPECT_EQ(flags & (effFlagsCanReplacing | effFlagsIsSynth | effFlagsCanDoubleReplacing),
              effFlagsCanReplacing);
    EXPECT_EQ((fieldAt<VstInt32>(effect, 48, 80)), 2048) << "initialDelay";
    EXPECT_EQ((fieldAt<float>(effect, 60, 92)), 1.0f) << "ioRatio";
    EXPECT_NE((fieldAt<void*>(effect, 64, 96)), nullptr) << "object";
    EXPECT_EQ((fieldAt<VstInt32>(effect, 72, 112)), fourCharacters("kzqw")) << "uniqueID";
    EXPECT_EQ((fieldAt<void*>(effect, 80, 120)), reinterpret_cast<void*>(effect->processReplacing));
    EXPECT_EQ(effect->dispatcher(effect, effIdentify, 0, 0, nullptr, 0.0f), fourCharacters("NvEf"));
}

TEST_F(LoadedPlugin, DeclinesAHostThatAnswersVersionZero) {
    hostVersion = 0;
    EXPECT_EQ(entry(testHost), nullptr);
}

TEST_F(LoadedPlugin, ParametersAndTextsReachTheHost) {
    AEffect* effect = open();
    AEffect* other = open();
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(effect, other);

    EXPECT_EQ(effect->getParameter(effect, 0), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.5f);
    EXPECT_EQ(text(effect, effGetParamDisplay, 0), "1.000000");
    EXPECT_EQ(text(effect, effGetParamDisplay, 1), "10");

    effect->setParameter(effect, 0, 0.25f);
    effect->setParameter(effect, 1, 0.33f);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.25f);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.35f);
    EXPECT_EQ(text(effect, effGetParamDisplay, 0), "0.250000");
    EXPECT_EQ(text(effect, effGetParamDisplay, 1), "7");
    EXPECT_EQ(other->getParameter(other, 1), 0.5f) << "instances share no parameters";

    EXPECT_EQ(text(effect, effGetParamName, 0), "Ratio");
    EXPECT_EQ(text(effect, effGetParamName, 1), "Smoothin");
    EXPECT_EQ(text(effect, effGetParamLabel, 0), "");
    EXPECT_EQ(text(effect, effGetParamLabel, 1), "samples");

    VstIntPtr answer = 0;
    EXPECT_EQ(text(effect, effGetEffectName, 0, &answer), "Vorlen");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(text(effect, effGetVendorString, 0, &answer), "Plomb");
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(text(effect, effGetProductString, 0, &answer), "Vorlen");
    EXPECT_EQ(answer, 1);
}

TEST_F(LoadedPlugin, RatioZeroReturnsTheInputAfterTheReportedLatency) {
    AEffect* effect = open();
    ASSERT_NE(effect, nullptr);
    effect->setParameter(effect, 0, 0.0f);

    const std::size_t length = 3 * 44100;
    const std::vector<float> left = testSignal(length, 1);
    const std::vector<float> right = testSignal(length, 2);
    std::vector<float> outLeft;
    std::vector<float> outRight;
    process(effect, left, right, outLeft, outRight, {1, 7, 1000, 1024, 5000, 333, 2048});

    for (std::size_t t = 0; t < 2048; ++t) {
        ASSERT_EQ(outLeft[t], 0.0f) << "t=" << t;
        ASSERT_EQ(outRight[t], 0.0f) << "t=" << t;
    }
    for (std::size_t t = 2048; t < length; ++t) {
        const double gain = dryGain(t);
        ASSERT_NEAR(outLeft[t], left[t - 2048] * gain, 1e-6) << "t=" << t;
        ASSERT_NEAR(outRight[t], right[t - 2048] * gain, 1e-6) << "t=" << t;
    }
}

TEST_F(LoadedPlugin, RatioOneTurnsTheInputIntoNoiseOfItsLevel) {
    AEffect* effect = open();
    AEffect* silent = open();
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(silent, nullptr);

    const std::size_t length = 2 * 44100;
    const std::vector<float> left = testSignal(length, 3);
    const std::vector<float> right = testSignal(length, 4);
    std::vector<float> outLeft;
    std::vector<float> outRight;
    process(effect, left, right, outLeft, outRight, {512});

    // From the third hop on, every frame is full of input; a flat input envelope makes
    // shaped noise of about the input's level, whatever range the C library's rand has.
    double inputEnergy = 0.0;
    double outputEnergy = 0.0;
    for (std::size_t t = 4096; t < length; ++t) {
        ASSERT_TRUE(std::isfinite(outLeft[t]) && std::isfinite(outRight[t])) << "t=" << t;
        inputEnergy +=
            double{left[t - 2048]} * left[t - 2048] + double{right[t - 2048]} * right[t - 2048];
        outputEnergy += double{outLeft[t]} * outLeft[t] + double{outRight[t]} * outRight[t];
    }
    const double levelRatio = std::sqrt(outputEnergy / inputEnergy);
    EXPECT_GT(levelRatio, 0.5);
    EXPECT_LT(levelRatio, 2.0);

    const std::vector<float> zeros(length, 0.0f);
    process(silent, zeros, zeros, outLeft, outRight, {1024});
    for (std::size_t t = 0; t < length; ++t) {
        ASSERT_EQ(outLeft[t], 0.0f) << "t=" << t;
        ASSERT_EQ(outRight[t], 0.0f) << "t=" << t;
    }
}

} // namespace
