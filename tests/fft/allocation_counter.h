// Counts calls of the global allocator, to prove code allocates nothing.
#pragma once

#include <cstddef>

namespace vorlen::fft::test {

/// Number of global operator new calls made by this process so far.
std::size_t allocationCount() noexcept;

} // namespace vorlen::fft::test
