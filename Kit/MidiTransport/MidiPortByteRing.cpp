#include "MidiTransport/MidiPortByteRing.h"

#include <algorithm>
#include <cstring>

namespace {
size_t RoundUpToPowerOfTwo(size_t n) {
  size_t p = 64;
  while (p < n) p <<= 1;
  return p;
}
}  // namespace

MidiPortByteRing::MidiPortByteRing(size_t capacityBytes)
    : buffer_(RoundUpToPowerOfTwo(capacityBytes)), mask_(buffer_.size() - 1) {}

void MidiPortByteRing::CopyIn(size_t to, const unsigned char* in, size_t n) {
  const size_t start = to & mask_;
  const size_t first = std::min(n, buffer_.size() - start);
  std::memcpy(buffer_.data() + start, in, first);
  std::memcpy(buffer_.data(), in + first, n - first);
}

void MidiPortByteRing::CopyOut(size_t from, unsigned char* out, size_t n) const {
  const size_t start = from & mask_;
  const size_t first = std::min(n, buffer_.size() - start);
  std::memcpy(out, buffer_.data() + start, first);
  std::memcpy(out + first, buffer_.data(), n - first);
}

bool MidiPortByteRing::Push(const unsigned char* bytes, uint32_t size) {
  if (!Stage(bytes, size)) return false;
  Publish();
  return true;
}

bool MidiPortByteRing::StageParts(const unsigned char* lead, uint32_t leadSize, const unsigned char* bytes,
                                  uint32_t size) {
  if (size == 0 || size > UINT32_MAX - leadSize) return false;
  const uint32_t total = leadSize + size;
  const size_t tail = tail_.load(std::memory_order_acquire);
  if (buffer_.size() - (staged_ - tail) < kHeader + size_t{total}) return false;
  CopyIn(staged_, reinterpret_cast<const unsigned char*>(&total), kHeader);
  if (leadSize > 0) CopyIn(staged_ + kHeader, lead, leadSize);
  CopyIn(staged_ + kHeader + leadSize, bytes, size);
  staged_ += kHeader + total;
  return true;
}

bool MidiPortByteRing::HasRoomFor(uint32_t size) const {
  return buffer_.size() - (staged_ - tail_.load(std::memory_order_acquire)) >= kHeader + size_t{size};
}

uint32_t MidiPortByteRing::PeekSize() const {
  const size_t tail = tail_.load(std::memory_order_relaxed);
  if (head_.load(std::memory_order_acquire) == tail) return 0;
  uint32_t size = 0;
  CopyOut(tail, reinterpret_cast<unsigned char*>(&size), kHeader);
  return size;
}

void MidiPortByteRing::PeekFront(unsigned char* out, uint32_t n) const {
  if (PeekSize() < n) return;
  CopyOut(tail_.load(std::memory_order_relaxed) + kHeader, out, n);
}

void MidiPortByteRing::Pop(unsigned char* out, uint32_t skip) {
  const uint32_t size = PeekSize();
  if (size == 0 || size < skip) return;
  const size_t tail = tail_.load(std::memory_order_relaxed);
  CopyOut(tail + kHeader + skip, out, size - skip);
  tail_.store(tail + kHeader + size, std::memory_order_release);
}

void MidiPortByteRing::Drop() {
  const uint32_t size = PeekSize();
  if (size == 0) return;
  tail_.store(tail_.load(std::memory_order_relaxed) + kHeader + size, std::memory_order_release);
}
