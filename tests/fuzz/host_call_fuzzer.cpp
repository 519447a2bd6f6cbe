// libFuzzer target: the input bytes become a sequence of host calls on one instance of the
// effect, made through its record the way a host makes them. Pointers are always valid and
// buffers exactly as long as the call says, so that every fault the sanitizers report is
// the plug-in's; values, parameter bit patterns, sample bit patterns and lengths are free.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vorlen.h"

namespace {

// Bounds that keep one input fast enough for thousands of runs a minute.
constexpr int kMaxFrames = 8192;
constexpr std::int64_t kMaxFramesPerInput = 8192;
constexpr int kMaxCallsPerInput = 256;
constexpr std::size_t kHostBufferBytes = 1024;

/// Reads the fuzzer's bytes as the arguments of calls; zeros once they run out.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const noexcept { return offset_ >= size_; }
    template <typename T>
    T take() noexcept {
        T value{};
        const std::size_t count = std::min(sizeof(T), size_ - std::min(offset_, size_));
        std::memcpy(&value, data_ + offset_, count);
        offset_ += sizeof(T);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

VstIntPtr VSTCALLBACK fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// The length limit of each opcode that writes a text into the host's buffer; 0 for others.
std::size_t textLimit(VstInt32 opcode) {
    switch (opcode) {
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return 8;
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return 24;
    case effGetEffectName:
        return 32;
    case effGetVendorString:
    case effGetProductString:
    case effShellGetNextPlugin:
        return 64;
    default:
        return 0;
    }
}

// Opcodes whose value argument is an address; a host always passes a valid one.
bool valueIsAddress(VstInt32 opcode) {
    return opcode == effGetSpeakerArrangement || opcode == effSetSpeakerArrangement;
}

void dispatch(AEffect* effect, ByteReader& in) {
    const VstInt32 opcode = static_cast<VstInt32>(in.take<std::uint8_t>() % 145) - 16;
    if (opcode == effClose) {
        return; // only at the end: it destroys the instance
    }
    const VstInt32 index = in.take<VstInt32>();
    VstIntPtr value = in.take<std::int32_t>();
    const float opt = in.take<float>();
    std::vector<std::uint8_t> buffer(kHostBufferBytes, 0);
    std::vector<std::uint8_t> valueTarget(kHostBufferBytes, 0);
    if (valueIsAddress(opcode)) {
        value = reinterpret_cast<VstIntPtr>(valueTarget.data());
    } else if (opcode == effSetChunk) {
        // The value is the size of the chunk behind the pointer.
        value = static_cast<VstIntPtr>(static_cast<std::uint32_t>(value) % (kHostBufferBytes + 1));
    }
    effect->dispatcher(effect, opcode, index, value, buffer.data(), opt);
    // A text of limit L owns L + 1 bytes: the last is zero and nothing after it changes.
    if (const std::size_t limit = textLimit(opcode); limit != 0) {
        for (std::size_t i = limit; i < buffer.size(); ++i) {
            if (buffer[i] != 0) {
                __builtin_trap();
            }
        }
    }
}

void process(AEffect* effect, ByteReader& in, std::int64_t& budget) {
    const std::uint16_t shape = in.take<std::uint16_t>();
    const bool inPlace = (shape & 0x8000u) != 0;
    const bool negative = (shape & 0x4000u) != 0;
    int frames = static_cast<int>(shape & 0x3FFFu) % (kMaxFrames + 1);
    frames = static_cast<int>(std::min<std::int64_t>(frames, budget));
    budget -= frames;
    // Each channel is exactly as long as the call says, so an overrun meets the sanitizer.
    const std::size_t length = static_cast<std::size_t>(std::max(frames, 1));
    std::vector<float> inL(length), inR(length), outL(length), outR(length);
    // A short pattern of raw sample bits from the input, repeated over the block.
    std::uint32_t pattern[4];
    for (std::uint32_t& bits : pattern) {
        bits = in.take<std::uint32_t>();
    }
    for (std::size_t i = 0; i < length; ++i) {
        std::memcpy(&inL[i], &pattern[i % 4], sizeof(float));
        std::memcpy(&inR[i], &pattern[(i + 1) % 4], sizeof(float));
    }
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    effect->processReplacing(effect, inputs, inPlace ? inputs : outputs,
                             negative ? -frames : frames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vstVorlen* object = nullptr;
    try {
        object = new vstVorlen(&fuzzHost);
    } catch (...) {
        return 0;
    }
    AEffect* effect = object->getAeffect();
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    ByteReader in(data, size);
    std::int64_t budget = kMaxFramesPerInput;
    for (int call = 0; call < kMaxCallsPerInput && !in.empty(); ++call) {
        switch (in.take<std::uint8_t>() % 4) {
        case 0:
            dispatch(effect, in);
            break;
        case 1: {
            const VstInt32 index = static_cast<VstInt32>(in.take<std::uint8_t>() % 4) - 1;
            effect->setParameter(effect, index, in.take<float>());
            break;
        }
        case 2:
            (void)effect->getParameter(effect,
                                       static_cast<VstInt32>(in.take<std::uint8_t>() % 4) - 1);
            break;
        default:
            process(effect, in, budget);
            break;
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
