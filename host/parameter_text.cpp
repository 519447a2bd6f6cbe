// Parameter display texts in the house style: a floating-point number fills
// eight characters including its point, surplus digits are cut (never
// rounded), and what does not fit shows as "Huge!".
#include <cmath>
#include <cstdint>

#include "audioeffect.h"
#include "text_limit.h"

namespace {

constexpr int kStyleWidth = 8;
constexpr const char* kOverflowText = "Huge!";

// The digit of x for the cutting style: the integer part of fmod(x, 10), so
// fraction digits never carry into the digit above. x is finite and >= 0.
char digitOf(double x) noexcept {
    return static_cast<char>('0' + static_cast<int>(std::fmod(x, 10.0)));
}

// Exact powers of ten for the fraction digits; at most six are ever needed.
constexpr double kPowersOfTen[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

} // namespace

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) noexcept {
    double v = value;
    if (std::isnan(v)) {
        // NaN passes every magnitude test and has no digits; say what it is.
        vorlen::copyWithLimit(text, "NaN", maxLen);
        return;
    }
    const bool negative = v < 0.0;
    int count = 0; // characters of the integer text, sign and point included
    if (negative) {
        v = -v;
        count = 1;
        if (v > 9999999.0) {
            vorlen::copyWithLimit(text, kOverflowText, maxLen);
            return;
        }
    } else if (v > 99999999.0) {
        vorlen::copyWithLimit(text, kOverflowText, maxLen);
        return;
    }

    // Integer digits are produced last digit first into the back of the scratch.
    char integerText[kStyleWidth + 2];
    int first = kStyleWidth;
    integerText[kStyleWidth] = '.';
    integerText[kStyleWidth + 1] = '\0';

    double integ = std::floor(v);
    integerText[--first] = digitOf(integ);
    integ /= 10.0;
    count += 2;
    while (integ >= 1.0 && count < kStyleWidth) {
        integerText[--first] = digitOf(integ);
        integ /= 10.0;
        ++count;
    }
    if (integ >= 1.0) {
        // Digits left over: the leading ones did not fit the eight characters,
        // and a number without its leading digit would be a wrong number.
        vorlen::copyWithLimit(text, kOverflowText, maxLen);
        return;
    }
    if (negative) {
        integerText[--first] = '-';
    }
    vorlen::copyWithLimit(text, integerText + first, maxLen);
    if (count >= kStyleWidth) {
        return;
    }

    const int fractionDigits = kStyleWidth - count;
    char fractionText[kStyleWidth + 1];
    fractionText[fractionDigits] = '\0';
    double m = std::fmod(v, 1.0) * kPowersOfTen[fractionDigits];
    for (int i = fractionDigits - 1; i >= 0; --i) {
        if (m <= 0.0) {
            fractionText[i] = '0';
        } else {
            fractionText[i] = digitOf(m);
            m /= 10.0;
        }
    }
    vorlen::appendWithLimit(text, fractionText, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) noexcept {
    // 64 bits: the most negative 32-bit value has no 32-bit negation.
    std::int64_t v = value;
    if (v >= 100000000) {
        vorlen::copyWithLimit(text, kOverflowText, maxLen);
        return;
    }
    if (v < 0) {
        vorlen::copyWithLimit(text, "-", maxLen);
        v = -v;
    } else {
        vorlen::copyWithLimit(text, "", maxLen);
    }

    // The divisor 10^9 only yields a digit for values below -999,999,999, so
    // their full text is the exact number, cut to maxLen like any other.
    char digits[12];
    int count = 0;
    for (std::int64_t divisor = 1000000000; divisor >= 1; divisor /= 10) {
        const std::int64_t quotient = v / divisor;
        v %= divisor;
        if (count > 0 || quotient > 0) {
            digits[count++] = static_cast<char>('0' + quotient);
        }
    }
    if (count == 0) {
        // Zero is a real value and must not show as a blank display.
        digits[count++] = '0';
    }
    digits[count] = '\0';
    vorlen::appendWithLimit(text, digits, maxLen);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) noexcept {
    if (!(value > 0.0f)) {
        vorlen::copyWithLimit(text, "-oo", maxLen);
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) noexcept {
    const float rate = getSampleRate();
    if (samples == 0.0f) {
        float2string(0.0f, text, maxLen);
        return;
    }
    float2string(rate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) noexcept {
    const float rate = getSampleRate();
    // A zero rate gives an infinity ("Huge!") or, for zero samples, NaN ("NaN").
    float2string(
        static_cast<float>(static_cast<double>(samples) * 1000.0 / static_cast<double>(rate)), text,
        maxLen);
}
