#pragma once
// The key the bundle's layout resources are enciphered under: four 32-bit words
// k0..k3. One definition, linked into the resource reader and the resource builder.

#include <cstdint>

extern const uint32_t kResourceKey[4];
