#pragma once
// The block allocator behind every Kit_HeapBuf. Tests install one that fails on
// demand, to check that a failed growth is reported and nothing is lost.
//
// threads: any. Install or remove an allocator only while no buffer is resized.

#include <cstddef>

struct Kit_HeapAllocator {
  void* (*allocate)(size_t bytes);
  void* (*reallocate)(void* block, size_t bytes);
  void (*release)(void* block);
};

// The allocator in force: malloc, realloc and free unless a test installed another.
const Kit_HeapAllocator& Kit_HeapAlloc();
// Installs `allocator` (not owned); nullptr restores the standard one.
void Kit_SetHeapAllocator(const Kit_HeapAllocator* allocator);
