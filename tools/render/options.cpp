#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "tool_error.h"

namespace vorlen::render {
namespace {

long long parseInteger(const std::string& option, const std::string& text, long long low,
                       long long high) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        throw badInput(option + " needs a whole number, not '" + text + "'");
    }
    if (value < low || value > high) {
        throw badInput(option + " must be between " + std::to_string(low) + " and " +
                       std::to_string(high) + ", not " + text);
    }
    return value;
}

ParameterRequest parseParameter(const std::string& text) {
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw badInput("--param needs NAME=VALUE or INDEX=VALUE, not '" + text + "'");
    }
    const std::string valueText = text.substr(equals + 1);
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(valueText.c_str(), &end);
    if (valueText.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) {
        throw badInput("--param " + text + ": '" + valueText + "' is not a number");
    }
    // Hosts only ever send 0..1; the plug-in does not have to cope with more.
    if (value < 0.0 || value > 1.0) {
        throw badInput("--param " + text + ": the value must be between 0 and 1");
    }
    return ParameterRequest{text.substr(0, equals), static_cast<float>(value), text};
}

} // namespace

Options parseOptions(int argc, char** argv) {
    Options options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value and --name value are both accepted.
        std::optional<std::string> attached;
        if (const auto equals = arg.find('=');
            arg.starts_with("--") && equals != std::string::npos) {
            attached = arg.substr(equals + 1);
            arg.resize(equals);
        }
        auto value = [&]() -> std::string {
            if (attached) {
                return *attached;
            }
            if (i + 1 >= argc) {
                throw badInput(arg + " needs a value");
            }
            return argv[++i];
        };
        auto noValue = [&] {
            if (attached) {
                throw badInput(arg + " takes no value");
            }
        };
        if (arg == "--help" || arg == "-h") {
            noValue();
            options.help = true;
        } else if (arg == "--info") {
            noValue();
            options.info = true;
        } else if (arg == "--tail") {
            noValue();
            options.tail = true;
        } else if (arg == "--no-latency-compensation") {
            noValue();
            options.latencyCompensation = false;
        } else if (arg == "--plugin") {
            options.pluginPath = value();
        } else if (arg == "--param" || arg == "-p") {
            options.parameters.push_back(parseParameter(value()));
        } else if (arg == "--block") {
            options.blockSize = static_cast<int>(parseInteger(arg, value(), 1, kMaxBlockSize));
        } else if (arg == "--seed") {
            options.seed = static_cast<unsigned>(parseInteger(arg, value(), 0, 4294967295LL));
        } else if (arg == "--out-dir") {
            options.demoDir = value();
            if (options.demoDir.empty()) {
                throw badInput("--out-dir needs a folder");
            }
        } else {
            throw badInput("unknown option '" + arg + "' (try --help)");
        }
    }
    if (positional.size() > 2) {
        throw badInput("too many file names: give an input and an output file");
    }
    if (!positional.empty()) {
        options.inputPath = positional[0];
        if (options.inputPath.empty()) {
            throw badInput("the input file name is empty");
        }
    }
    if (positional.size() == 2) {
        options.outputPath = positional[1];
        if (options.outputPath.empty()) {
            throw badInput("the output file name is empty");
        }
    }
    return options;
}

std::string usageText() {
    return R"(Usage: vorlen-render [options] [INPUT [OUTPUT]]

Renders an audio file through the Vorlen plug-in (or another VST 2.4 plug-in).
With no INPUT, synthesises a short demo and writes demo-in.wav and demo-out.wav.
INPUT may be any format libsndfile reads (WAV, AIFF, FLAC, OGG, ...), mono or
stereo. The format of OUTPUT follows its extension; without OUTPUT the result
goes to INPUT's folder as <name>-vorlen.wav (32-bit float WAV).

Options:
  --param NAME=VALUE       set a parameter by name (case-insensitive), host value 0..1
  --param INDEX=VALUE      set a parameter by index
  --block N                frames per processing call, 1..65536 (default 512)
  --tail                   append the effect's decay after the end of the input
  --no-latency-compensation
                           keep the plug-in's delay instead of lining the output
                           up with the input
  --seed N                 seed the plug-in's noise for a reproducible result
                           (0..4294967295; Vorlen's vendor-specific 'Seed'
                           request, or srand for plug-ins that do not take it)
  --plugin PATH            the plug-in library to load (default: the Vorlen built
                           with this program)
  --out-dir DIR            folder for the demo files (default: demo)
  --info                   describe the plug-in and its parameters, then exit
  --help                   show this text

Exit status: 0 on success, 2 for unusable input, options or plug-in,
1 when rendering fails, 130 when interrupted.
)";
}

} // namespace vorlen::render
