// The two ways every text reaches a host buffer. Hosts hand us buffers of
// maxLen + 1 bytes and some of them read all of it, so the bytes behind the
// text are zeroed rather than left as they were.
#pragma once

#include "aeffect.h"

namespace vorlen {

/// Stores the first maxLen characters of `source` in `text`, zero-fills the rest up to and
/// including text[maxLen]; writes nothing for a null text or a negative maxLen.
inline void copyWithLimit(char* text, const char* source, VstInt32 maxLen) noexcept {
    if (text == nullptr || maxLen < 0) {
        return;
    }
    VstInt32 i = 0;
    if (source != nullptr) {
        for (; i < maxLen && source[i] != '\0'; ++i) {
            text[i] = source[i];
        }
    }
    for (; i <= maxLen; ++i) {
        text[i] = '\0';
    }
}

/// Appends `source` behind the text already in `text` without growing it past maxLen
/// characters; text[maxLen] is zero afterwards. Writes nothing for a negative maxLen.
inline void appendWithLimit(char* text, const char* source, VstInt32 maxLen) noexcept {
    if (text == nullptr || maxLen < 0) {
        return;
    }
    // Bounded scan: a text that was not stored with a limit must not send us past the buffer.
    VstInt32 end = 0;
    while (end < maxLen && text[end] != '\0') {
        ++end;
    }
    if (source != nullptr) {
        for (; end < maxLen && *source != '\0'; ++end, ++source) {
            text[end] = *source;
        }
    }
    text[end] = '\0';
    text[maxLen] = '\0';
}

} // namespace vorlen
