// Replacements of the global operator new and operator delete for the test
// binary, counting the blocks in use and their bytes. The blocks come from
// malloc and go back to free, so AddressSanitizer still watches every one.
// The library's nothrow forms forward to these; its aligned forms keep to
// blocks of their own and stay out of the count (nothing here uses them).
#include "tests/host/heap_count.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_blocks{0};
std::atomic<std::size_t> g_bytes{0};

void* counted_new(std::size_t size) {
  for (;;) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
      g_blocks.fetch_add(1, std::memory_order_relaxed);
      // The usable size, read again on delete: both sides count the same.
      g_bytes.fetch_add(malloc_usable_size(p), std::memory_order_relaxed);
      return p;
    }
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void counted_delete(void* p) noexcept {
  if (p == nullptr) return;
  g_blocks.fetch_sub(1, std::memory_order_relaxed);
  g_bytes.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return counted_new(size); }
void* operator new[](std::size_t size) { return counted_new(size); }
void operator delete(void* p) noexcept { counted_delete(p); }
void operator delete[](void* p) noexcept { counted_delete(p); }
void operator delete(void* p, std::size_t) noexcept { counted_delete(p); }
void operator delete[](void* p, std::size_t) noexcept { counted_delete(p); }

namespace dv::test {

HeapUse heap_in_use() {
  return HeapUse{g_blocks.load(std::memory_order_relaxed), g_bytes.load(std::memory_order_relaxed)};
}

}  // namespace dv::test
