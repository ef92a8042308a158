#pragma once
// The C run-time's random generator, written out so that every platform and
// every replay draws the same numbers: x = x * 214013 + 2531011, draw =
// (x >> 16) & 32767. Each thread has its own state, starting at 1. Never use
// std::rand or the C library's rand in its place.
namespace crt {

constexpr int kRandMax = 0x7FFF;

void srand(unsigned int seed);
// 0 to kRandMax.
int rand();
// The calling thread's generator state, for traces that compare two runs.
unsigned int randstate();

}  // namespace crt
