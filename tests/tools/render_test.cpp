// vorlen-render as a user runs it: the files it writes must hold exactly what
// the plug-in computes, lined up with the input, and bad input must be
// refused without leaving anything behind.
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

#include "plugin_instance.h"

namespace {

namespace fs = std::filesystem;
using vorlen::tools::PluginInstance;
using vorlen::tools::PluginLibrary;

constexpr int kRate = 44100;
constexpr int kLatency = 2048;

/// Interleaved audio as read from or written to a file.
struct Audio {
    int channels = 2;
    std::vector<float> samples;

    std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
    float at(std::size_t frame, int channel) const {
        return samples[frame * static_cast<std::size_t>(channels) +
                       static_cast<std::size_t>(channel)];
    }
};

/// What a run of the tool left behind.
struct RunResult {
    int status = -1;
    std::string errors; ///< everything it wrote to stderr
};

/// A fresh folder per test, removed afterwards.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vorlen-render-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    /// Runs the tool with `args`, stdout discarded, stderr captured.
    RunResult run(const std::vector<std::string>& args) const {
        const std::string errorsPath =
            (dir_.parent_path() / (dir_.filename().string() + ".err")).string();
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(VORLEN_RENDER_PATH));
            for (const std::string& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            if (freopen("/dev/null", "w", stdout) == nullptr ||
                freopen(errorsPath.c_str(), "w", stderr) == nullptr) {
                _exit(127);
            }
            execv(VORLEN_RENDER_PATH, argv.data());
            _exit(127);
        }
        RunResult result;
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        }
        std::ifstream errors(errorsPath);
        result.errors.assign(std::istreambuf_iterator<char>(errors), {});
        fs::remove(errorsPath);
        return result;
    }

    fs::path dir_;
};

void writeAudio(const std::string& path, const Audio& audio,
                int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    SF_INFO info{};
    info.channels = audio.channels;
    info.samplerate = kRate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(sf_writef_float(file, audio.samples.data(), static_cast<sf_count_t>(audio.frames())),
              static_cast<sf_count_t>(audio.frames()));
    sf_close(file);
}

Audio readAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Audio audio;
    if (file == nullptr) {
        ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
        return audio;
    }
    audio.channels = info.channels;
    audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, audio.samples.data(), info.frames), info.frames);
    sf_close(file);
    return audio;
}

/// Stereo test material: two different tones plus a little deterministic noise,
/// so that both channels and all of the spectrum carry signal.
Audio testSignal(std::size_t frames, int channels = 2) {
    Audio audio;
    audio.channels = channels;
    audio.samples.resize(frames * static_cast<std::size_t>(channels));
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
        const double t = static_cast<double>(i) / kRate;
        audio.samples[i * channels] =
            static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 440 * t) + 0.1 * noise);
        if (channels == 2) {
            audio.samples[i * 2 + 1] =
                static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 97 * t) - 0.1 * noise);
        }
    }
    return audio;
}

/// The plug-in driven directly, without the tool: the same calls a DAW
/// makes, the input followed by `kLatency` frames of silence, and the first
/// `kLatency` output frames dropped.
Audio renderDirectly(const Audio& input, float ratio, float smoothing, unsigned seed) {
    std::string error;
    auto library = PluginLibrary::load(VORLEN_PLUGIN_PATH, error);
    Audio output;
    if (!library) {
        ADD_FAILURE() << error;
        return output;
    }
    auto instance = PluginInstance::create(*library, error);
    if (!instance) {
        ADD_FAILURE() << error;
        return output;
    }
    constexpr int kBlock = 1000;
    instance->open();
    instance->setSampleRate(kRate);
    instance->setBlockSize(kBlock);
    instance->setParameter(0, ratio);
    instance->setParameter(1, smoothing);
    instance->resume();
    constexpr VstInt32 kSeedRequest = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';
    EXPECT_EQ(instance->dispatch(effVendorSpecific, kSeedRequest, static_cast<VstIntPtr>(seed)), 1);

    const std::size_t frames = input.frames();
    std::vector<float> left(frames + kLatency, 0.0f), right(frames + kLatency, 0.0f);
    for (std::size_t i = 0; i < frames; ++i) {
        left[i] = input.at(i, 0);
        right[i] = input.at(i, input.channels - 1);
    }
    std::vector<float> outLeft(left.size()), outRight(left.size());
    for (std::size_t done = 0; done < left.size(); done += kBlock) {
        const int count = static_cast<int>(std::min<std::size_t>(kBlock, left.size() - done));
        float* in[2] = {left.data() + done, right.data() + done};
        float* out[2] = {outLeft.data() + done, outRight.data() + done};
        instance->processReplacing(in, out, count);
    }
    output.samples.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        output.samples[2 * i] = outLeft[i + kLatency];
        output.samples[2 * i + 1] = outRight[i + kLatency];
    }
    return output;
}

/// Gain of the dry path at output position q of a hop: the analysis window
/// applied once, from both frames that hold the sample.
double dryGain(std::size_t q) {
    auto window = [](std::size_t i) {
        return std::sqrt(0.5 -
                         0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / 2048.0));
    };
    return window(q % 1024) + window(q % 1024 + 1024);
}

