// The VST2 build of the same engine, loaded and driven through its entry point as a host
// does, to compare the two formats.
#pragma once

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "aeffect.h"
#include "lv2_host.h"

namespace vst_module {

inline VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                          float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

/// Sets the noise seed of a VST2 instance through its vendor-specific request 'Seed'.
inline void seed(AEffect* effect, uint32_t value) {
    constexpr VstInt32 kSeedRequest = ('S' << 24) | ('e' << 16) | ('e' << 8) | 'd';
    ASSERT_EQ(effect->dispatcher(effect, effVendorSpecific, kSeedRequest,
                                 static_cast<VstIntPtr>(value), nullptr, 0.0f),
              1);
}

} // namespace vst_module

/// `input` through a new VST2 instance: Ratio and Smoothing as host values, the noise seeded,
/// processed out of place in blocks whose sizes cycle through `blocks`.
inline Stereo renderVst(const Stereo& input, float ratio, float smoothing, uint32_t seed,
                        const std::vector<int>& blocks) {
    static void* const library = dlopen(VORLEN_VST_MODULE, RTLD_NOW | RTLD_LOCAL);
    Stereo output(input.size());
    if (library == nullptr) {
        ADD_FAILURE() << "cannot load " << VORLEN_VST_MODULE << ": " << dlerror();
        return output;
    }
    auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
    AEffect* effect = entry == nullptr ? nullptr : entry(vst_module::hostCallback);
    if (effect == nullptr) {
        ADD_FAILURE() << "the VST2 module made no instance";
        return output;
    }
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 4096, nullptr, 0.0f);
    effect->setParameter(effect, 0, ratio);
    effect->setParameter(effect, 1, smoothing);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    vst_module::seed(effect, seed);
    size_t done = 0;
    for (size_t b = 0; done < input.size(); ++b) {
        const auto count =
            std::min<size_t>(static_cast<size_t>(blocks[b % blocks.size()]), input.size() - done);
        float* in[2] = {const_cast<float*>(input.left.data() + done),
                        const_cast<float*>(input.right.data() + done)};
        float* out[2] = {output.left.data() + done, output.right.data() + done};
        effect->processReplacing(effect, in, out, static_cast<VstInt32>(count));
        done += count;
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return output;
}
