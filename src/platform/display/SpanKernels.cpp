#include "platform/display/SpanKernels.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/display/Device.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "platform/display/SpanKernelBodies.h"
#endif

namespace platform::display {

#if defined(__SSE2__)
namespace {

struct Sse2 {
  using V = __m128i;
  static constexpr int kBytes = 16;
  static V Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
  static void Store(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
  static V Zero() { return _mm_setzero_si128(); }
  static V Set8(char v) { return _mm_set1_epi8(v); }
  static V Set16(short v) { return _mm_set1_epi16(v); }
  static V Set32(int v) { return _mm_set1_epi32(v); }
  static V And(V a, V b) { return _mm_and_si128(a, b); }
  static V Or(V a, V b) { return _mm_or_si128(a, b); }
  static V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }
  static V Eq8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
  static V Eq16(V a, V b) { return _mm_cmpeq_epi16(a, b); }
  static V Eq32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
  static bool All(V mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
  static V Select(V mask, V ifSet, V ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
  }
  static V Shr32(V a, int n) { return _mm_srli_epi32(a, n); }
  static V Sar32(V a, int n) { return _mm_srai_epi32(a, n); }
  static V Shl32(V a, int n) { return _mm_slli_epi32(a, n); }
  static V Shr16(V a, int n) { return _mm_srli_epi16(a, n); }
  static V Add16(V a, V b) { return _mm_add_epi16(a, b); }
  static V Sub16(V a, V b) { return _mm_sub_epi16(a, b); }
  static V Mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
  static V Widen8Low(V a) { return _mm_unpacklo_epi8(a, Zero()); }
  static V Widen8High(V a) { return _mm_unpackhi_epi8(a, Zero()); }
  static V Pair32Low(V a) { return _mm_unpacklo_epi32(a, a); }
  static V Pair32High(V a) { return _mm_unpackhi_epi32(a, a); }
  static V Narrow16(V low, V high) { return _mm_packus_epi16(low, high); }
};

const VectorKernels& Narrowest() {
  static const VectorKernels kernels = Sse2Kernels();
  return kernels;
}

// The widest instruction set this processor runs.
const VectorKernels& Widest() {
#if defined(__x86_64__)
  static const VectorKernels kernels = __builtin_cpu_supports("avx2") ? Avx2Kernels() : Sse2Kernels();
  return kernels;
#else
  return Narrowest();
#endif
}

std::atomic<const VectorKernels*> active{nullptr};

const VectorKernels& Vector() {
  const VectorKernels* kernels = active.load(std::memory_order_relaxed);
  if (!kernels) {
    kernels = &Widest();
    active.store(kernels, std::memory_order_relaxed);
  }
  return *kernels;
}

}  // namespace

VectorKernels Sse2Kernels() { return Bodies<Sse2>::Table(); }
#endif

void AllowWideKernels([[maybe_unused]] bool allow) {
#if defined(__SSE2__)
  active = allow ? &Widest() : &Narrowest();
#endif
}

namespace {

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// The per-pixel rule every blending kernel follows.
std::uint32_t BlendPixel(std::uint32_t source, std::uint32_t target, std::uint32_t storeMask) {
  return source >> 24 == 0 ? target : BlendOver(source, target | ~storeMask) & storeMask;
}

// Runs the vector body when there is one; the pixels it did are skipped.
template <typename Body, typename... Args>
int Vectorised([[maybe_unused]] Body body, [[maybe_unused]] Args... args) {
#if defined(__SSE2__)
  return (Vector().*body)(args...);
#else
  return 0;
#endif
}

}  // namespace

void CopySpan(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
  for (int i = Vectorised(&VectorKernels::copy, source, out, count, store); i < count; ++i)
    Store32(out + 4 * i, (Load32(source + 4 * i) | store.orMask) & store.storeMask);
}

void BlendSpan(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
  for (int i = Vectorised(&VectorKernels::blend, source, out, count, store); i < count; ++i)
    Store32(out + 4 * i, BlendPixel(Load32(source + 4 * i), Load32(out + 4 * i), store.storeMask));
}

void BlendOntoSpan(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
  for (int i = Vectorised(&VectorKernels::blendOnto, source, out, count, store); i < count; ++i)
    Store32(out + 4 * i, BlendPixel(Load32(source + 4 * i), store.underlay, store.storeMask));
}

void KeyedCopyRow(std::uint8_t* to, const std::uint8_t* from, int count, int bytes, std::uint32_t key) {
  const std::size_t length = static_cast<std::size_t>(count) * static_cast<std::size_t>(bytes);
  // A key wider than the pixels matches none of them.
  if (bytes < 4 && key >> (8 * bytes) != 0) {
    std::memmove(to, from, length);
    return;
  }
  // A row copied onto itself reads all of its pixels before any is written, as memmove does.
  if (to < from + length && from < to + length) {
    thread_local std::vector<std::uint8_t> copy;
    copy.assign(from, from + length);
    from = copy.data();
  }
  for (int i = Vectorised(&VectorKernels::keyed, to, from, count, bytes, key); i < count; ++i) {
    const std::uint32_t pixel = PixelBuffer::ReadPixel(from + i * bytes, bytes);
    if (pixel != key) PixelBuffer::WritePixel(to + i * bytes, bytes, pixel);
  }
}

void FillRow(std::uint8_t* to, int count, int bytes, std::uint32_t pixel) {
  for (int i = Vectorised(&VectorKernels::fill, to, count, bytes, pixel); i < count; ++i)
    PixelBuffer::WritePixel(to + i * bytes, bytes, pixel);
}

}  // namespace platform::display
