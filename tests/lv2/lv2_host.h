// A minimal LV2 host for tests: loads the built bundle's library and runs stereo signals
// through instances of its one plug-in in blocks of chosen sizes.
#pragma once

#include <dlfcn.h>

#include <gtest/gtest.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <vector>

#include "stereo_signal.h"
#include "vorlen_lv2.h"

/// The descriptor the bundle's library gives for `index`, the library loaded once per test
/// program; null if loading fails.
inline const LV2_Descriptor* lv2Descriptor(uint32_t index = 0) {
    static void* const library = dlopen(VORLEN_LV2_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        ADD_FAILURE() << "cannot load " << VORLEN_LV2_LIBRARY << ": " << dlerror();
        return nullptr;
    }
    using Entry = const LV2_Descriptor* (*)(uint32_t);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "lv2_descriptor"));
    if (entry == nullptr) {
        ADD_FAILURE() << "no lv2_descriptor in " << VORLEN_LV2_LIBRARY;
        return nullptr;
    }
    return entry(index);
}

/// One activated instance with its control ports connected to members.
class Lv2Instance {
public:
    explicit Lv2Instance(double rate = 44100.0) : descriptor(lv2Descriptor()) {
        static const LV2_Feature* const noFeatures[] = {nullptr};
        if (descriptor != nullptr) {
            handle = descriptor->instantiate(descriptor, rate, VORLEN_LV2_BUNDLE, noFeatures);
        }
        if (handle == nullptr) {
            ADD_FAILURE() << "instantiation failed";
            return;
        }
        connect(VORLEN_LV2_RATIO, &ratio);
        connect(VORLEN_LV2_SMOOTHING, &smoothing);
        connect(VORLEN_LV2_LATENCY, &latency);
        descriptor->activate(handle);
    }
    ~Lv2Instance() {
        if (handle != nullptr) {
            descriptor->deactivate(handle);
            descriptor->cleanup(handle);
        }
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool ok() const { return handle != nullptr; }
    void connect(uint32_t port, void* data) { descriptor->connect_port(handle, port, data); }
    void run(uint32_t frames) { descriptor->run(handle, frames); }
    /// What a host does around a transport stop.
    void restart() {
        descriptor->deactivate(handle);
        descriptor->activate(handle);
    }

    /// Sets the noise seed through the plug-in's own interface.
    void seed(uint32_t value) {
        const auto* seeding =
            static_cast<const VorlenLv2Seed*>(descriptor->extension_data(VORLEN_LV2__seed));
        ASSERT_NE(seeding, nullptr);
        seeding->set_seed(handle, value);
    }

    /// Processes `input` out of place in blocks whose sizes cycle through `blocks`.
    Stereo process(const Stereo& input, const std::vector<int>& blocks = {4096}) {
        Stereo output(input.size());
        size_t done = 0;
        for (size_t b = 0; done < input.size(); ++b) {
            const auto count = std::min<size_t>(static_cast<size_t>(blocks[b % blocks.size()]),
                                                input.size() - done);
            connect(VORLEN_LV2_IN_LEFT, const_cast<float*>(input.left.data() + done));
            connect(VORLEN_LV2_IN_RIGHT, const_cast<float*>(input.right.data() + done));
            connect(VORLEN_LV2_OUT_LEFT, output.left.data() + done);
            connect(VORLEN_LV2_OUT_RIGHT, output.right.data() + done);
            run(static_cast<uint32_t>(count));
            done += count;
        }
        return output;
    }

    float ratio = 1.0f;
    float smoothing = 10.0f;
    float latency = -1.0f;

private:
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
};

/// `input` through a new instance with the given port values and seed.
inline Stereo renderLv2(const Stereo& input, float ratio, float smoothing, uint32_t seed,
                        const std::vector<int>& blocks = {4096}) {
    Lv2Instance plugin;
    if (!plugin.ok()) {
        return Stereo(input.size());
    }
    plugin.ratio = ratio;
    plugin.smoothing = smoothing;
    plugin.seed(seed);
    return plugin.process(input, blocks);
}
