// The audio thread must never reach the allocator: this program counts every call to it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <numeric>
#include <vector>

#include "engine_harness.h"
#if !defined(_WIN32)
#include "plugin_module.h"
#endif

namespace {
std::atomic<long> allocatorCalls{0};
// Counts down the operator new calls that may still succeed; negative: no limit.
std::atomic<long> allocationsUntilFailure{-1};
} // namespace

// The replacements below hand out malloc blocks from operator new and free them in operator
// delete; once inlined, the compiler sees free() meet new and cannot know they match.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    allocatorCalls.fetch_add(1, std::memory_order_relaxed);
    if (allocationsUntilFailure.load() >= 0 && allocationsUntilFailure.fetch_sub(1) == 0) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    allocatorCalls.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

// The sanitizers own malloc in their builds; elsewhere the C allocator is counted too, so
// a call that bypasses operator new is caught as well (glibc names its own entries).
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && defined(__GLIBC__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) noexcept {
    allocatorCalls.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    allocatorCalls.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept {
    allocatorCalls.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
void free(void* block) noexcept {
    __libc_free(block);
}
}
#endif

namespace {

TEST(Allocation, ProcessingNeverCallsTheAllocator) {
    const std::vector<int> blocks = {1, 7, 1000, 1024, 5000, 3, 2048, 4096, 6817};
    Engine engine;
    const Stereo input = randomSignal(std::accumulate(blocks.begin(), blocks.end(), size_t{0}), 1);
    Stereo output(input.size());
    // Every block length, every hop position and every parameter change lies inside the
    // counted span; the buffers above were made before it.
    const long before = allocatorCalls.load();
    size_t done = 0;
    for (int count : blocks) {
        float* inputs[2] = {const_cast<float*>(input.left.data() + done),
                            const_cast<float*>(input.right.data() + done)};
        float* outputs[2] = {output.left.data() + done, output.right.data() + done};
        engine.set(0, count % 2 == 0 ? 0.3f : 1.0f);
        engine.set(1, count % 3 == 0 ? 0.0f : 100.0f);
        engine.effect->processReplacing(inputs, outputs, count);
        done += static_cast<size_t>(count);
    }
    const long during = allocatorCalls.load() - before;
    ASSERT_EQ(done, input.size());
    EXPECT_EQ(during, 0);
}

// Guards the counter itself: a test that cannot see an allocation proves nothing.
TEST(Allocation, CounterSeesAllocations) {
    const long before = allocatorCalls.load();
    delete new Engine;
    EXPECT_GT(allocatorCalls.load() - before, 0);
}

#if !defined(_WIN32)
// Memory running out anywhere during construction: the entry point answers null, nothing
// escapes into the host and nothing leaks (LeakSanitizer checks at exit).
TEST(Allocation, EntryPointAnswersNullWhenMemoryRunsOut) {
    const VstPluginMainProc entry = pluginEntry();
    ASSERT_NE(entry, nullptr);
    AEffect* effect = nullptr;
    long failures = 0;
    for (long allowed = 0; effect == nullptr && allowed < 1000; ++allowed) {
        allocationsUntilFailure = allowed;
        effect = entry(nullptr);
        allocationsUntilFailure = -1;
        failures += effect == nullptr ? 1 : 0;
    }
    ASSERT_NE(effect, nullptr);
    EXPECT_GT(failures, 20); // every buffer and plan array failed once
    closeEffect(effect);
}

#endif

} // namespace
