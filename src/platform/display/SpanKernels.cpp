#include "platform/display/SpanKernels.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/display/Device.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/display/SpanKernelBodies.h"

namespace platform::display {

#if defined(__SSE2__)
namespace {

struct Sse2 {
  using V = __m128i;
  static constexpr int kBytes = 16;
  static V Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
  static void Store(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
  // Writes the 32-bit lanes of v whose mask is set; the others keep what the target held.
  static void StoreWhere32(std::uint8_t* p, V mask, V v) { Store(p, Select(mask, v, Load(p))); }
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

}  // namespace

VectorKernels Sse2Kernels() { return RectKernels<Bodies<Sse2>>::Table(); }

namespace {

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

#else
namespace {

// Without vectors every pixel goes one at a time.
struct NoVectors {
  static int Copy(const std::uint8_t*, std::uint8_t*, int, const SpanStore&) { return 0; }
  static int Blend(const std::uint8_t*, std::uint8_t*, int, const SpanStore&) { return 0; }
  static int BlendOnto(const std::uint8_t*, std::uint8_t*, int, const SpanStore&) { return 0; }
  template <int kPixelBytes>
  static int Keyed(std::uint8_t*, const std::uint8_t*, int, std::uint32_t) {
    return 0;
  }
  static int Fill(std::uint8_t*, int, int, std::uint32_t) { return 0; }
};

const VectorKernels& Narrowest() {
  static const VectorKernels kernels = RectKernels<NoVectors>::Table();
  return kernels;
}

const VectorKernels& Widest() { return Narrowest(); }
#endif

std::atomic<const VectorKernels*> active{nullptr};

const VectorKernels& Vector() {
  const VectorKernels* kernels = active.load(std::memory_order_relaxed);
  if (!kernels) {
    kernels = &Widest();
    active.store(kernels, std::memory_order_relaxed);
  }
  return *kernels;
}

SpanRect OneRow(const std::uint8_t* source, std::uint8_t* out, int count) { return {source, 0, out, 0, count, 1}; }

}  // namespace

void AllowWideKernels(bool allow) { active = allow ? &Widest() : &Narrowest(); }

void CopyRect(const SpanRect& rect, const SpanStore& store) { Vector().copy(rect, store); }
void BlendRect(const SpanRect& rect, const SpanStore& store) { Vector().blend(rect, store); }
void BlendOntoRect(const SpanRect& rect, const SpanStore& store) { Vector().blendOnto(rect, store); }

void CopySpan(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
  CopyRect(OneRow(source, out, count), store);
}

namespace {

// The bytes from the lowest to the highest of a block's rows.
std::pair<const std::uint8_t*, const std::uint8_t*> Extent(const std::uint8_t* first, std::ptrdiff_t pitch, int rows,
                                                           std::size_t rowBytes) {
  const std::uint8_t* last = first + (rows - 1) * pitch;
  return {std::min(first, last), std::max(first, last) + rowBytes};
}

}  // namespace

void KeyedCopyRect(const SpanRect& rect, int bytes, std::uint32_t key) {
  const std::size_t length = static_cast<std::size_t>(rect.count) * static_cast<std::size_t>(bytes);
  if (rect.rows <= 0 || length == 0) return;
  // A key wider than the pixels matches none of them.
  if (bytes < 4 && key >> (8 * bytes) != 0)
    return ForEachRow(rect, [&](const std::uint8_t* from, std::uint8_t* to) { std::memmove(to, from, length); });
  const auto [fromLow, fromHigh] = Extent(rect.source, rect.sourcePitch, rect.rows, length);
  const auto [toLow, toHigh] = Extent(rect.out, rect.outPitch, rect.rows, length);
  if (toLow >= fromHigh || fromLow >= toHigh) return Vector().keyed(rect, bytes, key);
  // A row copied onto itself reads all of its pixels before any is written, as memmove does.
  thread_local std::vector<std::uint8_t> copy;
  ForEachRow(rect, [&](const std::uint8_t* from, std::uint8_t* to) {
    copy.assign(from, from + length);
    Vector().keyed(OneRow(copy.data(), to, rect.count), bytes, key);
  });
}

void KeyedCopyRow(std::uint8_t* to, const std::uint8_t* from, int count, int bytes, std::uint32_t key) {
  KeyedCopyRect(OneRow(from, to, count), bytes, key);
}

void FillRow(std::uint8_t* to, int count, int bytes, std::uint32_t pixel) {
  for (int i = Vector().fill(to, count, bytes, pixel); i < count; ++i)
    PixelBuffer::WritePixel(to + i * bytes, bytes, pixel);
}

}  // namespace platform::display
