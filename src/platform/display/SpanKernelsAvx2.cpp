// The row kernels' vector bodies with AVX2, for processors that have it.
// This file alone is compiled with AVX2 enabled; it runs only after the
// processor said it can.
#if defined(__AVX2__)
#include <immintrin.h>

#include "platform/display/SpanKernelBodies.h"

namespace platform::display {
namespace {

struct Avx2 {
  using V = __m256i;
  static constexpr int kBytes = 32;
  static V Load(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
  static void Store(std::uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
  // A masked store does not read the target, whose rows are often out of cache.
  static void StoreWhere32(std::uint8_t* p, V mask, V v) { _mm256_maskstore_epi32(reinterpret_cast<int*>(p), mask, v); }
  static V Zero() { return _mm256_setzero_si256(); }
  static V Set8(char v) { return _mm256_set1_epi8(v); }
  static V Set16(short v) { return _mm256_set1_epi16(v); }
  static V Set32(int v) { return _mm256_set1_epi32(v); }
  static V And(V a, V b) { return _mm256_and_si256(a, b); }
  static V Or(V a, V b) { return _mm256_or_si256(a, b); }
  static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
  static V Eq8(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
  static V Eq16(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
  static V Eq32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
  static bool All(V mask) { return _mm256_movemask_epi8(mask) == -1; }
  static V Select(V mask, V ifSet, V ifClear) { return _mm256_blendv_epi8(ifClear, ifSet, mask); }
  static V Shr32(V a, int n) { return _mm256_srli_epi32(a, n); }
  static V Sar32(V a, int n) { return _mm256_srai_epi32(a, n); }
  static V Shl32(V a, int n) { return _mm256_slli_epi32(a, n); }
  static V Shr16(V a, int n) { return _mm256_srli_epi16(a, n); }
  static V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
  static V Sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
  static V Mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  // Unpacking and packing work within each 128-bit half, and undo each other.
  static V Widen8Low(V a) { return _mm256_unpacklo_epi8(a, Zero()); }
  static V Widen8High(V a) { return _mm256_unpackhi_epi8(a, Zero()); }
  static V Pair32Low(V a) { return _mm256_unpacklo_epi32(a, a); }
  static V Pair32High(V a) { return _mm256_unpackhi_epi32(a, a); }
  static V Narrow16(V low, V high) { return _mm256_packus_epi16(low, high); }
};

}  // namespace

VectorKernels Avx2Kernels() { return RectKernels<Bodies<Avx2>>::Table(); }

}  // namespace platform::display
#endif
