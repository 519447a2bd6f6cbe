#include "audioeffect.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

/// The smallest concrete effect: only the text conversions of the base are used.
class TextEffect : public AudioEffect {
public:
    TextEffect() : AudioEffect(nullptr, 1, 2) {}
    void processReplacing(float**, float**, VstInt32) noexcept override {}
};

enum class Conversion { Float, Int, Decibel, Hertz, Millis };

constexpr char kGuard = '\x7f';
constexpr int kBufferSize = 32;

/// Runs one conversion into a guarded buffer and checks the stored text, the zero bytes
/// behind it up to text[maxLen], and that nothing past text[maxLen] changed.
void expectText(Conversion conversion, double number, VstInt32 maxLen, const std::string& expected,
                float sampleRate = 44100.0f) {
    SCOPED_TRACE("number " + std::to_string(number) + ", maxLen " + std::to_string(maxLen) +
                 ", expected \"" + expected + "\"");
    TextEffect effect;
    effect.setSampleRate(sampleRate);
    char buffer[kBufferSize];
    std::memset(buffer, kGuard, sizeof buffer);
    const auto f = static_cast<float>(number);
    switch (conversion) {
    case Conversion::Float:
        effect.float2string(f, buffer, maxLen);
        break;
    case Conversion::Int:
        effect.int2string(static_cast<VstInt32>(number), buffer, maxLen);
        break;
    case Conversion::Decibel:
        effect.dB2string(f, buffer, maxLen);
        break;
    case Conversion::Hertz:
        effect.Hz2string(f, buffer, maxLen);
        break;
    case Conversion::Millis:
        effect.ms2string(f, buffer, maxLen);
        break;
    }
    ASSERT_LE(static_cast<VstInt32>(expected.size()), std::max(maxLen, 0));
    EXPECT_EQ(std::string(buffer, expected.size()), expected);
    for (int i = static_cast<int>(expected.size()); i <= maxLen; ++i) {
        EXPECT_EQ(buffer[i], '\0') << "byte " << i;
    }
    for (int i = std::max(maxLen + 1, 0); i < kBufferSize; ++i) {
        ASSERT_EQ(buffer[i], kGuard) << "byte " << i << " written";
    }
}

TEST(Float2String, EightCharactersCutNotRounded) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.5, "0.500000"},       {1.0, "1.000000"},       {0.25, "0.250000"},
        {0.7, "0.699999"},       {0.0, "0.000000"},       {-0.0, "0.000000"},
        {-0.5, "-0.50000"},      {-1.0, "-1.00000"},      {100.0, "100.0000"},
        {1234.5, "1234.500"},    {1234567.0, "1234567."}, {-123456.0, "-123456."},
        {0.0000015, "0.000001"}, {1e-30, "0.000000"},     {9999999.0, "9999999."},
        {-999999.0, "-999999."}, {0.999999, "0.999998"},
    };
    for (const auto& c : cases) {
        expectText(Conversion::Float, c.value, 8, c.text);
    }
    expectText(Conversion::Float, 0.5, 4, "0.50");
    expectText(Conversion::Float, -123456.0, 3, "-12");
    expectText(Conversion::Float, 1234.5, 20, "1234.500");
}

TEST(Float2String, ShowsTheExactFloatCutToEightCharacters) {
    // The exact decimal expansion of the float, cut: any rounding, carry or
    // lost digit in the digit loops shows up as a difference.
    TextEffect effect;
    std::mt19937 random(20240601);
    std::uniform_real_distribution<double> exponent(-6.0, 6.99);
    for (int i = 0; i < 100000; ++i) {
        const double magnitude = std::pow(10.0, exponent(random));
        const auto value = static_cast<float>(i % 2 == 0 ? magnitude : -magnitude / 10.0);
        char exact[80];
        std::snprintf(exact, sizeof exact, "%.40f", static_cast<double>(value));
        char text[9];
        effect.float2string(value, text, 8);
        ASSERT_EQ(std::string(text), std::string(exact, 8)) << "value " << value;
    }
}

