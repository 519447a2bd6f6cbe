// Placeholder until the text conversions land: every text is empty.
#include "audioeffect.h"

static void emptyText(char* text, VstInt32 maxLen) noexcept {
    if (text != nullptr && maxLen >= 0) {
        text[0] = '\0';
    }
}

void AudioEffect::dB2string(float, char* text, VstInt32 maxLen) noexcept { emptyText(text, maxLen); }
void AudioEffect::Hz2string(float, char* text, VstInt32 maxLen) noexcept { emptyText(text, maxLen); }
void AudioEffect::ms2string(float, char* text, VstInt32 maxLen) noexcept { emptyText(text, maxLen); }
void AudioEffect::float2string(float, char* text, VstInt32 maxLen) noexcept {
    emptyText(text, maxLen);
}
void AudioEffect::int2string(VstInt32, char* text, VstInt32 maxLen) noexcept {
    emptyText(text, maxLen);
}
