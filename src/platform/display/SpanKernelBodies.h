#pragma once
// The block kernels, written once over the operations of an instruction set
// and compiled once per set: SpanKernels.cpp with SSE2, SpanKernelsAvx2.cpp
// with AVX2. A block's rows loop inside the kernel, so that the call, the
// choice of kernel and its constants are paid once per block. Everything
// here has internal linkage, so the two compilations never mix.
#include <cstdint>
#include <cstring>

#include "platform/display/Device.h"
#include "platform/display/SpanKernels.h"

namespace platform::display {

// The block kernels that one instruction set runs.
struct VectorKernels {
  RectKernel copy;
  RectKernel blend;
  RectKernel blendOnto;
  // Pixels of 1 to 4 bytes; the source and the target do not overlap.
  void (*keyed)(const SpanRect& rect, int bytes, std::uint32_t key);
  // The pixels it did of a row of 1, 2 or 4 byte pixels.
  int (*fill)(std::uint8_t* to, int count, int bytes, std::uint32_t pixel);
};

VectorKernels Sse2Kernels();
VectorKernels Avx2Kernels();

namespace {

#if defined(__SSE2__)
// The row bodies: each does the pixels of a row that fill whole vectors and
// returns how many it did. Set: the vector type V, its width kBytes and the
// operations below.
template <typename Set>
struct Bodies {
  using V = typename Set::V;
  static constexpr int kPixels = Set::kBytes / 4;

  // (s * a + d * (255 - a) + 127) / 255 on 16-bit channels; every
  // intermediate stays below 65536.
  static V BlendChannels(V s, V d, V a) {
    const V x =
        Set::Add16(Set::Add16(Set::Mul16(s, a), Set::Set16(127)), Set::Mul16(d, Set::Sub16(Set::Set16(255), a)));
    return Set::Shr16(Set::Add16(Set::Add16(x, Set::Set16(1)), Set::Shr16(x, 8)), 8);
  }

  // BlendOver on every pixel of the vector.
  static V BlendOver(V s, V d) {
    V a = Set::Shr32(s, 24);
    a = Set::Or(a, Set::Shl32(a, 16));  // the alpha in both 16-bit halves of its pixel
    const V low = BlendChannels(Set::Widen8Low(s), Set::Widen8Low(d), Set::Pair32Low(a));
    const V high = BlendChannels(Set::Widen8High(s), Set::Widen8High(d), Set::Pair32High(a));
    return Set::Narrow16(low, high);
  }

  // The alpha's sign, spread: all ones for 255, none for 0.
  static V Opaque(V s) { return Set::Sar32(s, 31); }
  // Whether every alpha is 0 or 255: shifted down with its sign, an alpha
  // equals its spread sign exactly for those two. Keyed sprites hold only
  // such alphas, which need no arithmetic.
  static bool BinaryAlphas(V s, V opaque) { return Set::All(Set::Eq32(Set::Sar32(s, 24), opaque)); }

  // The blending rule, with the arithmetic, for vectors holding other alphas.
  static V BlendMixed(V s, V d, V storeMask) {
    const V clear = Set::Eq32(Set::Shr32(s, 24), Set::Zero());
    const V blended = BlendOver(s, Set::Or(d, Set::AndNot(storeMask, Set::Set32(-1))));
    return Set::Select(clear, d, Set::And(blended, storeMask));
  }

  // Pixels of the blending rule.
  static V BlendPixels(V s, V d, V storeMask) {
    const V opaque = Opaque(s);
    return BinaryAlphas(s, opaque) ? Set::Select(opaque, Set::And(s, storeMask), d) : BlendMixed(s, d, storeMask);
  }

  static int Copy(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
    const V orMask = Set::Set32(static_cast<int>(store.orMask)),
            storeMask = Set::Set32(static_cast<int>(store.storeMask));
    int i = 0;
    for (; i + kPixels <= count; i += kPixels)
      Set::Store(out + 4 * i, Set::And(Set::Or(Set::Load(source + 4 * i), orMask), storeMask));
    return i;
  }

  static int Blend(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
    const V storeMask = Set::Set32(static_cast<int>(store.storeMask));
    int i = 0;
    for (; i + kPixels <= count; i += kPixels) {
      const V s = Set::Load(source + 4 * i);
      // Alphas 0 and 255 alone need not read the target.
      const V opaque = Opaque(s);
      if (BinaryAlphas(s, opaque))
        Set::StoreWhere32(out + 4 * i, opaque, Set::And(s, storeMask));
      else
        Set::Store(out + 4 * i, BlendMixed(s, Set::Load(out + 4 * i), storeMask));
    }
    return i;
  }

  static int BlendOnto(const std::uint8_t* source, std::uint8_t* out, int count, const SpanStore& store) {
    const V storeMask = Set::Set32(static_cast<int>(store.storeMask)),
            underlay = Set::Set32(static_cast<int>(store.underlay));
    int i = 0;
    for (; i + kPixels <= count; i += kPixels)
      Set::Store(out + 4 * i, BlendPixels(Set::Load(source + 4 * i), underlay, storeMask));
    return i;
  }

  // A raw pixel of 1, 2 or 4 bytes in every place of the vector.
  static V Broadcast(std::uint32_t pixel, int bytes) {
    return bytes == 1   ? Set::Set8(static_cast<char>(pixel))
           : bytes == 2 ? Set::Set16(static_cast<short>(pixel))
                        : Set::Set32(static_cast<int>(pixel));
  }

