#pragma once
// The patch randomiser: gives one part slot a random sound from a table of random
// bytes, group by group, leaving alone every group whose lock switch is on.
//
// The table (the plug-in's `randomizerState`) is refilled from the plug-in's own random
// source at each press, so two presses in one second differ and no other object's
// draws are touched.
//
// threads: main (under the plug-in mutex: the kRandomize change handler).

#include <optional>
#include <vector>

class Kit_RandomSource;

// What the randomiser reads and writes of the plug-in's parameters.
class RandomiserParams {
public:
  virtual ~RandomiserParams() = default;
  // The index of a symbolic name (slot A's for a per-part name); -1 when there is none.
  virtual int IndexOf(const char* name) const = 0;
  virtual double Minimum(int index) const = 0;
  virtual double Maximum(int index) const = 0;
  virtual double Value(int index) const = 0;
  // Stores a plain value, clamped and stepped by the parameter, and shows it on the
  // panel; runs no change handler and sends nothing.
  virtual void SetParameterFromPlug(int index, double value) = 0;
};

constexpr int kRandomTableSize = 725;   // the size `randomizerState` keeps
constexpr int kRandomDraws = 360;       // entries each press rewrites
constexpr int kRandomSlotEntries = 80;  // entries of one part slot, from 80 x slot

// Refills entries 0..359 of `randomizerState` with bytes 0..255 drawn from `random`;
// a table shorter than the kept size is grown to it with zeros.
void randomGenerator(Kit_RandomSource& random, std::vector<int>& randomizerState);

// The value table entry `entry` (0..255) gives a parameter of that range: with M the
// maximum and R the range, each truncated, `entry` less M (2 for a switch with M 1)
// as often as it lies above R. The parameter's own clamping brings the result into
// its range. None for a maximum below 1, where that subtraction would never end.
std::optional<int> randomizer(double minimum, double maximum, int entry);

// Randomises the unlocked groups of part slot `slot` (0..3) from `randomizerState`,
// and always its oscillator and unison modes. Any other slot changes nothing.
void randomizePartPatch(int slot, const std::vector<int>& randomizerState, RandomiserParams& params);
