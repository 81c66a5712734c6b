#include "Kit_HeapAlloc.h"

#include <atomic>
#include <cstdlib>

namespace {

const Kit_HeapAllocator kStandardAllocator = {std::malloc, std::realloc, std::free};
std::atomic<const Kit_HeapAllocator*> gAllocator{&kStandardAllocator};

}  // namespace

const Kit_HeapAllocator& Kit_HeapAlloc() { return *gAllocator.load(std::memory_order_acquire); }

void Kit_SetHeapAllocator(const Kit_HeapAllocator* allocator) {
  gAllocator.store(allocator ? allocator : &kStandardAllocator, std::memory_order_release);
}
