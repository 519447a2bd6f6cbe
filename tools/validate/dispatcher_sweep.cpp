#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "guarded_text.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

constexpr VstInt32 kFirstOpcode = -16;
constexpr VstInt32 kLastOpcode = 128;
constexpr std::size_t kSweepBufferBytes = 1024;

struct TextOpcode {
    VstInt32 opcode;
    std::size_t limit;
};

// Every opcode through which a plug-in writes a text into a host buffer, with the limit
// the host's buffer is sized for.
constexpr std::array<TextOpcode, 9> kTextOpcodes = {{{effGetProgramName, kProgramNameLimit},
                                                     {effGetParamLabel, kParamTextLimit},
                                                     {effGetParamDisplay, kParamTextLimit},
                                                     {effGetParamName, kParamTextLimit},
                                                     {effGetProgramNameIndexed, kProgramNameLimit},
                                                     {effGetEffectName, kEffectNameLimit},
                                                     {effGetVendorString, kVendorTextLimit},
                                                     {effGetProductString, kVendorTextLimit},
                                                     {effShellGetNextPlugin, kVendorTextLimit}}};

// Opcodes whose value argument is itself an address; hosts always pass a valid one.
bool valueIsAddress(VstInt32 opcode) {
    return opcode == effGetSpeakerArrangement || opcode == effSetSpeakerArrangement;
}

} // namespace

Outcome testDispatcherSweep(const tools::PluginLibrary& library) {
    std::string error;
    auto stream = Stream::open(library, 44100.0f, 64, error);
    if (!stream) {
        return failure(error);
    }
    tools::PluginInstance& instance = stream->instance();
    // On the heap and exactly this size, so that an address sanitizer sees any overrun.
    std::vector<unsigned char> buffer(kSweepBufferBytes);
    std::vector<unsigned char> valueTarget(kSweepBufferBytes);
    WhiteNoise noise(69);
    int calls = 0;
    for (VstInt32 opcode = kFirstOpcode; opcode <= kLastOpcode; ++opcode) {
        if (opcode == effClose) {
            continue; // sent last, by the instance's destructor
        }
        for (const VstInt32 index : {0, -1, 1}) {
            for (const VstIntPtr value : {VstIntPtr{0}, VstIntPtr{-1}, VstIntPtr{1}}) {
                std::fill(buffer.begin(), buffer.end(), 0);
                std::fill(valueTarget.begin(), valueTarget.end(), 0);
                const VstIntPtr passed = valueIsAddress(opcode)
                                             ? reinterpret_cast<VstIntPtr>(valueTarget.data())
                                             : value;
                instance.dispatch(opcode, index, passed, buffer.data(), 0.0f);
                ++calls;
                if (instance.effect()->magic != kEffectMagic) {
                    return failure("opcode " + std::to_string(opcode) +
                                   " overwrote the record's magic");
                }
            }
        }
        // The instance must still work after every opcode.
        SampleScan scan;
        stream->processNoise(noise, 64, 64, &scan);
        if (!scan.finite()) {
            return failure("after opcode " + std::to_string(opcode) + ": " + scan.describe());
        }
    }

    const VstInt32 params = instance.effect()->numParams;
    const std::array<VstInt32, 6> indices = {
        0, 1, -1, params, params + 1, std::numeric_limits<VstInt32>::min()};
    for (const TextOpcode& text : kTextOpcodes) {
        for (const VstInt32 index : indices) {
            const GuardedText result = askGuardedText(instance, text.opcode, index, text.limit);
            ++calls;
            if (!result.ok()) {
                return failure("text opcode " + std::to_string(text.opcode) + " index " +
                               std::to_string(index) + ": " + result.describe() + " (limit " +
                               std::to_string(text.limit) + ")");
            }
        }
    }
    return {true, std::to_string(calls) + " calls, opcodes " + std::to_string(kFirstOpcode) + ".." +
                      std::to_string(kLastOpcode) + ", text limits held"};
}

} // namespace vorlen::validate
