#include "FailingAllocator.h"

#include <cstdlib>

bool FailingAllocator::failAllocate = false;
bool FailingAllocator::failReallocate = false;
size_t FailingAllocator::refuseAbove = 0;
size_t FailingAllocator::lastRequest = 0;

namespace {

bool Refused(bool failing, size_t bytes) {
  FailingAllocator::lastRequest = bytes;
  return failing || (FailingAllocator::refuseAbove && bytes > FailingAllocator::refuseAbove);
}

void* Allocate(size_t bytes) { return Refused(FailingAllocator::failAllocate, bytes) ? nullptr : std::malloc(bytes); }

void* Reallocate(void* block, size_t bytes) {
  return Refused(FailingAllocator::failReallocate, bytes) ? nullptr : std::realloc(block, bytes);
}

const Kit_HeapAllocator kFailing = {Allocate, Reallocate, std::free};

}  // namespace

FailingAllocator::FailingAllocator() {
  failAllocate = failReallocate = false;
  refuseAbove = lastRequest = 0;
  Kit_SetHeapAllocator(&kFailing);
}

FailingAllocator::~FailingAllocator() { Kit_SetHeapAllocator(nullptr); }
