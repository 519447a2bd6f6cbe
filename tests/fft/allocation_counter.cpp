#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> gAllocations{0};
std::atomic<std::ptrdiff_t> gLive{0};
std::atomic<std::size_t> gFailIn{0};

void release(void* p) noexcept {
    if (p != nullptr) {
        gLive.fetch_sub(1);
        std::free(p);
    }
}
} // namespace

std::size_t vorlen::fft::test::allocationCount() noexcept {
    return gAllocations.load();
}

std::ptrdiff_t vorlen::fft::test::liveAllocations() noexcept {
    return gLive.load();
}

void vorlen::fft::test::failAllocation(std::size_t nth) noexcept {
    gFailIn.store(nth);
}

// Every other form of operator new and delete forwards to these.
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1);
    const std::size_t failIn = gFailIn.load();
    if (failIn != 0) {
        gFailIn.store(failIn - 1);
        if (failIn == 1) {
            throw std::bad_alloc();
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        gLive.fetch_add(1);
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