TEST_F(RenderTest, OutputEqualsTheEffectCalledDirectlyForAnyBlockSize) {
    const Audio input = testSignal(3 * 4096 + 123);
    writeAudio(path("in.wav"), input);
    const Audio expected = renderDirectly(input, 0.7f, 0.3f, 7);

    for (const int block : {1, 511, 4096, 65536}) {
        SCOPED_TRACE("block " + std::to_string(block));
        const RunResult result =
            run({path("in.wav"), path("out.wav"), "--seed", "7", "--block", std::to_string(block),
                 "--param", "Ratio=0.7", "--param", "smoothing=0.3"});
        ASSERT_EQ(result.status, 0) << result.errors;
        const Audio output = readAudio(path("out.wav"));
        ASSERT_EQ(output.channels, 2);
        ASSERT_EQ(output.frames(), input.frames());
        EXPECT_EQ(output.samples, expected.samples);
    }

    // A mono file is the same as a stereo one with both channels equal, and
    // parameters may be named by index.
    Audio mono = testSignal(5000, 1);
    writeAudio(path("mono.wav"), mono);
    const RunResult result = run({path("mono.wav"), path("mono-out.wav"), "--seed", "3", "--param",
                                  "0=0.7", "--param", "1=0.3"});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(readAudio(path("mono-out.wav")).samples, renderDirectly(mono, 0.7f, 0.3f, 3).samples);
}

TEST_F(RenderTest, LatencyCompensationLinesADryRenderingUpWithTheInput) {
    const Audio input = testSignal(10000);
    writeAudio(path("in.wav"), input);

    ASSERT_EQ(
        run({path("in.wav"), path("aligned.wav"), "--param", "Ratio=0", "--block", "333"}).status,
        0);
    const Audio aligned = readAudio(path("aligned.wav"));
    ASSERT_EQ(aligned.frames(), input.frames());
    for (std::size_t t = 0; t < input.frames(); ++t) {
        for (int c = 0; c < 2; ++c) {
            ASSERT_NEAR(aligned.at(t, c), input.at(t, c) * dryGain(t), 2e-6) << "frame " << t;
        }
    }

    ASSERT_EQ(
        run({path("in.wav"), path("raw.wav"), "--param", "Ratio=0", "--no-latency-compensation"})
            .status,
        0);
    const Audio raw = readAudio(path("raw.wav"));
    ASSERT_EQ(raw.frames(), input.frames());
    for (std::size_t t = 0; t < input.frames(); ++t) {
        const double expected = t < kLatency ? 0.0 : input.at(t - kLatency, 0) * dryGain(t);
        ASSERT_NEAR(raw.at(t, 0), expected, 2e-6) << "frame " << t;
    }

    // The wet part of the last frames outlasts the input by less than a frame.
    ASSERT_EQ(run({path("in.wav"), path("tail.wav"), "--tail"}).status, 0);
    const std::size_t tailFrames = readAudio(path("tail.wav")).frames();
    EXPECT_GT(tailFrames, input.frames());
    EXPECT_LT(tailFrames, input.frames() + kLatency);
}

TEST_F(RenderTest, BadInputIsRefusedWithStatusTwoAndLeavesNoFile) {
    writeAudio(path("in.wav"), testSignal(3000));
    writeAudio(path("three.wav"), Audio{3, std::vector<float>(300, 0.1f)});
    { std::ofstream(path("text.wav")) << "not audio\n"; }
    const std::string in = path("in.wav");
    const std::string out = path("out.wav");

    const std::vector<std::vector<std::string>> cases = {
        {path("missing.wav"), out},
        {path("text.wav"), out},
        {path("three.wav"), out},
        {in, out, "--param", "Loudness=0.5"},
        {in, out, "--param", "Ratio=half"},
        {in, out, "--param", "Ratio="},
        {in, out, "--param", "7=0.5"},
        {in, out, "--block", "0"},
        {in, out, "--block", "65537"},
        {in, out, "--block", "12x"},
        {in, path("out.xyz")},
        {in, path("no-such-folder/out.wav")},
        {in, out, "--plugin", path("missing.so")},
        {in, out, "--plugin", BROKEN_NO_ENTRY_PATH},
        {in, out, "--plugin", BROKEN_NULL_RECORD_PATH},
        {in, out, "--plugin", BROKEN_BAD_MAGIC_PATH},
        {in, in},
        {in, path("./in.wav"), "--tail"},
        {in, path("link.wav")},
        {in, "/dev/null"},
    };
    fs::create_symlink(in, path("link.wav"));
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& arg : args) {
            shown += arg + " ";
        }
        SCOPED_TRACE(shown);
        const RunResult result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.errors.starts_with("vorlen-render: error: ")) << result.errors;
        EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            left.push_back(entry.path().filename().string());
        }
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"in.wav", "link.wav", "text.wav", "three.wav"}));
    }
    EXPECT_EQ(readAudio(in).samples, testSignal(3000).samples) << "the input was damaged";

    // A failed run leaves an existing output as it was.
    { std::ofstream(out) << "precious"; }
    EXPECT_EQ(run({in, out, "--param", "Nope=1"}).status, 2);
    std::ifstream kept(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
}

} // namespace
