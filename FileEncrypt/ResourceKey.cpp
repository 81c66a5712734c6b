#include "ResourceKey.h"

const uint32_t kResourceKey[4] = {0x7A3C91E5u, 0x2B6D04F8u, 0xC15E8A37u, 0x94F2D06Bu};