  static V Equal(V a, V b, int bytes) {
    return bytes == 1 ? Set::Eq8(a, b) : bytes == 2 ? Set::Eq16(a, b) : Set::Eq32(a, b);
  }

  // Rows that do not overlap; the pixel width is fixed at compile time so
  // that the loop holds no choice. Three-byte pixels do not fill vectors.
  template <int kPixelBytes>
  static int Keyed(std::uint8_t* to, const std::uint8_t* from, int count, std::uint32_t key) {
    if constexpr (kPixelBytes == 3) {
      return 0;
    } else {
      const V keys = Broadcast(key, kPixelBytes);
      constexpr int kStep = Set::kBytes / kPixelBytes;
      int i = 0;
      for (; i + kStep <= count; i += kStep) {
        const V pixels = Set::Load(from + i * kPixelBytes);
        const V skip = Equal(pixels, keys, kPixelBytes);
        if constexpr (kPixelBytes == 4)
          Set::StoreWhere32(to + i * 4, Set::AndNot(skip, Set::Set32(-1)), pixels);
        else
          Set::Store(to + i * kPixelBytes, Set::Select(skip, Set::Load(to + i * kPixelBytes), pixels));
      }
      return i;
    }
  }

  static int Fill(std::uint8_t* to, int count, int bytes, std::uint32_t pixel) {
    if (bytes == 3) return 0;
    const V value = Broadcast(pixel, bytes);
    const int step = Set::kBytes / bytes;
    int i = 0;
    for (; i + step <= count; i += step) Set::Store(to + i * bytes, value);
    return i;
  }
};

#endif  // __SSE2__

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// Raw pixels of kBytes bytes, lowest byte first. (This file keeps to its own
// helpers: an inline function shared with other files could be linked in
// from the AVX2 compilation and run on a processor without AVX2.)
template <int kBytes>
std::uint32_t ReadRaw(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (int k = 0; k < kBytes; ++k) v |= static_cast<std::uint32_t>(p[k]) << 8 * k;
  return v;
}

template <int kBytes>
void WriteRaw(std::uint8_t* p, std::uint32_t v) {
  for (int k = 0; k < kBytes; ++k) p[k] = static_cast<std::uint8_t>(v >> 8 * k);
}

// The per-pixel rule every blending kernel follows.
std::uint32_t BlendPixel(std::uint32_t source, std::uint32_t target, std::uint32_t storeMask) {
  return source >> 24 == 0 ? target : BlendOver(source, target | ~storeMask) & storeMask;
}

// Calls draw(source row, target row) for every row of the block.
template <typename Draw>
void ForEachRow(const SpanRect& rect, Draw draw) {
  for (int row = 0; row < rect.rows; ++row) draw(rect.source + row * rect.sourcePitch, rect.out + row * rect.outPitch);
}

// The block kernels over the row bodies of Rows: whole vectors first, then
// the rest of each row one pixel at a time.
template <typename Rows>
struct RectKernels {
  static void Copy(const SpanRect& rect, const SpanStore& store) {
    ForEachRow(rect, [&](const std::uint8_t* source, std::uint8_t* out) {
      for (int i = Rows::Copy(source, out, rect.count, store); i < rect.count; ++i)
        Store32(out + 4 * i, (Load32(source + 4 * i) | store.orMask) & store.storeMask);
    });
  }

  static void Blend(const SpanRect& rect, const SpanStore& store) {
    ForEachRow(rect, [&](const std::uint8_t* source, std::uint8_t* out) {
      for (int i = Rows::Blend(source, out, rect.count, store); i < rect.count; ++i)
        Store32(out + 4 * i, BlendPixel(Load32(source + 4 * i), Load32(out + 4 * i), store.storeMask));
    });
  }

  static void BlendOnto(const SpanRect& rect, const SpanStore& store) {
    ForEachRow(rect, [&](const std::uint8_t* source, std::uint8_t* out) {
      for (int i = Rows::BlendOnto(source, out, rect.count, store); i < rect.count; ++i)
        Store32(out + 4 * i, BlendPixel(Load32(source + 4 * i), store.underlay, store.storeMask));
    });
  }

  template <int kBytes>
  static void KeyedRows(const SpanRect& rect, std::uint32_t key) {
    ForEachRow(rect, [&](const std::uint8_t* from, std::uint8_t* to) {
      for (int i = Rows::template Keyed<kBytes>(to, from, rect.count, key); i < rect.count; ++i) {
        const std::uint32_t pixel = ReadRaw<kBytes>(from + i * kBytes);
        if (pixel != key) WriteRaw<kBytes>(to + i * kBytes, pixel);
      }
    });
  }

  static void Keyed(const SpanRect& rect, int bytes, std::uint32_t key) {
    switch (bytes) {
      case 1:
        return KeyedRows<1>(rect, key);
      case 2:
        return KeyedRows<2>(rect, key);
      case 3:
        return KeyedRows<3>(rect, key);
      default:
        return KeyedRows<4>(rect, key);
    }
  }

  static VectorKernels Table() { return {Copy, Blend, BlendOnto, Keyed, Rows::Fill}; }
};

}  // namespace
}  // namespace platform::display
