#pragma once
// Runs the test host on the test plug-in's bundle to picture its panel, and reads
// the picture back.

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  unsigned width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows top to bottom
  uint32_t At(unsigned x, unsigned y) const {
    const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
};

// The built test host on the built bundle `bundle` (a folder of the build, e.g.
// "Tavro.component"), with DISPLAY set to `display` (unset when empty): the start of
// the host's arguments for RunProgram.
std::vector<std::string> HostCommand(const std::string& bundle, const std::string& display = "");

// Runs tavro-host --snapshot `png` with DISPLAY set to `display` (unset when
// empty); returns the exit status and what it printed.
int RunHostSnapshot(const std::string& png, const std::string& display, std::string* output);
bool ReadPicture(const std::string& png, Picture* picture);
