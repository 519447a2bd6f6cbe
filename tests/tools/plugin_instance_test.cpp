// The host side our tools share: a plug-in must see the calls a DAW makes, in
// that order, each instance closed exactly once, and its questions answered
// for the instance that asks.
#include <dlfcn.h>

#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "plugin_instance.h"
#include "recording_plugin.h"

namespace {

using vorlen::tools::hostCallback;
using vorlen::tools::PluginInstance;
using vorlen::tools::PluginLibrary;

/// The recording plug-in at `path`, loaded once more by the test so that its
/// log can be read even after the tool's handle is gone.
class Recorder {
public:
    explicit Recorder(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        EXPECT_NE(handle_, nullptr) << dlerror();
        if (handle_ != nullptr) {
            calls_ = reinterpret_cast<RecordedCallsProc>(dlsym(handle_, "recordedCalls"));
            forget_ =
                reinterpret_cast<ForgetRecordedCallsProc>(dlsym(handle_, "forgetRecordedCalls"));
            forget_();
        }
    }
    ~Recorder() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    /// Every call since construction, oldest first.
    std::vector<RecordedCall> calls() const {
        int count = 0;
        const RecordedCall* first = calls_(&count);
        if (first == nullptr || count <= 0) {
            return {};
        }
        return std::vector<RecordedCall>(first, first + count);
    }
    /// The opcodes of calls(), host answers negated.
    std::vector<VstInt32> opcodes() const {
        std::vector<VstInt32> result;
        for (const RecordedCall& call : calls()) {
            result.push_back(call.opcode);
        }
        return result;
    }

private:
    void* handle_;
    RecordedCallsProc calls_ = nullptr;
    ForgetRecordedCallsProc forget_ = nullptr;
};

PluginLibrary load(const char* path) {
    std::string error;
    auto library = PluginLibrary::load(path, error);
    EXPECT_TRUE(library) << error;
    return *library;
}

PluginInstance create(const PluginLibrary& library) {
    std::string error;
    auto instance = PluginInstance::create(library, error);
    EXPECT_TRUE(instance) << error;
    return std::move(*instance);
}

TEST(PluginInstanceTest, DrivesTheEffectInTheOrderOfADawAndAnswersItsQuestions) {
    Recorder recorder(RECORDING_PLUGIN_PATH);
    {
        const PluginLibrary library = load(RECORDING_PLUGIN_PATH);
        PluginInstance instance = create(library);
        instance.open();
        instance.setSampleRate(48000.0f);
        instance.setBlockSize(256);
        instance.resume();
    } // suspended and closed here, before the library goes

    const std::vector<VstInt32> expected = {
        -audioMasterVersion,      effOpen,         effSetSampleRate,
        effSetBlockSize,          effMainsChanged, -audioMasterGetSampleRate,
        -audioMasterGetBlockSize, effMainsChanged, effClose};
    ASSERT_EQ(recorder.opcodes(), expected);
    const std::vector<RecordedCall> calls = recorder.calls();
    EXPECT_EQ(calls[0].value, kVstVersion);
    EXPECT_EQ(calls[2].opt, 48000.0f);
    EXPECT_EQ(calls[3].value, 256);
    EXPECT_EQ(calls[4].value, 1);
    EXPECT_EQ(calls[5].value, 48000);
    EXPECT_EQ(calls[6].value, 256);
    EXPECT_EQ(calls[7].value, 0);
}

TEST(PluginInstanceTest, ClosesEveryInstanceExactlyOnceAcrossMoves) {
    Recorder recorder(RECORDING_PLUGIN_PATH);
    const PluginLibrary library = load(RECORDING_PLUGIN_PATH);
    auto closes = [&recorder] {
        const std::vector<VstInt32> opcodes = recorder.opcodes();
        return std::count(opcodes.begin(), opcodes.end(), effClose);
    };
    {
        PluginInstance first = create(library);
        PluginInstance second = std::move(first);
        EXPECT_EQ(first.effect(), nullptr);
        PluginInstance third = create(library);
        third = std::move(second); // closes what third held
        EXPECT_EQ(closes(), 1);
        // The moved instance keeps answering for itself.
        third.setSampleRate(22050.0f);
        EXPECT_EQ(hostCallback(third.effect(), audioMasterGetSampleRate, 0, 0, nullptr, 0), 22050);
    }
    EXPECT_EQ(closes(), 2);
}

TEST(PluginInstanceTest, FindsAnEntryPointExportedOnlyAsMain) {
    Recorder recorder(RECORDING_MAIN_ONLY_PATH);
    const PluginLibrary library = load(RECORDING_MAIN_ONLY_PATH);
    { PluginInstance instance = create(library); }
    EXPECT_EQ(recorder.opcodes(), (std::vector<VstInt32>{-audioMasterVersion, effClose}));

    // A library without either name must not resolve to this program's main.
    std::string error;
    EXPECT_FALSE(PluginLibrary::load(BROKEN_NO_ENTRY_PATH, error));
    EXPECT_NE(error.find("no entry point"), std::string::npos) << error;
}

TEST(HostCallbackTest, AnswersWhatHostsAnswerAndZeroOtherwise) {
    EXPECT_EQ(hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 2400);
    // Before an instance exists there is no rate or block size to give.
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(hostCallback(nullptr, audioMasterPinConnected, 1, 0, nullptr, 0), 0);
    EXPECT_EQ(hostCallback(nullptr, audioMasterPinConnected, 2, 0, nullptr, 0), 1);

    char vendor[80];
    std::memset(vendor, 'x', sizeof vendor);
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetVendorString, 0, 0, vendor, 0), 1);
    EXPECT_STREQ(vendor, "Plomb");
    EXPECT_EQ(vendor[65], 'x') << "wrote past the 65 bytes hosts promise";
    EXPECT_EQ(hostCallback(nullptr, audioMasterGetVendorString, 0, 0, nullptr, 0), 0);

    const VstInt32 unanswered[] = {-1, audioMasterAutomate, audioMasterGetTime, audioMasterCanDo,
                                   999};
    for (const VstInt32 opcode : unanswered) {
        EXPECT_EQ(hostCallback(nullptr, opcode, 0, 0, nullptr, 0), 0) << "opcode " << opcode;
    }
}

} // namespace
