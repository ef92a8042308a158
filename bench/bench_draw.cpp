// The drawing layer's copies against a plain memcpy of the same number of
// bytes, in both 32-bit back ends: each benchmark reports "vs_memcpy", the
// time of the drawing work divided by the time of the memcpy. The effect
// blits report "vs_keyed_copy": their time over that of a keyed copy of the
// same 32 x 32 sprite.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "library/draw/Draw.h"

namespace {

using Clock = std::chrono::steady_clock;

// A 640 x 480 layer with a keyed full-screen sheet and a keyed 32 x 32 sprite
// whose every other pixel is transparent.
class Layer {
 public:
  explicit Layer(int direct3D) {
    DDInit(direct3D, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
    DDSetTransmit(0, 0, 0);
    DDCreateSurface(&m_screen, 640, 480, 1, 0, 0, 0, 0);
    DDCreateSurface(&m_sprite, 32, 32, 1, 0, 0, 0, 0);
    for (int i = 0; i < 32 * 32; i += 2) DDFillRectColor(&m_sprite, i % 32, i / 32, 1, 1, 0xFF336699);
    DDFillRectColor(&m_screen, 0, 0, 320, 480, 0xFF996633);
  }
  ~Layer() {
    DDReleaseSurface(&m_screen);
    DDReleaseSurface(&m_sprite);
    DDUnInit();
  }
  DDSURFACEDATA* Screen() { return &m_screen; }
  DDSURFACEDATA* Sprite() { return &m_sprite; }

 private:
  DDSURFACEDATA m_screen, m_sprite;
};

template <typename Work>
void AgainstMemcpy(benchmark::State& state, std::size_t bytes, Work work) {
  std::vector<char> from(bytes, 1), to(bytes);
  Clock::duration drawing{}, copying{};
  for (auto _ : state) {
    auto start = Clock::now();
    work();
    auto middle = Clock::now();
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
    drawing += middle - start;
    copying += Clock::now() - middle;
  }
  state.counters["vs_memcpy"] = static_cast<double>(drawing.count()) / static_cast<double>(copying.count());
}

void FullScreenCopy(benchmark::State& state) {
  Layer layer(static_cast<int>(state.range(0)));
  const int keyed = static_cast<int>(state.range(1));
  AgainstMemcpy(state, 640 * 480 * 4, [&] { DDBlt(&BackBuffer, 0, 0, 640, 480, layer.Screen(), 0, 0, keyed); });
}
BENCHMARK(FullScreenCopy)->ArgNames({"direct3D", "keyed"})->ArgsProduct({{1, 0}, {1, 0}});

void KeyedSprites(benchmark::State& state) {
  Layer layer(static_cast<int>(state.range(0)));
  AgainstMemcpy(state, 1000 * 32 * 32 * 4, [&] {
    DDBeginSpriteBatch(1);
    DDAddSpriteBatchTexture(layer.Sprite());
    for (int i = 0; i < 1000; ++i) DDBlt(&BackBuffer, (i * 37) % 608, (i * 53) % 448, 32, 32, layer.Sprite(), 0, 0, 1);
    DDEndSpriteBatch();
  });
}
BENCHMARK(KeyedSprites)->ArgNames({"direct3D"})->Arg(1)->Arg(0);

enum Effect : int { kTint, kHalf, kRotate, kLens, kMosaic, kBlur, kCircle, kWave, kEffectCount };

// One effect blit of the sprite onto the back buffer at (x, y).
void DrawEffect(Effect effect, DDSURFACEDATA* sprite, int x, int y) {
  switch (effect) {
    case kTint:
      DDBltTint(&BackBuffer, x, y, 32, 32, sprite, 0, 0, 1, ColorPalette, HbtTable, 4, 2);
      break;
    case kHalf:
      DDBltHalf(&BackBuffer, x, y, 32, 32, sprite, 0, 0, 1, HbtTable);
      break;
    case kRotate:
      DDBltRotate(&BackBuffer, x + 16, y + 16, 32, 32, 16, 16, 30, sprite, 0, 0, 1);
      break;
    case kLens:
      DDBltLens(&BackBuffer, x + 16, y + 16, 16, 8, sprite, 16, 16, 1, 0);
      break;
    case kMosaic:
      DDMosaic(&BackBuffer, x, y, 32, 32, 4, sprite, 0, 0, 1);
      break;
    case kBlur:
      DDBlur(&BackBuffer, x, y, 32, 32, 2, 2, sprite, 0, 0, 1);
      break;
    case kCircle:
      DDBltCircle(&BackBuffer, x + 16, y + 16, 16, 16, 16, 1, sprite, 16, 16, 1);
      break;
    default:
      DDDrawWave(&BackBuffer, x, y, 32, 32, 2, 4.0, 0, 1, sprite, 0, 0, 1, 1);
  }
}

void EffectBlits(benchmark::State& state) {
  Layer layer(static_cast<int>(state.range(0)));
  const auto effect = static_cast<Effect>(state.range(1));
  Clock::duration drawing{}, copying{};
  for (auto _ : state) {
    auto start = Clock::now();
    for (int i = 0; i < 100; ++i) DrawEffect(effect, layer.Sprite(), (i * 37) % 608, (i * 53) % 448);
    auto middle = Clock::now();
    for (int i = 0; i < 100; ++i) DDBlt(&BackBuffer, (i * 37) % 608, (i * 53) % 448, 32, 32, layer.Sprite(), 0, 0, 1);
    drawing += middle - start;
    copying += Clock::now() - middle;
  }
  state.counters["vs_keyed_copy"] = static_cast<double>(drawing.count()) / static_cast<double>(copying.count());
}
BENCHMARK(EffectBlits)
    ->ArgNames({"direct3D", "effect"})
    ->ArgsProduct({{1, 0}, benchmark::CreateDenseRange(0, kEffectCount - 1, 1)});

}  // namespace
