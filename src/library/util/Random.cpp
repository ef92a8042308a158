#include "library/util/Random.h"

#include <cstdint>

namespace crt {
namespace {
thread_local std::uint32_t state = 1;
}

void srand(unsigned int seed) { state = seed; }

unsigned int randstate() { return state; }

int rand() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace crt
