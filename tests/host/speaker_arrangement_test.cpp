#include "audioeffectx.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define VORLEN_UNDER_ASAN 1
// Let an oversized allocation fail as it would when memory runs out, instead
// of aborting the test: that is the path allocateArrangement must survive.
// The runtime looks the hook up dynamically, so it must stay visible.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
#endif

namespace {

/// An effect with the default arrangement operations.
class PlainEffect : public AudioEffectX {
public:
    PlainEffect() : AudioEffectX(nullptr, 1, 2) {}
    void processReplacing(float**, float**, VstInt32) noexcept override {}
};

/// The bytes the C library reserved for a block: glibc and the Windows C runtime name the
/// query differently.
std::size_t usableSize(const void* block) {
#if defined(_WIN32)
    return _msize(const_cast<void*>(block));
#else
    return malloc_usable_size(const_cast<void*>(block));
#endif
}

/// The bytes of a block the allocator handed out. AddressSanitizer reports the
/// size asked for; other allocators may round up.
void expectBlockSize(const void* block, std::size_t bytes) {
    const std::size_t usable = usableSize(block);
#ifdef VORLEN_UNDER_ASAN
    EXPECT_EQ(usable, bytes);
#else
    EXPECT_GE(usable, bytes);
#endif
}

/// Whether `bytes` bytes from `p` on are all zero.
bool allZero(const void* p, std::size_t bytes) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < bytes; ++i) {
        if (b[i] != 0) {
            return false;
        }
    }
    return true;
}

/// Channel `channel` of an arrangement, found by byte offset as hosts do.
VstSpeakerProperties* speaker(VstSpeakerArrangement* a, int channel) {
    return reinterpret_cast<VstSpeakerProperties*>(reinterpret_cast<char*>(a) + 8 + 112 * channel);
}

TEST(SpeakerArrangement, AllocateMakesZeroedBlocksOfExactSize) {
    PlainEffect fx;
    for (const int channels : {0, 2, 8, 11}) {
        VstSpeakerArrangement* a = nullptr;
        ASSERT_TRUE(fx.allocateArrangement(&a, channels));
        ASSERT_NE(a, nullptr);
        const std::size_t bytes = 8 + 112 * static_cast<std::size_t>(channels);
        expectBlockSize(a, bytes);
        EXPECT_EQ(a->type, 0);
        EXPECT_EQ(a->numChannels, channels);
        EXPECT_TRUE(allZero(reinterpret_cast<char*>(a) + 8, bytes - 8));
        // A held arrangement is replaced, not leaked (LeakSanitizer watches).
        ASSERT_TRUE(fx.allocateArrangement(&a, 1));
        expectBlockSize(a, 120);
        EXPECT_TRUE(fx.deallocateArrangement(&a));
        EXPECT_EQ(a, nullptr);
        EXPECT_TRUE(fx.deallocateArrangement(&a));
        EXPECT_EQ(a, nullptr);
    }
}

TEST(SpeakerArrangement, ImpossibleCountsAndNullLocationsAreRefused) {
    PlainEffect fx;
    // 38347922 speakers are the most whose block fits in 32 bits.
    for (const VstInt32 channels : {-1, -2147483647 - 1, 38347923, 2147483647}) {
        VstSpeakerArrangement* a = nullptr;
        ASSERT_TRUE(fx.allocateArrangement(&a, 2));
        EXPECT_FALSE(fx.allocateArrangement(&a, channels)) << channels;
        EXPECT_EQ(a, nullptr);
    }
    VstSpeakerArrangement source{};
    EXPECT_FALSE(fx.allocateArrangement(nullptr, 2));
    EXPECT_FALSE(fx.deallocateArrangement(nullptr));
    EXPECT_FALSE(fx.matchArrangement(nullptr, &source));
}

TEST(SpeakerArrangement, ExhaustedMemoryGivesFalse) {
#ifdef VORLEN_UNDER_ASAN
    PlainEffect fx;
    VstSpeakerArrangement* a = nullptr;
    ASSERT_TRUE(fx.allocateArrangement(&a, 2));
    EXPECT_FALSE(fx.allocateArrangement(&a, 38347922)); // just under 4 GiB, over the cap
    EXPECT_EQ(a, nullptr);
#else
    GTEST_SKIP() << "needs an allocator that can be told to fail";
#endif
}

/// A speaker whose bytes are all recognisable.
VstSpeakerProperties patterned(const char* name, int seed) {
    VstSpeakerProperties s;
    std::memset(&s, 0xA0 + seed, sizeof s);
    s.azimuth = 0.5f * seed;
    s.elevation = -0.25f;
    s.radius = 2.0f;
    s.reserved = 0.0f;
    s.type = 100 + seed;
    if (name != nullptr) {
        std::strcpy(s.name, name);
    }
    return s;
}

