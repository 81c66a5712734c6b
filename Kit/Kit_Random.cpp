#include "Kit_Random.h"

uint32_t Kit_FreshSeed() {
  std::random_device entropy;
  return uint32_t(entropy());
}