TEST(Float2String, OutOfStyleShowsHuge) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double value : {1.0e9, -1.0e7, inf, -inf, 100000000.0, 3.0e38, -3.0e38}) {
        expectText(Conversion::Float, value, 8, "Huge!");
    }
    // Mended: these pass the first overflow test, but their leading digit does not fit.
    for (double value : {10000000.0, 12345678.0, 99999990.0, -1000000.0, -1234567.0, -9999999.0}) {
        expectText(Conversion::Float, value, 8, "Huge!");
    }
    expectText(Conversion::Float, 1.0e9, 3, "Hug");
}

TEST(Float2String, NaNIsNamed) {
    expectText(Conversion::Float, std::numeric_limits<double>::quiet_NaN(), 8, "NaN");
    expectText(Conversion::Float, -std::numeric_limits<double>::quiet_NaN(), 2, "Na");
}

TEST(Int2String, DigitsWithoutLeadingZeros) {
    const struct {
        VstInt32 value;
        const char* text;
    } cases[] = {
        {10, "10"},
        {20, "20"},
        {7, "7"},
        {-7, "-7"},
        {99999999, "99999999"},
        {100000000, "Huge!"},
        {INT_MAX, "Huge!"},
        {-123456789, "-1234567"},
        {1000, "1000"},
        {0, "0"}, // mended: a real zero must not be a blank display
    };
    for (const auto& c : cases) {
        expectText(Conversion::Int, c.value, 8, c.text);
    }
    expectText(Conversion::Int, 12345, 3, "123");
    expectText(Conversion::Int, -123456789, 16, "-123456789");
}

TEST(Int2String, BelowMinusNineHundredMillionShowsTheCutExactText) {
    // Mended: computed in 64 bits, so INT_MIN has a negation and every digit is a digit.
    expectText(Conversion::Int, INT_MIN, 8, "-2147483");
    expectText(Conversion::Int, INT_MIN, 16, "-2147483648");
    expectText(Conversion::Int, -1000000000, 16, "-1000000000");
    expectText(Conversion::Int, -999999999, 16, "-999999999");
}

TEST(DerivedConversions, UnitsGoThroughFloat2String) {
    expectText(Conversion::Decibel, 1.0, 8, "0.000000");
    expectText(Conversion::Decibel, 10.0, 8, "20.00000");
    expectText(Conversion::Decibel, 0.1, 8, "-20.0000");
    expectText(Conversion::Decibel, 0.0, 8, "-oo");
    expectText(Conversion::Decibel, -3.0, 8, "-oo");
    expectText(Conversion::Decibel, 0.0, 2, "-o");
    expectText(Conversion::Hertz, 100.0, 8, "441.0000");
    expectText(Conversion::Hertz, 0.0, 8, "0.000000");
    expectText(Conversion::Hertz, -0.0, 8, "0.000000");
    expectText(Conversion::Millis, 441.0, 8, "10.00000");
    expectText(Conversion::Millis, 48.0, 8, "1.000000", 48000.0f);
    expectText(Conversion::Millis, 1.0, 8, "Huge!", 0.0f);
    expectText(Conversion::Millis, 0.0, 8, "NaN", 0.0f);
}

TEST(TextLimits, ZeroLengthLeavesTheEmptyTextAndNegativeWritesNothing) {
    for (Conversion c : {Conversion::Float, Conversion::Int, Conversion::Decibel, Conversion::Hertz,
                         Conversion::Millis}) {
        expectText(c, 1.0, 0, "");
        expectText(c, 1.0, -1, "");
        expectText(c, -5.0, INT_MIN, "");
    }
    expectText(Conversion::Int, INT_MIN, -1, "");
    expectText(Conversion::Float, std::nan(""), -3, "");
}

TEST(TextLimits, StaleBytesBehindTheTextAreCleared) {
    TextEffect effect;
    char buffer[12];
    std::memset(buffer, 'z', sizeof buffer);
    effect.int2string(7, buffer, 8);
    EXPECT_EQ(std::string(buffer, 9), std::string("7\0\0\0\0\0\0\0\0", 9));
    EXPECT_EQ(buffer[9], 'z');
}

} // namespace
