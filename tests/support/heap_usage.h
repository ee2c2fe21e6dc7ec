#pragma once
// Bytes the program holds on the heap right now.  Unlike the resident set,
// this is not inflated by freed memory the allocator keeps (or, under
// AddressSanitizer, by its quarantine), so growth means memory truly held.

#include <cstddef>

namespace korvane::test {

std::size_t heapInUseBytes();

} // namespace korvane::test
