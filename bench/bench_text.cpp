// A screen line of Japanese and English text printed with the 16-pixel font
// from its glyph atlases against the same text rasterised every time, in both
// 32-bit back ends: "vs_rasterised" is the time of the atlas print divided by
// the time of the rasterised one.
#include <benchmark/benchmark.h>

#include <chrono>

#include "library/draw/Draw.h"
#include "library/text/Font.h"
#include "library/util/Text.h"

namespace {

using Clock = std::chrono::steady_clock;

void FastAgainstRasterised(benchmark::State& state) {
  DDInit(static_cast<int>(state.range(0)), nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
  DDSetTransmit(0, 0, 0);
  {
    Font fast, plain;
    fast.Create("", 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 1);
    plain.Create("", 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 0);
    const std::string text = Sjis("スコア：１２３４５６７ Ranking ゲームオーバー\nはじめから つづきから チャレンジ");
    Clock::duration fromAtlas{}, rasterised{};
    for (auto _ : state) {
      auto start = Clock::now();
      fast.Print(&BackBuffer, 8, 8, text);
      auto middle = Clock::now();
      plain.Print(&BackBuffer, 8, 40, text);
      fromAtlas += middle - start;
      rasterised += Clock::now() - middle;
    }
    state.counters["vs_rasterised"] = static_cast<double>(fromAtlas.count()) / static_cast<double>(rasterised.count());
  }
  DDUnInit();
}

BENCHMARK(FastAgainstRasterised)->ArgName("direct3D")->Arg(0)->Arg(1);

}  // namespace
