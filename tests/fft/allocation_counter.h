// Counts calls of the global allocator, to prove code allocates nothing or
// frees what it allocated, and can make a chosen allocation fail.
#pragma once

#include <cstddef>

namespace vorlen::fft::test {

/// Number of global operator new calls made by this process so far.
std::size_t allocationCount() noexcept;

/// Number of blocks obtained from global operator new and not yet freed.
std::ptrdiff_t liveAllocations() noexcept;

/// Makes the `nth` allocation from now (1 = the next) throw std::bad_alloc;
/// 0 makes none fail.
void failAllocation(std::size_t nth) noexcept;

} // namespace vorlen::fft::test
