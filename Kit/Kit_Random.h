#pragma once
// An injectable source of random numbers. Each plug-in object holds its own, seeded
// apart from every other, so two presses in one second (or two instances) never share a
// sequence; tests install one with a fixed seed and see the same numbers every run.
//
// threads: any (not thread-safe: the owner uses it from one thread at a time).

#include <cstdint>
#include <random>

class Kit_RandomSource {
public:
  virtual ~Kit_RandomSource() = default;
  // The next number, uniform over 0 .. 2^32 - 1.
  virtual uint32_t Next() = 0;
};

// The Mersenne twister: the same seed gives the same sequence on every machine.
class Kit_SeededRandom final : public Kit_RandomSource {
public:
  explicit Kit_SeededRandom(uint32_t seed) : generator_(seed) {}
  uint32_t Next() override { return uint32_t(generator_()); }

private:
  std::mt19937 generator_;
};

// A seed from the system's entropy source, different for every call.
// threads: any
uint32_t Kit_FreshSeed();
