#include "guarded_text.h"

#include <cstdint>
#include <vector>

namespace vorlen::validate {
namespace {

// Neither a character nor a zero: a byte still holding it was not written.
constexpr unsigned char kMarker = 0xA5;
constexpr std::size_t kGuardBytes = 256;

} // namespace

GuardedText askGuardedText(const tools::PluginInstance& instance, VstInt32 opcode, VstInt32 index,
                           std::size_t limit) {
    std::vector<unsigned char> buffer(limit + 1 + kGuardBytes, kMarker);
    GuardedText result;
    result.answer = instance.dispatch(opcode, index, 0, buffer.data());

    for (std::size_t i = limit + 1; i < buffer.size(); ++i) {
        if (buffer[i] != kMarker) {
            result.guardIntact = false;
        }
    }
    for (std::size_t i = 0; i <= limit; ++i) {
        if (buffer[i] != kMarker) {
            result.written = true;
        }
    }
    if (!result.written) {
        return result;
    }
    result.terminated = false;
    for (std::size_t i = 0; i <= limit; ++i) {
        const unsigned char c = buffer[i];
        if (c == 0) {
            result.terminated = true;
            break;
        }
        result.text.push_back(static_cast<char>(c));
    }
    result.printable = isPrintableUtf8(result.text);
    return result;
}

bool isPrintableUtf8(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::uint32_t code = 0;
        std::size_t length = 0;
        std::uint32_t smallest = 0;
        if (lead < 0x80) {
            code = lead;
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            code = lead & 0x1Fu;
            length = 2;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            code = lead & 0x0Fu;
            length = 3;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            code = lead & 0x07u;
            length = 4;
            smallest = 0x10000;
        } else {
            return false; // a continuation byte where a character should start, or 0xF8..0xFF
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        const bool overlong = length > 1 && code < smallest;
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
        if (overlong || surrogate || control || code > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string GuardedText::describe() const {
    std::string text = "'" + this->text + "'";
    if (!guardIntact) {
        text += " wrote past its limit";
    }
    if (!terminated) {
        text += " is not terminated within its limit";
    }
    if (!printable) {
        text += " holds control characters or invalid UTF-8";
    }
    return text;
}

} // namespace vorlen::validate
