// The LV2 plug-in driven through its descriptor as a host drives it: identity, latency,
// the dry path, a clean start on activation, port values outside their ranges, and output
// identical to the VST2 build's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "lv2_host.h"
#include "vst_module.h"

namespace {

constexpr size_t kLength = 12000;

void expectIdentical(const Stereo& a, const Stereo& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a.left[i], b.left[i]) << "left sample " << i;
        ASSERT_EQ(a.right[i], b.right[i]) << "right sample " << i;
    }
}

bool differs(const Stereo& a, const Stereo& b) {
    return a.left != b.left || a.right != b.right;
}

TEST(Lv2Descriptor, OnePluginWithOurUriAndOneInterfaceOfOurOwn) {
    const LV2_Descriptor* descriptor = lv2Descriptor(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_STREQ(descriptor->URI, "https://plomb.dev/plugins/vorlen");
    EXPECT_EQ(lv2Descriptor(1), nullptr);
    EXPECT_EQ(lv2Descriptor(std::numeric_limits<uint32_t>::max()), nullptr);
    EXPECT_NE(descriptor->extension_data(VORLEN_LV2__seed), nullptr);
    EXPECT_EQ(descriptor->extension_data("http://lv2plug.in/ns/ext/state#interface"), nullptr);
    EXPECT_EQ(descriptor->extension_data(""), nullptr);
}

// With Ratio 0 only the dry term remains: the input, 2048 samples late, under the sum of
// the two overlapping square-root Hann windows.
TEST(Lv2Plugin, RatioZeroDelaysTheInputByTheReportedLatencyUnderTheWindowGain) {
    const Stereo input = randomSignal(kLength, 4);
    for (const std::vector<int>& blocks : {std::vector<int>{1}, {1000}, {5000, 3, 1024}}) {
        Lv2Instance plugin;
        ASSERT_TRUE(plugin.ok());
        plugin.ratio = 0.0f;
        plugin.run(0);
        EXPECT_EQ(plugin.latency, 2048.0f);
        const Stereo output = plugin.process(input, blocks);
        for (size_t t = 0; t < 2048; ++t) {
            ASSERT_EQ(output.left[t], 0.0f) << "sample " << t;
            ASSERT_EQ(output.right[t], 0.0f) << "sample " << t;
        }
        expectDryDelayed(input, output, 2048);
    }
}

// A host re-activates after a transport stop or relocation; nothing from before may follow.
TEST(Lv2Plugin, ActivationStartsCleanAsANewInstance) {
    const Stereo input = randomSignal(40 * 512, 5);
    const Stereo silence(8192);
    const Stereo next = randomSignal(8192, 6);
    for (float ratio : {0.0f, 1.0f}) {
        Lv2Instance plugin;
        ASSERT_TRUE(plugin.ok());
        plugin.ratio = ratio;
        plugin.seed(11);
        plugin.process(input, {512});
        plugin.restart();
        const Stereo after = plugin.process(silence, {512});
        for (size_t i = 0; i < after.size(); ++i) {
            ASSERT_EQ(after.left[i], 0.0f) << "ratio " << ratio << ", sample " << i;
            ASSERT_EQ(after.right[i], 0.0f) << "ratio " << ratio << ", sample " << i;
        }
        // Audio after a restart is what a new instance with the same seed gives.
        plugin.restart();
        plugin.seed(12);
        expectIdentical(plugin.process(next, {700}), renderLv2(next, ratio, 10.0f, 12, {700}));
    }
}

// Hosts may send any float to a control port; each value acts as the nearest one in range,
// and one that stands for nothing (NaN) leaves the last one in force.
TEST(Lv2Plugin, ControlValuesOutsideTheirRangesActAsTheNearestValidValue) {
    const Stereo input = randomSignal(kLength, 7);
    struct Case {
        float ratio, smoothing, asRatio, asSmoothing;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Case& c : {Case{3e38f, 100.0f, 1.0f, 20.0f}, Case{-5.0f, -3.0f, 0.0f, 0.0f},
                          Case{0.4f, 10.4f, 0.4f, 10.0f}, Case{0.4f, 10.5f, 0.4f, 11.0f},
                          Case{0.4f, 1e30f, 0.4f, 20.0f}, Case{0.4f, -inf, 0.4f, 0.0f},
                          Case{nan, nan, 1.0f, 10.0f}}) {
        SCOPED_TRACE(::testing::Message() << "ratio " << c.ratio << ", smoothing " << c.smoothing);
        const Stereo output = renderLv2(input, c.ratio, c.smoothing, 21, {777});
        expectIdentical(output, renderLv2(input, c.asRatio, c.asSmoothing, 21, {777}));
        for (size_t i = 0; i < output.size(); ++i) {
            ASSERT_TRUE(std::isfinite(output.left[i]) && std::isfinite(output.right[i]));
        }
    }

    // A NaN after a valid value keeps the valid one.
    Lv2Instance plugin;
    ASSERT_TRUE(plugin.ok());
    plugin.seed(21);
    plugin.ratio = 0.25f;
    plugin.smoothing = 3.0f;
    plugin.run(0);
    plugin.ratio = nan;
    plugin.smoothing = nan;
    expectIdentical(plugin.process(input, {777}), renderLv2(input, 0.25f, 3.0f, 21, {777}));
}

TEST(Lv2Plugin, SharedAndUnconnectedBuffersAreHandled) {
    const Stereo input = randomSignal(kLength, 8);
    const Stereo expected = renderLv2(input, 0.6f, 4.0f, 31, {1000});

    // In place: the host hands the same buffers for input and output.
    {
        Lv2Instance plugin;
        ASSERT_TRUE(plugin.ok());
        plugin.ratio = 0.6f;
        plugin.smoothing = 4.0f;
        plugin.seed(31);
        Stereo buffer = input;
        for (size_t done = 0; done < kLength; done += 1000) {
            plugin.connect(VORLEN_LV2_IN_LEFT, buffer.left.data() + done);
            plugin.connect(VORLEN_LV2_IN_RIGHT, buffer.right.data() + done);
            plugin.connect(VORLEN_LV2_OUT_LEFT, buffer.left.data() + done);
            plugin.connect(VORLEN_LV2_OUT_RIGHT, buffer.right.data() + done);
            plugin.run(static_cast<uint32_t>(std::min<size_t>(1000, kLength - done)));
        }
        expectIdentical(buffer, expected);
    }

    // Unconnected audio ports read as silence and discard what they would get; control
    // ports never connected leave the defaults, Ratio 1 and Smoothing 10.
    {
        Lv2Instance plugin;
        ASSERT_TRUE(plugin.ok());
        plugin.connect(VORLEN_LV2_RATIO, nullptr);
        plugin.connect(VORLEN_LV2_SMOOTHING, nullptr);
        plugin.connect(VORLEN_LV2_LATENCY, nullptr);
        plugin.seed(32);
        Stereo output(kLength);
        plugin.connect(VORLEN_LV2_IN_LEFT, const_cast<float*>(input.left.data()));
        plugin.connect(VORLEN_LV2_IN_RIGHT, nullptr);
        plugin.connect(VORLEN_LV2_OUT_LEFT, output.left.data());
        plugin.connect(VORLEN_LV2_OUT_RIGHT, nullptr);
        plugin.run(static_cast<uint32_t>(kLength));
        Stereo leftOnly = input;
        std::fill(leftOnly.right.begin(), leftOnly.right.end(), 0.0f);
        EXPECT_EQ(output.left, renderLv2(leftOnly, 1.0f, 10.0f, 32).left);
        // Ports the plug-in never declared are ignored.
        float stray = 0.0f;
        plugin.connect(VORLEN_LV2_PORT_COUNT, &stray);
        plugin.connect(1000, &stray);
        plugin.run(64);
        EXPECT_EQ(stray, 0.0f);
    }
}

TEST(Lv2Plugin, InstancesDrawDifferentNoiseUnlessSeededAlike) {
    const Stereo input = randomSignal(8192, 9);
    Lv2Instance first;
    Lv2Instance second;
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_TRUE(differs(first.process(input), second.process(input)));
    expectIdentical(renderLv2(input, 1.0f, 10.0f, 5), renderLv2(input, 1.0f, 10.0f, 5));
    EXPECT_TRUE(differs(renderLv2(input, 1.0f, 10.0f, 5), renderLv2(input, 1.0f, 10.0f, 6)));
}

// The two formats wrap one engine: for the same input, parameters and seed, they give the
// same samples, whatever block sizes each host uses.
TEST(Lv2AgainstVst, SameOutputSampleForSample) {
    const Stereo input = randomSignal(3 * 4096 + 123, 10);
    struct Setting {
        float ratio;
        int halfWidth;
    };
    for (const Setting& s :
         {Setting{0.7f, 10}, Setting{1.0f, 0}, Setting{0.3f, 20}, Setting{0.0f, 7}}) {
        SCOPED_TRACE(::testing::Message() << "ratio " << s.ratio << ", half-width " << s.halfWidth);
        const Stereo vst =
            renderVst(input, s.ratio, static_cast<float>(s.halfWidth) / 20.0f, 1234, {512});
        for (const std::vector<int>& blocks :
             {std::vector<int>{512}, {1}, {4096}, {3, 1021, 1, 2048, 4999, 17}}) {
            SCOPED_TRACE(::testing::Message() << "first LV2 block " << blocks[0]);
            expectIdentical(
                renderLv2(input, s.ratio, static_cast<float>(s.halfWidth), 1234, blocks), vst);
        }
    }
}

} // namespace