TEST(SpeakerArrangement, CopySpeakerCutsAndZeroFillsTheName) {
    PlainEffect fx;
    VstSpeakerProperties from = patterned("Front", 1);
    VstSpeakerProperties to;
    std::memset(&to, 0x55, sizeof to);
    ASSERT_TRUE(fx.copySpeaker(&to, &from));
    EXPECT_STREQ(to.name, "Front");
    EXPECT_TRUE(allZero(to.name + 5, 59));
    EXPECT_EQ(to.type, 101);
    EXPECT_EQ(to.azimuth, 0.5f);
    EXPECT_EQ(to.elevation, -0.25f);
    EXPECT_EQ(to.radius, 2.0f);
    EXPECT_EQ(std::memcmp(to.future, from.future, sizeof to.future), 0);

    std::memset(from.name, 'x', sizeof from.name); // no NUL anywhere
    ASSERT_TRUE(fx.copySpeaker(&to, &from));
    EXPECT_EQ(std::string(to.name), std::string(63, 'x'));
    EXPECT_EQ(to.name[63], '\0');

    ASSERT_TRUE(fx.copySpeaker(&from, &from)); // onto itself: cut in place
    EXPECT_EQ(from.name[63], '\0');

    const VstSpeakerProperties before = to;
    EXPECT_FALSE(fx.copySpeaker(&to, nullptr));
    EXPECT_FALSE(fx.copySpeaker(nullptr, &from));
    EXPECT_EQ(std::memcmp(&to, &before, sizeof to), 0);
}

TEST(SpeakerArrangement, MatchMakesAnExactCopy) {
    PlainEffect fx;
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(fx.allocateArrangement(&source, 10)); // beyond the eight the record declares
    source->type = 7;
    for (int c = 0; c < 10; ++c) {
        *speaker(source, c) = patterned(("Speaker " + std::to_string(c)).c_str(), c);
    }
    std::memset(speaker(source, 9)->name, 'y', 64);

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(fx.allocateArrangement(&copy, 3));
    ASSERT_TRUE(fx.matchArrangement(&copy, source));
    expectBlockSize(copy, 8 + 112 * 10);
    EXPECT_EQ(copy->type, 7);
    EXPECT_EQ(copy->numChannels, 10);
    for (int c = 0; c < 9; ++c) {
        EXPECT_STREQ(speaker(copy, c)->name, ("Speaker " + std::to_string(c)).c_str());
        EXPECT_EQ(speaker(copy, c)->type, 100 + c);
    }
    EXPECT_EQ(std::string(speaker(copy, 9)->name), std::string(63, 'y'));

    // Matching the destination's own arrangement must not read it after release.
    VstSpeakerArrangement* const held = copy;
    EXPECT_TRUE(fx.matchArrangement(&copy, copy));
    EXPECT_EQ(copy, held);
    EXPECT_EQ(copy->numChannels, 10);

    VstSpeakerArrangement empty{};
    empty.type = 3;
    ASSERT_TRUE(fx.matchArrangement(&copy, &empty));
    expectBlockSize(copy, 8);
    EXPECT_EQ(copy->type, 3);
    EXPECT_EQ(copy->numChannels, 0);

    EXPECT_FALSE(fx.matchArrangement(&copy, nullptr));
    EXPECT_EQ(copy->type, 3);
    fx.deallocateArrangement(&copy);
    fx.deallocateArrangement(&source);
}

/// Fails chosen steps, to check that matchArrangement goes through the vtable.
class FailingEffect : public PlainEffect {
public:
    int failCopyAt = -1;
    bool failAllocate = false;
    int copies = 0;
    bool allocateArrangement(VstSpeakerArrangement** location, VstInt32 n) noexcept override {
        if (failAllocate) {
            return false;
        }
        return PlainEffect::allocateArrangement(location, n);
    }
    bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) noexcept override {
        return copies++ != failCopyAt && PlainEffect::copySpeaker(to, from);
    }
};

TEST(SpeakerArrangement, MatchStopsAtTheFirstFailedStep) {
    VstSpeakerArrangement source{};
    source.type = 9;
    source.numChannels = 3;
    for (int c = 0; c < 3; ++c) {
        source.speakers[c] = patterned("S", c);
    }

    FailingEffect fx;
    fx.failCopyAt = 1;
    VstSpeakerArrangement* copy = nullptr;
    EXPECT_FALSE(fx.matchArrangement(&copy, &source));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(fx.copies, 2);
    EXPECT_STREQ(copy->speakers[0].name, "S");
    EXPECT_TRUE(allZero(&copy->speakers[1], 2 * sizeof(VstSpeakerProperties)));

    fx.failAllocate = true;
    EXPECT_FALSE(fx.matchArrangement(&copy, &source));
    EXPECT_EQ(copy, nullptr); // released by the deallocate step
}

} // namespace
