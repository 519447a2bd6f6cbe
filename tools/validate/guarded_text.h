// Texts asked of the plug-in into host buffers watched for overruns.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plugin_instance.h"

namespace vorlen::validate {

/// Text limits of the interface: a text of limit L is given a buffer of L + 1 bytes.
enum TextLimit : std::size_t {
    kParamTextLimit = 8,    ///< parameter names, labels and display texts
    kProgramNameLimit = 24, ///< program names
    kEffectNameLimit = 32,  ///< effect name
    kVendorTextLimit = 64,  ///< vendor and product strings, shell plug-in names
};

/// What one text opcode did to a buffer of limit + 1 bytes followed by guard bytes.
struct GuardedText {
    std::string text;        ///< the characters before the terminating zero
    bool written = false;    ///< the plug-in changed at least one byte of the buffer
    bool guardIntact = true; ///< nothing after the limit + 1 bytes was changed
    bool terminated = true;  ///< a zero byte lies within the limit + 1 bytes (if written)
    bool printable = true;   ///< valid UTF-8 without control characters (if written)
    VstIntPtr answer = 0;    ///< the dispatcher's result

    /// Guard intact and, if written, terminated and printable. A text cut at its limit in
    /// the middle of a UTF-8 sequence is not printable: a host would show a broken glyph.
    bool ok() const noexcept { return guardIntact && terminated && printable; }
    /// A short account of what went wrong, or the quoted text.
    std::string describe() const;
};

/// Whether `text` is valid UTF-8 (shortest forms, no surrogates) holding no control
/// character: neither C0 nor DEL nor C1.
bool isPrintableUtf8(std::string_view text) noexcept;

/// Sends `opcode` with `index` and a fresh buffer of `limit` + 1 bytes followed by guard
/// bytes, every byte holding a non-text marker beforehand so that a missing terminator shows.
GuardedText askGuardedText(const tools::PluginInstance& instance, VstInt32 opcode, VstInt32 index,
                           std::size_t limit);

} // namespace vorlen::validate
