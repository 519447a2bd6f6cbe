// Pushing an audio file through an open, resumed plug-in instance.
#pragma once

#include <csignal>
#include <cstdint>

#include "plugin_instance.h"
#include "sound_file.h"

namespace vorlen::render {

/// How the stream is cut and lined up.
struct RenderSettings {
    int blockSize = 512;             ///< frames per processReplacing call
    bool latencyCompensation = true; ///< drop initialDelay frames, feed as many at the end
    bool tail = false;               ///< keep going after the input until the effect is silent
};

/// What was rendered.
struct RenderStats {
    std::int64_t inputFrames = 0;  ///< frames read from the input
    std::int64_t outputFrames = 0; ///< frames written to the output
};

/// Feeds `input` (1 or 2 channels; mono goes to both inputs) through
/// `instance` in blocks and writes its first one or two outputs to `output`.
/// With latency compensation the output lines up with the input and has its
/// length; without, it is the raw stream of the input's length. A tail adds
/// the effect's decay: the reported tail size when the plug-in gives one,
/// else up to the last sample that is not silent. Stops with ToolError
/// (exit status 130) once `stop` becomes non-zero.
RenderStats renderStream(const tools::PluginInstance& instance, SoundFile& input, SoundFile& output,
                         const RenderSettings& settings, const volatile std::sig_atomic_t& stop);

} // namespace vorlen::render
