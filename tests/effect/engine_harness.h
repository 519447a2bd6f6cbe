// A small host for engine tests: runs a whole stereo signal through one instance in
// blocks of chosen sizes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "stereo_signal.h"
#include "vorlen.h"

/// Samples [begin, end) of both channels.
inline Stereo slice(const Stereo& signal, size_t begin, size_t end) {
    Stereo part;
    part.left.assign(signal.left.begin() + begin, signal.left.begin() + end);
    part.right.assign(signal.right.begin() + begin, signal.right.begin() + end);
    return part;
}

/// Appends `tail` to `signal`.
inline void append(Stereo& signal, const Stereo& tail) {
    signal.left.insert(signal.left.end(), tail.left.begin(), tail.left.end());
    signal.right.insert(signal.right.end(), tail.right.begin(), tail.right.end());
}

/// One effect instance, made as the entry point makes it but without a host.
class Engine {
public:
    Engine() : effect(std::make_unique<vstVorlen>(nullptr)) {}

    void set(VstInt32 index, float value) { effect->setParameter(index, value); }

    /// Seeds the effect's noise through the vendor-specific request a host would send.
    void seed(unsigned value) {
        const VstIntPtr taken = effect->dispatcher(effVendorSpecific, kSeedSelector,
                                                   static_cast<VstIntPtr>(value), nullptr, 0.0f);
        EXPECT_EQ(taken, 1);
    }

    /// effVendorSpecific's index for the seed: 'Seed'.
    static constexpr VstInt32 kSeedSelector = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';

    /// Processes `input` out of place in blocks whose sizes cycle through `blocks`.
    Stereo run(const Stereo& input, const std::vector<int>& blocks = {4096}) {
        Stereo output(input.size());
        size_t done = 0;
        for (size_t b = 0; done < input.size(); ++b) {
            const int count = static_cast<int>(std::min<size_t>(
                static_cast<size_t>(blocks[b % blocks.size()]), input.size() - done));
            float* inputs[2] = {const_cast<float*>(input.left.data() + done),
                                const_cast<float*>(input.right.data() + done)};
            float* outputs[2] = {output.left.data() + done, output.right.data() + done};
            effect->processReplacing(inputs, outputs, count);
            done += static_cast<size_t>(count);
        }
        return output;
    }

    std::unique_ptr<vstVorlen> effect;
};

/// `input` through a new instance with the given parameters, its noise seeded first.
inline Stereo renderFresh(const Stereo& input, float ratio, float smoothing, unsigned seed,
                          const std::vector<int>& blocks = {4096}) {
    Engine engine;
    engine.set(0, ratio);
    engine.set(1, smoothing);
    engine.seed(seed);
    return engine.run(input, blocks);
}
