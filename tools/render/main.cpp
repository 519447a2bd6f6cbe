// vorlen-render: renders audio files through a VST 2.4 plug-in, Vorlen by
// default, driving it the way a DAW does; with no input, renders a demo.
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "default_plugin.h"
#include "demo_signal.h"
#include "options.h"
#include "parameter_lookup.h"
#include "pending_output.h"
#include "plugin_instance.h"
#include "sound_file.h"
#include "stream_renderer.h"
#include "tool_error.h"

namespace vorlen::render {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int) {
    interrupted = 1;
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

/// Seeds the plug-in's noise. Vorlen takes the seed through its vendor-specific request
/// ('Seed', the seed in value); a plug-in that does not take it may draw from the C
/// library's generator instead, which is seeded for it.
void seedNoise(const tools::PluginInstance& instance, unsigned seed) {
    constexpr VstInt32 kSeedRequest = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';
    // A 32-bit host's value is signed: seeds from 2^31 up arrive as their signed reading.
    if (instance.dispatch(effVendorSpecific, kSeedRequest, static_cast<VstIntPtr>(seed)) != 1) {
        std::srand(seed);
    }
}

// A plug-in that claims more channels than this is broken, not big.
constexpr int kMaxEffectChannels = 64;

tools::PluginLibrary loadPlugin(const Options& options) {
    std::string path = options.pluginPath.empty() ? tools::defaultPluginPath() : options.pluginPath;
    if (path.empty()) {
        throw badInput("no plug-in was built with this program; name one with --plugin PATH");
    }
    std::string error;
    auto library = tools::PluginLibrary::load(path, error);
    if (!library) {
        throw badInput(error);
    }
    return *library;
}

tools::PluginInstance openInstance(const tools::PluginLibrary& library) {
    std::string error;
    auto instance = tools::PluginInstance::create(library, error);
    if (!instance) {
        throw badInput(error);
    }
    const AEffect& effect = *instance->effect();
    if (!instance->canProcessReplacing()) {
        throw badInput("plug-in '" + library.path() + "' offers no replacing processing");
    }
    if (effect.numOutputs < 1 || effect.numOutputs > kMaxEffectChannels || effect.numInputs < 0 ||
        effect.numInputs > kMaxEffectChannels) {
        throw badInput("plug-in '" + library.path() + "' claims " +
                       std::to_string(effect.numInputs) + " inputs and " +
                       std::to_string(effect.numOutputs) + " outputs");
    }
    instance->open();
    return std::move(*instance);
}

void printInfo(const tools::PluginLibrary& library) {
    tools::PluginInstance instance = openInstance(library);
    const AEffect& effect = *instance.effect();
    std::printf("Plug-in:    %s\n", library.path().c_str());
    std::printf("Name:       %s\n", instance.effectName().c_str());
    std::printf("Vendor:     %s\n", instance.vendorString().c_str());
    std::printf("Product:    %s\n", instance.productString().c_str());
    std::printf("Version:    %d (vendor version %" PRIdPTR ")\n", effect.version,
                instance.dispatch(effGetVendorVersion));
    std::printf("Unique ID:  '%s' (0x%08X)\n", tools::fourCharCode(effect.uniqueID).c_str(),
                static_cast<unsigned>(effect.uniqueID));
    std::printf("Inputs:     %d\n", effect.numInputs);
    std::printf("Outputs:    %d\n", effect.numOutputs);
    std::printf("Latency:    %d samples\n", effect.initialDelay);
    std::printf("Parameters: %d\n", effect.numParams);
    if (effect.numParams > 0) {
        std::printf("  %-3s %-10s %-10s %-10s %s\n", "#", "Name", "Display", "Label", "Host value");
    }
    for (int i = 0; i < effect.numParams && i < 1000; ++i) {
        std::printf("  %-3d %-10s %-10s %-10s %.4f\n", i, instance.parameterName(i).c_str(),
                    instance.parameterDisplay(i).c_str(), instance.parameterLabel(i).c_str(),
                    static_cast<double>(instance.getParameter(i)));
    }
}

std::string formatDuration(double seconds) {
    char text[32];
    const auto minutes = static_cast<long long>(seconds / 60.0);
    if (minutes > 0) {
        std::snprintf(text, sizeof text, "%lld:%06.3f", minutes, seconds - 60.0 * minutes);
    } else {
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    }
    return text;
}

/// Renders one file; everything that can be checked is checked before the
/// output's temporary file exists, so bad input leaves nothing behind.
void renderFile(const tools::PluginLibrary& library, const Options& options,
                const std::string& inputPath, const std::string& outputPath) {
    SoundFile input = SoundFile::openForReading(inputPath);
    const int channels = input.info().channels;
    if (channels < 1 || channels > 2) {
        throw badInput("'" + inputPath + "' has " + std::to_string(channels) +
                       " channels; only mono and stereo files can be rendered");
    }
    const std::string targetPath = outputTarget(inputPath, outputPath);
    const int format = outputFormatFor(outputPath);

    tools::PluginInstance instance = openInstance(library);
    const int rate = input.info().samplerate;
    instance.context().processLevel = tools::ProcessLevel::offline;
    instance.setSampleRate(static_cast<float>(rate));
    instance.setBlockSize(options.blockSize);
    for (const ParameterRequest& request : options.parameters) {
        instance.setParameter(findParameter(instance, request.key), request.value);
    }

    PendingOutput pending(targetPath);
    const int outputChannels = instance.effect()->numOutputs >= 2 ? 2 : 1;
    SoundFile output =
        SoundFile::openForWriting(pending.descriptor(), outputPath, format, outputChannels, rate);

    const auto start = std::chrono::steady_clock::now();
    instance.resume();
    if (options.seed) {
        seedNoise(instance, *options.seed);
    }
    const RenderSettings settings{options.blockSize, options.latencyCompensation, options.tail};
    const RenderStats stats = renderStream(instance, input, output, settings, interrupted);
    instance.suspend();
    output.close();
    pending.commit();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double seconds = static_cast<double>(stats.inputFrames) / rate;
    char speed[64];
    if (wall > 0.0 && seconds > 0.0) {
        std::snprintf(speed, sizeof speed, "%.0fx real time", seconds / wall);
    } else {
        std::snprintf(speed, sizeof speed, "real-time factor not measurable");
    }
    std::printf("Rendered %s of %s (%" PRId64 " frames at %d Hz) to %s in %.2f s, %s\n",
                formatDuration(seconds).c_str(), channels == 1 ? "mono" : "stereo",
                stats.inputFrames, rate, outputPath.c_str(), wall, speed);
}

void writeDemoInput(const std::string& path) {
    const std::vector<float> signal = makeDemoSignal();
    PendingOutput pending(path);
    SoundFile file = SoundFile::openForWriting(pending.descriptor(), path,
                                               SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kDemoSampleRate);
    const auto frames = static_cast<sf_count_t>(signal.size() / 2);
    if (sf_writef_float(file.handle(), signal.data(), frames) != frames) {
        throw ToolError(kExitFailure,
                        "cannot write '" + path + "': " + libraryMessage(file.handle()));
    }
    file.close();
    pending.commit();
}

void renderDemo(const tools::PluginLibrary& library, const Options& options) {
    std::error_code ec;
    std::filesystem::create_directories(options.demoDir, ec);
    if (ec) {
        throw badInput("cannot create the folder '" + options.demoDir + "': " + ec.message());
    }
    const std::filesystem::path folder(options.demoDir);
    const std::string inputPath = (folder / "demo-in.wav").string();
    const std::string outputPath = (folder / "demo-out.wav").string();
    writeDemoInput(inputPath);
    renderFile(library, options, inputPath, outputPath);
    std::printf("Demo input:  %s\nDemo output: %s\n", inputPath.c_str(), outputPath.c_str());
}

std::string defaultOutputFor(const std::string& inputPath) {
    std::filesystem::path path(inputPath);
    return (path.parent_path() / (path.stem().string() + "-vorlen.wav")).string();
}

int run(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return kExitOk;
    }
    installSignalHandlers();
    const tools::PluginLibrary library = loadPlugin(options);
    if (options.info) {
        printInfo(library);
    } else if (options.inputPath.empty()) {
        renderDemo(library, options);
    } else {
        const std::string outputPath =
            options.outputPath.empty() ? defaultOutputFor(options.inputPath) : options.outputPath;
        renderFile(library, options, options.inputPath, outputPath);
    }
    return kExitOk;
}

} // namespace
} // namespace vorlen::render

int main(int argc, char** argv) {
    using namespace vorlen::render;
    try {
        return run(argc, argv);
    } catch (const ToolError& error) {
        std::fprintf(stderr, "vorlen-render: error: %s\n", error.what());
        return error.status();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorlen-render: error: %s\n", error.what());
        return kExitFailure;
    }
}
