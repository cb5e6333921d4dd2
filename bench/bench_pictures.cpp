// Start-up cost of the pictures (decoding the three sheets into their index
// planes and colours) and the cost of the draw modes on one frame.
#include <benchmark/benchmark.h>

#include "embedded/embedded_resources.h"
#include "graphics/draw_modes.h"
#include "graphics/packed_dib.h"
#include "graphics/sheet_bitmaps.h"

namespace qs3 {
namespace {

PackedDib DecodeResource(int id) {
  EmbeddedResourceSource source;
  PackedDibStatus status;
  return DecodePackedDib(source.FindResourceBytes(id).value_or(ResourceBytes{}), status)
      .value_or(PackedDib{});
}

// The three sheets (114, 115, 113), decoded and turned into index planes and
// colours, plus the palette: what the saver does once before its first frame.
void BM_LoadSheets(benchmark::State& state) {
  EmbeddedResourceSource source;
  for (auto _ : state) {
    for (int id : {114, 115, 113}) {
      PackedDibStatus status;
      const auto dib =
          DecodePackedDib(source.FindResourceBytes(id).value_or(ResourceBytes{}), status);
      SpriteSheet sheet = MakeSpriteSheet(*dib, static_cast<std::int32_t>(state.range(0)));
      benchmark::DoNotOptimize(sheet.indices.Indices().data());
      if (id == 114) benchmark::DoNotOptimize(MakePaletteEntries(*dib));
    }
  }
}
BENCHMARK(BM_LoadSheets)->Arg(kFullSizeScale)->Arg(146)->Unit(benchmark::kMillisecond);

// A busy frame's drawing: four performers erased and drawn on a full-HD stage.
void BM_DrawFourPerformers(benchmark::State& state) {
  const SpriteSheet sheet = MakeSpriteSheet(DecodeResource(114), kFullSizeScale);
  PixelBuffer stage(1920, 1080);
  PixelBuffer compose(1920, 1080);
  const bool faded = state.range(0) != 0;
  for (auto _ : state) {
    for (int performer = 0; performer < 4; ++performer) {
      BlitRect rect{.destX = 400 + 160 * performer,
                    .destY = 300,
                    .srcX = 0,
                    .srcY = 0,
                    .width = 160,
                    .height = 256};
      ClipToStage(rect, {1920, 1080});
      DrawErase(compose, stage, sheet, rect);
      if (faded) {
        DrawFaded(compose, sheet, rect, kFadePatterns[3]);
      } else {
        DrawSprite(compose, sheet, rect);
      }
    }
    benchmark::DoNotOptimize(compose.Pixels().data());
  }
}
BENCHMARK(BM_DrawFourPerformers)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qs3
