#pragma once
// An allocator for Kit_HeapBuf that fails on demand and records what was asked.

#include "Kit_HeapAlloc.h"

#include <cstddef>

class FailingAllocator {
public:
  // Installs itself for the lifetime of the object.
  FailingAllocator();
  ~FailingAllocator();

  static bool failAllocate;
  static bool failReallocate;
  // Requests for more bytes than this fail too; 0 for no limit.
  static size_t refuseAbove;
  static size_t lastRequest;
};
