// Speaker-arrangement operations of AudioEffectX. Arrangements are single C
// heap blocks (calloc/free) of exactly header + speakers, so that whoever
// holds one can release it without knowing which operation made it, and so
// that running out of memory is a null pointer rather than an exception.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audioeffectx.h"

namespace {

constexpr std::size_t kHeaderBytes = offsetof(VstSpeakerArrangement, speakers);

// The arrangement's true length is its channel count, which may exceed the
// eight entries the record declares; address speakers by byte offset within
// the block instead of indexing past the declared array.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 channel) noexcept {
    auto* bytes = reinterpret_cast<unsigned char*>(arrangement);
    return reinterpret_cast<VstSpeakerProperties*>(
        bytes + kHeaderBytes + static_cast<std::size_t>(channel) * sizeof(VstSpeakerProperties));
}

} // namespace

// Channel counts below 0, or large enough that the block would not fit in
// 32 bits, describe no arrangement a host could exchange; they are refused
// before anything is allocated.
bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** location,
                                       VstInt32 channels) noexcept {
    if (location == nullptr) {
        return false;
    }
    if (*location != nullptr) {
        std::free(*location);
        *location = nullptr;
    }
    if (channels < 0) {
        return false;
    }
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(channels) * sizeof(VstSpeakerProperties) + kHeaderBytes;
    if (bytes > UINT32_MAX || bytes > SIZE_MAX) {
        return false;
    }
    void* block = std::calloc(1, static_cast<std::size_t>(bytes));
    if (block == nullptr) {
        return false;
    }
    auto* arrangement = static_cast<VstSpeakerArrangement*>(block);
    arrangement->numChannels = channels;
    *location = arrangement;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** location) noexcept {
    if (location == nullptr) {
        return false;
    }
    if (*location != nullptr) {
        std::free(*location);
        *location = nullptr;
    }
    return true;
}

// memmove rather than memcpy: a caller may copy a speaker onto itself.
bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) noexcept {
    if (to == nullptr || from == nullptr) {
        return false;
    }
    constexpr std::size_t maxChars = kVstSpeakerNameLength - 1;
    const void* end = std::memchr(from->name, '\0', maxChars);
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - from->name)
                       : maxChars;
    std::memmove(to->name, from->name, length);
    std::memset(to->name + length, 0, kVstSpeakerNameLength - length);

    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memmove(to->future, from->future, sizeof to->future);
    return true;
}

// The first step releases the destination's arrangement, so a source that is
// that very arrangement would be read after it is freed. It already is a full
// copy of itself; it is left in place.
bool AudioEffectX::matchArrangement(VstSpeakerArrangement** location,
                                    VstSpeakerArrangement* from) noexcept {
    if (location == nullptr || from == nullptr) {
        return false;
    }
    if (*location == from) {
        return true;
    }
    if (!deallocateArrangement(location)) {
        return false;
    }
    if (!allocateArrangement(location, from->numChannels)) {
        return false;
    }
    VstSpeakerArrangement* to = *location;
    if (to == nullptr) {
        return false;
    }
    to->type = from->type;
    for (VstInt32 channel = 0; channel < to->numChannels; ++channel) {
        if (!copySpeaker(speakerAt(to, channel), speakerAt(from, channel))) {
            return false;
        }
    }
    return true;
}
