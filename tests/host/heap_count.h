// Test helper: the heap in use as operator new and operator delete see it.
// The test binary replaces both (heap_count.cpp) and counts every block, so
// the figures mean the same in every build, AddressSanitizer's included.
#pragma once

#include <cstddef>

namespace dv::test {

struct HeapUse {
  std::size_t blocks = 0;  // allocated and not yet deleted
  std::size_t bytes = 0;   // their usable size
};

HeapUse heap_in_use();

}  // namespace dv::test
