#pragma once
// Growable byte buffer with a fixed growth rule, and the typed buffer and pointer
// list kept in one.
//
// Not thread-safe: owners lock around them.

#include <cstdint>
#include <type_traits>

class Kit_HeapBuf {
public:
  static constexpr int kDefaultGranularity = 4096;

  explicit Kit_HeapBuf(int granularity = kDefaultGranularity);
  Kit_HeapBuf(const Kit_HeapBuf& other);
  Kit_HeapBuf& operator=(const Kit_HeapBuf& other);
  ~Kit_HeapBuf();

  void* Get() const { return data_; }
  int GetSize() const { return size_; }
  int GetAllocated() const { return allocated_; }
  int GetGranularity() const { return granularity_; }
  void SetGranularity(int granularity) { granularity_ = granularity > 0 ? granularity : 1; }
  // The allocation never goes below this once the buffer is (re)allocated.
  void SetMinAllocation(int bytes) { minAllocation_ = bytes > 0 ? bytes : 0; }

  // Sets the size in use and returns the data pointer; null when newSize is 0.
  // On failure (negative size, allocation failed) returns null and leaves the
  // buffer exactly as it was. resizeDown allows a large drop to shrink the block.
  void* Resize(int newSize, bool resizeDown = true);

  // The allocation the growth rule picks for newSize with this buffer's settings.
  int AllocationFor(int newSize) const;

private:
  void* data_ = nullptr;
  int granularity_;
  int allocated_ = 0;
  int size_ = 0;
  int minAllocation_ = 0;

  bool Reallocate(int newAllocation);
};

// A Kit_HeapBuf seen as an array of T (trivially copyable types only).
template <class T>
class Kit_TypedBuf {
  static_assert(std::is_trivially_copyable<T>::value, "elements are moved as raw bytes");

public:
  explicit Kit_TypedBuf(int granularity = Kit_HeapBuf::kDefaultGranularity) : buf_(granularity) {}

  T* Get() const { return static_cast<T*>(buf_.Get()); }
  int GetSize() const { return buf_.GetSize() / int(sizeof(T)); }
  // Resizes to count elements; null when count is 0 or on failure (buffer unchanged).
  T* Resize(int count, bool resizeDown = true) {
    const int64_t bytes = int64_t(count) * int64_t(sizeof(T));
    if (count < 0 || bytes > INT32_MAX) return nullptr;
    return static_cast<T*>(buf_.Resize(int(bytes), resizeDown));
  }
  Kit_HeapBuf& Buffer() { return buf_; }
  const Kit_HeapBuf& Buffer() const { return buf_; }

private:
  Kit_HeapBuf buf_;
};

// A list of pointers kept in a Kit_HeapBuf. The list does not own its entries
// unless asked to destroy them in Delete or Empty.
template <class T>
class Kit_PtrList {
public:
  using DeleteFunction = void (*)(void*);

  explicit Kit_PtrList(int granularity = Kit_HeapBuf::kDefaultGranularity) : buf_(granularity) {}

  int GetSize() const { return buf_.GetSize() / int(sizeof(T*)); }
  // Entry i, or null when i is out of range.
  T* Get(int i) const { return (i >= 0 && i < GetSize()) ? Slots()[i] : nullptr; }
  // Appends item; returns it, or null when the list could not grow.
  T* Add(T* item) { return Insert(GetSize(), item); }
  // Inserts item at i (clamped to 0..count); returns it, or null when the list could not grow.
  T* Insert(int i, T* item) {
    const int count = GetSize();
    if (i < 0) i = 0;
    if (i > count) i = count;
    if (!Grow(count + 1)) return nullptr;
    T** slots = Slots();
    for (int k = count; k > i; --k) slots[k] = slots[k - 1];
    slots[i] = item;
    return item;
  }
  // Removes entry `index` and closes the gap; with wantDelete destroys the object
  // first, through deleteFunction when one is given. Out-of-range index: nothing.
  void Delete(int index, bool wantDelete = false, DeleteFunction deleteFunction = nullptr) {
    const int count = GetSize();
    if (index < 0 || index >= count) return;
    T** slots = Slots();
    if (wantDelete) Destroy(slots[index], deleteFunction);
    for (int k = index; k < count - 1; ++k) slots[k] = slots[k + 1];
    buf_.Resize((count - 1) * int(sizeof(T*)), false);
  }
  // Clears the list, keeping the allocation. With wantDelete destroys the entries
  // from the last to the first, shrinking the list by one after each.
  void Empty(bool wantDelete = false, DeleteFunction deleteFunction = nullptr) {
    if (wantDelete) {
      for (int count = GetSize(); count > 0; count = GetSize()) {
        T* last = Slots()[count - 1];
        buf_.Resize((count - 1) * int(sizeof(T*)), false);
        Destroy(last, deleteFunction);
      }
    } else {
      buf_.Resize(0, false);
    }
  }

private:
  Kit_HeapBuf buf_;

  T** Slots() const { return static_cast<T**>(buf_.Get()); }
  bool Grow(int count) {
    const int64_t bytes = int64_t(count) * int64_t(sizeof(T*));
    return bytes <= INT32_MAX && buf_.Resize(int(bytes), false) != nullptr;
  }
  static void Destroy(T* item, DeleteFunction deleteFunction) {
    if (!item) return;
    if (deleteFunction)
      deleteFunction(item);
    else
      delete item;
  }
};
