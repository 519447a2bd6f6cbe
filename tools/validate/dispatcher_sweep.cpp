#include <array>
#include <climits>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "guarded_text.h"
#include "isolated_check.h"
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
    std::mt19937 bytes(70);
    const VstInt32 params = instance.effect()->numParams;
    // Indices and values no host sends, around the edges a plug-in is likely to test.
    const std::array<VstInt32, 6> sweepIndices = {0, -1, 1, params, INT32_MIN, INT32_MAX};
    const std::array<VstIntPtr, 6> sweepValues = {0,
                                                  -1,
                                                  1,
                                                  static_cast<VstIntPtr>(kSweepBufferBytes),
                                                  std::numeric_limits<VstIntPtr>::min(),
                                                  std::numeric_limits<VstIntPtr>::max()};
    int calls = 0;
    for (VstInt32 opcode = kFirstOpcode; opcode <= kLastOpcode; ++opcode) {
        if (opcode == effClose) {
            continue; // sent last, by the instance's destructor
        }
        for (const bool zeroed : {true, false}) {
            for (const VstInt32 index : sweepIndices) {
                for (const VstIntPtr value : sweepValues) {
                    // Zeros, or arbitrary bytes ending in a zero, so that a text a plug-in
                    // reads from the buffer ends inside it.
                    for (std::size_t i = 0; i < kSweepBufferBytes; ++i) {
                        buffer[i] = zeroed ? 0 : static_cast<unsigned char>(bytes());
                        valueTarget[i] = zeroed ? 0 : static_cast<unsigned char>(bytes());
                    }
                    buffer.back() = 0;
                    valueTarget.back() = 0;
                    const VstIntPtr passed = valueIsAddress(opcode)
                                                 ? reinterpret_cast<VstIntPtr>(valueTarget.data())
                                                 : value;
                    noteStep("opcode %d, index %d, value %lld, %s buffer", static_cast<int>(opcode),
                             static_cast<int>(index), static_cast<long long>(passed),
                             zeroed ? "zeroed" : "arbitrary");
                    instance.dispatch(opcode, index, passed, buffer.data(), 0.0f);
                    ++calls;
                    if (instance.effect()->magic != kEffectMagic) {
                        return failure("opcode " + std::to_string(opcode) +
                                       " overwrote the record's magic");
                    }
                }
            }
        }
        if (opcode == effSetProgram) {
            const VstIntPtr program = instance.dispatch(effGetProgram);
            const VstInt32 programs = instance.effect()->numPrograms;
            if (program < 0 || (programs > 0 && program >= programs)) {
                return failure("effSetProgram out of range made the program " +
                               std::to_string(program) + " of " + std::to_string(programs));
            }
        }
        // The instance must still work after every opcode. Some opcodes legitimately stop
        // processing (effMainsChanged 0) or change the block size: restore both.
        noteStep("processing after opcode %d", static_cast<int>(opcode));
        stream->changeBlockSize(64);
        SampleScan scan;
        stream->processNoise(noise, 64, 64, &scan);
        if (!scan.finite()) {
            return failure("after opcode " + std::to_string(opcode) + ": " + scan.describe());
        }
    }

    const std::array<VstInt32, 6> indices = {
        0, 1, -1, params, params + 1, std::numeric_limits<VstInt32>::min()};
    for (const TextOpcode& text : kTextOpcodes) {
        for (const VstInt32 index : indices) {
            noteStep("text opcode %d, index %d", static_cast<int>(text.opcode),
                     static_cast<int>(index));
            const GuardedText result = askGuardedText(instance, text.opcode, index, text.limit);
            ++calls;
            if (!result.ok()) {
                return failure("text opcode " + std::to_string(text.opcode) + " index " +
                               std::to_string(index) + ": " + result.describe() + " (limit " +
                               std::to_string(text.limit) + ")");
            }
        }
    }
    return {true, std::to_string(calls) + " calls, zeroed and arbitrary buffers, opcodes " +
                      std::to_string(kFirstOpcode) + ".." + std::to_string(kLastOpcode) +
                      ", text limits held"};
}

} // namespace vorlen::validate
