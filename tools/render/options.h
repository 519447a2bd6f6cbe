// The command line of vorlen-render.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vorlen::render {

/// One --param request as the user typed it: NAME=VALUE or INDEX=VALUE.
struct ParameterRequest {
    std::string key;   ///< a parameter name or a decimal index
    float value;       ///< host value, 0..1
    std::string typed; ///< the whole argument, for messages
};

/// Everything the command line asks for.
struct Options {
    std::string inputPath;  ///< empty: render the built-in demo
    std::string outputPath; ///< empty: derived from the input path
    std::string pluginPath; ///< empty: the default plug-in
    std::string demoDir = "demo";
    std::vector<ParameterRequest> parameters;
    int blockSize = 512;
    bool latencyCompensation = true;
    bool tail = false;
    std::optional<unsigned> seed;
    bool info = false;
    bool help = false;
    bool version = false;
};

/// Largest block the tool hands the plug-in at once.
constexpr int kMaxBlockSize = 65536;

/// Parses argv; throws ToolError (exit status 2) for anything malformed.
Options parseOptions(int argc, char** argv);

/// The --help text.
std::string usageText();

} // namespace vorlen::render
