#include "Kit_HeapBuf.h"

#include "Kit_HeapAlloc.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t kPage = 4096;
constexpr int64_t kMaxStep = 0x400000;
// Page-granular allocations stay this far below a page multiple.
constexpr int64_t kPageSlack = 96;

}  // namespace

Kit_HeapBuf::Kit_HeapBuf(int granularity) : granularity_(granularity > 0 ? granularity : 1) {}

Kit_HeapBuf::Kit_HeapBuf(const Kit_HeapBuf& other)
    : granularity_(other.granularity_), minAllocation_(other.minAllocation_) {
  if (other.size_ > 0 && Resize(other.size_, false)) std::memcpy(data_, other.data_, size_t(size_));
}

Kit_HeapBuf& Kit_HeapBuf::operator=(const Kit_HeapBuf& other) {
  if (this == &other) return *this;
  if (Resize(other.size_, false) || other.size_ == 0) {
    if (other.size_ > 0) std::memcpy(data_, other.data_, size_t(size_));
  }
  return *this;
}

Kit_HeapBuf::~Kit_HeapBuf() {
  if (data_) Kit_HeapAlloc().release(data_);
}

int Kit_HeapBuf::AllocationFor(int newSize) const {
  const int64_t size = newSize;
  int64_t step = std::max<int64_t>(size / 2, granularity_);
  int64_t allocation;
  if (granularity_ < kPage) {
    allocation = size + step;
  } else {
    step = std::clamp<int64_t>(step / kPage * kPage, kPage, kMaxStep);
    allocation = (size + step + kPageSlack) / kPage * kPage - kPageSlack;
  }
  allocation = std::max<int64_t>(allocation, minAllocation_);
  // Near 2 GB the rule would pass the int range: allocate exactly what fits.
  return int(std::min<int64_t>(allocation, INT32_MAX));
}

void* Kit_HeapBuf::Resize(int newSize, bool resizeDown) {
  if (newSize < 0) return nullptr;
  if (newSize != size_) {
    const bool fits = newSize <= allocated_;
    const bool shrink = fits && resizeDown && newSize < size_ && newSize < allocated_ / 2 &&
                        int64_t(newSize) < int64_t(allocated_) - 4 * int64_t(granularity_);
    if (!fits || shrink) {
      const int allocation = AllocationFor(newSize);
      // A failed shrink keeps the larger block, which still holds everything.
      if (allocation != allocated_ && !Reallocate(allocation) && !fits) return nullptr;
    }
    size_ = newSize;
  }
  return size_ ? data_ : nullptr;
}

bool Kit_HeapBuf::Reallocate(int newAllocation) {
  const Kit_HeapAllocator& heap = Kit_HeapAlloc();
  void* block = data_ ? heap.reallocate(data_, size_t(newAllocation)) : heap.allocate(size_t(newAllocation));
  if (!block && data_) {
    block = heap.allocate(size_t(newAllocation));
    if (!block) return false;
    std::memcpy(block, data_, size_t(std::min(size_, newAllocation)));
    heap.release(data_);
  }
  if (!block) return false;
  data_ = block;
  allocated_ = newAllocation;
  return true;
}
