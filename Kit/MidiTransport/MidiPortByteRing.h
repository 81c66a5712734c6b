#pragma once
// A lock-free ring of whole MIDI messages between one producer and one consumer.
//
// It never blocks and never allocates after construction, so jack-process
// may sit at either end. Several producer threads are fine when a lock
// serialises them; the same holds for consumers.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class MidiPortByteRing {
public:
  // Room for `capacityBytes` (rounded up to a power of two) of messages and their
  // 4-byte length headers.
  explicit MidiPortByteRing(size_t capacityBytes);

  // Copies one message in and publishes it (with anything staged before); false,
  // leaving the ring unchanged, when it does not fit.
  // threads: producer
  bool Push(const unsigned char* bytes, uint32_t size);
  // Copies one message in after those staged before, unseen by the consumer
  // until Publish; false, leaving the ring unchanged, when it does not fit.
  // threads: producer
  bool Stage(const unsigned char* bytes, uint32_t size) { return StageParts(nullptr, 0, bytes, size); }
  // Stage for a message of `size + 1` bytes: `lead`, then `bytes`.
  // threads: producer
  bool StageAfter(unsigned char lead, const unsigned char* bytes, uint32_t size) {
    return StageParts(&lead, 1, bytes, size);
  }
  // Hands every staged message to the consumer.
  // threads: producer
  void Publish() { head_.store(staged_, std::memory_order_release); }
  // Length of the oldest message, 0 when the ring is empty.
  // threads: consumer
  uint32_t PeekSize() const;
  // Copies the first `n` bytes of the oldest message (n at most its length).
  // threads: consumer
  void PeekFront(unsigned char* out, uint32_t n) const;
  // Copies the oldest message from byte `skip` on to `out` (PeekSize() - skip
  // bytes) and removes it.
  // threads: consumer
  void Pop(unsigned char* out, uint32_t skip = 0);
  // Removes the oldest message unread.
  // threads: consumer
  void Drop();
  // True when every message pushed so far has been taken out.
  // threads: any
  bool Empty() const { return head_.load() == tail_.load(); }
  // Whether a message of `size` bytes fits now.
  // threads: producer
  bool HasRoomFor(uint32_t size) const;
  // Whether a message of `size` bytes could ever fit.
  bool CanEverHold(uint32_t size) const { return size + kHeader <= buffer_.size(); }

private:
  static constexpr size_t kHeader = sizeof(uint32_t);
  bool StageParts(const unsigned char* lead, uint32_t leadSize, const unsigned char* bytes, uint32_t size);
  void CopyOut(size_t from, unsigned char* out, size_t n) const;
  void CopyIn(size_t to, const unsigned char* in, size_t n);

  std::vector<unsigned char> buffer_;
  size_t mask_;
  std::atomic<size_t> head_{0};  // written by the producer
  size_t staged_ = 0;            // end of the staged messages; the producer only
  std::atomic<size_t> tail_{0};  // written by the consumer
};
