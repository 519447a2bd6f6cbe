#include "guarded_text.h"

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
        if (c < 0x20 || c > 0x7E) {
            result.printable = false;
        }
        result.text.push_back(static_cast<char>(c));
    }
    return result;
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
        text += " holds unprintable bytes";
    }
    return text;
}

} // namespace vorlen::validate
