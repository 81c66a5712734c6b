#include "FailingAllocator.h"

#include <cstdlib>

bool FailingAllocator::failAllocate = false;
bool FailingAllocator::failReallocate = false;
size_t FailingAllocator::lastRequest = 0;

namespace {

void* Allocate(size_t bytes) {
  FailingAllocator::lastRequest = bytes;
  return FailingAllocator::failAllocate ? nullptr : std::malloc(bytes);
}

void* Reallocate(void* block, size_t bytes) {
  FailingAllocator::lastRequest = bytes;
  return FailingAllocator::failReallocate ? nullptr : std::realloc(block, bytes);
}

const Kit_HeapAllocator kFailing = {Allocate, Reallocate, std::free};

}  // namespace

FailingAllocator::FailingAllocator() {
  failAllocate = failReallocate = false;
  lastRequest = 0;
  Kit_SetHeapAllocator(&kFailing);
}

FailingAllocator::~FailingAllocator() { Kit_SetHeapAllocator(nullptr); }
