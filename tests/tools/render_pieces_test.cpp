// The decisions vorlen-render makes from what the user typed: the file format
// an output name asks for, and which parameter a name denotes.
#include <sndfile.h>

#include <gtest/gtest.h>

#include "parameter_lookup.h"
#include "sound_file.h"
#include "tool_error.h"

namespace {

using vorlen::render::outputFormatFor;
using vorlen::render::parameterNameMatches;
using vorlen::render::ToolError;

TEST(OutputFormatTest, FollowsTheExtensionWithTheRichestSampleType) {
    const struct {
        const char* path;
        int format;
    } cases[] = {
        {"out.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"dir.v2/OUT.WAV", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"no-extension", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"out.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"out.aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"out.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"out.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"out.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {"out.caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT},
        {"out.w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outputFormatFor(c.path), c.format) << c.path;
    }
    for (const char* unsupported : {"out.xyz", "out.", "out.wav.txt"}) {
        EXPECT_THROW(outputFormatFor(unsupported), ToolError) << unsupported;
    }
}

TEST(ParameterNameTest, MatchesCaseInsensitivelyAndThroughTheEightCharacterCut) {
    EXPECT_TRUE(parameterNameMatches("Ratio", "Ratio"));
    EXPECT_TRUE(parameterNameMatches("RATIO", "Ratio"));
    EXPECT_TRUE(parameterNameMatches("Smoothing", "Smoothin"));
    EXPECT_TRUE(parameterNameMatches("smoothin", "Smoothin"));
    EXPECT_TRUE(parameterNameMatches("Ratio", "Ratio   "));
    // Only a name that may have been cut stands for longer ones.
    EXPECT_FALSE(parameterNameMatches("Ratios", "Ratio"));
    EXPECT_FALSE(parameterNameMatches("Smooth", "Smoothin"));
    EXPECT_FALSE(parameterNameMatches("Smoothing", "Smoothi"));
    EXPECT_FALSE(parameterNameMatches("", ""));
    EXPECT_FALSE(parameterNameMatches("Ratio", ""));
}

} // namespace
