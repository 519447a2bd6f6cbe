// run() is called on the host's audio thread: it must not reach the allocator, take a lock
// or call into C-library functions that take one. This program counts such calls made while
// the plug-in runs, replacing them for the whole process (the plug-in's library resolves
// them against this program, which exports them).
#include <dlfcn.h>
#include <pthread.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "lv2_host.h"

namespace {
std::atomic<bool> watching{false};
std::atomic<long> forbiddenCalls{0};

void count() {
    if (watching.load(std::memory_order_relaxed)) {
        forbiddenCalls.fetch_add(1, std::memory_order_relaxed);
    }
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

/// Calls made while `work` runs.
template <typename Work>
long callsDuring(Work work) {
    forbiddenCalls.store(0);
    watching.store(true);
    work();
    watching.store(false);
    return forbiddenCalls.load();
}
} // namespace

// The replacements must reach the plug-in's library although this build hides symbols.
#define REPLACEMENT __attribute__((visibility("default")))

// The replacements hand out malloc blocks from operator new and free them in operator
// delete; once inlined, the compiler sees free() meet new and cannot know they match.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

REPLACEMENT void* operator new(std::size_t size) {
    count();
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
REPLACEMENT void* operator new[](std::size_t size) {
    return ::operator new(size);
}
REPLACEMENT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    count();
    return std::malloc(size == 0 ? 1 : size);
}
REPLACEMENT void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}
REPLACEMENT void operator delete(void* block) noexcept {
    count();
    std::free(block);
}
REPLACEMENT void operator delete[](void* block) noexcept {
    ::operator delete(block);
}
REPLACEMENT void operator delete(void* block, std::size_t) noexcept {
    ::operator delete(block);
}
REPLACEMENT void operator delete[](void* block, std::size_t) noexcept {
    ::operator delete(block);
}

extern "C" {
// The sanitizers own malloc in their builds; elsewhere the C allocator is counted too.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);

REPLACEMENT void* malloc(std::size_t size) noexcept {
    count();
    return __libc_malloc(size);
}
REPLACEMENT void* calloc(std::size_t elements, std::size_t size) noexcept {
    count();
    return __libc_calloc(elements, size);
}
REPLACEMENT void* realloc(void* block, std::size_t size) noexcept {
    count();
    return __libc_realloc(block, size);
}
REPLACEMENT void free(void* block) noexcept {
    count();
    __libc_free(block);
}
#endif

// Locks, and the C generator whose state glibc guards with a process-wide lock.
REPLACEMENT int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept {
    count();
    static const auto real = next<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
    return real(mutex);
}
REPLACEMENT int pthread_mutex_trylock(pthread_mutex_t* mutex) noexcept {
    count();
    static const auto real = next<int (*)(pthread_mutex_t*)>("pthread_mutex_trylock");
    return real(mutex);
}
REPLACEMENT int rand() noexcept {
    count();
    static const auto real = next<int (*)()>("rand");
    return real();
}
REPLACEMENT long random() noexcept {
    count();
    static const auto real = next<long (*)()>("random");
    return real();
}
REPLACEMENT void srand(unsigned seed) noexcept {
    count();
    static const auto real = next<void (*)(unsigned)>("srand");
    real(seed);
}
}

namespace {

TEST(Lv2Realtime, RunAllocatesNothingAndTakesNoLock) {
    // The counters themselves must see calls, or a zero below proves nothing.
    // A direct call, since a compiler may drop a new-expression's allocation.
    EXPECT_GT(callsDuring([] { ::operator delete(::operator new(16)); }), 0);
    EXPECT_GT(callsDuring([] { (void)std::rand(); }), 0);

    const Stereo input = randomSignal(20000, 1);
    Stereo output(input.size());
    Lv2Instance plugin;
    ASSERT_TRUE(plugin.ok());
    plugin.seed(3);
    plugin.connect(VORLEN_LV2_IN_LEFT, const_cast<float*>(input.left.data()));
    plugin.connect(VORLEN_LV2_IN_RIGHT, const_cast<float*>(input.right.data()));
    plugin.connect(VORLEN_LV2_OUT_LEFT, output.left.data());
    plugin.connect(VORLEN_LV2_OUT_RIGHT, output.right.data());
    for (float ratio : {1.0f, 0.3f, 0.0f}) {
        for (float smoothing : {10.0f, 0.0f, 20.0f, 100.0f}) {
            plugin.ratio = ratio;
            plugin.smoothing = smoothing;
            // Short and long blocks, every one crossing or reaching a hop.
            for (uint32_t frames : {1u, 1023u, 1024u, 5000u, 20000u}) {
                EXPECT_EQ(callsDuring([&] { plugin.run(frames); }), 0)
                    << frames << " frames at ratio " << ratio << ", smoothing " << smoothing;
            }
        }
    }
}

} // namespace
