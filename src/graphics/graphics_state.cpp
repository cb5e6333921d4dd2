#include "graphics/graphics_state.h"

#include "graphics/picture_loaders.h"

namespace qs3 {
namespace {

// Beyond an 8K display's size a stage buffer is refused rather than risk an
// allocation the machine cannot give.
constexpr std::int64_t kMaxStagePixels = 40'000'000;

bool LoadSheetBitmaps(GraphicsState& state, GraphicsServices services, const GraphicsTarget& target,
                      bool asMask) {
  for (int sheet = 0; sheet < kSheetCount; ++sheet) {
    const auto index = static_cast<std::size_t>(sheet);
    std::optional<PixelBuffer> bitmap = LoadPackedBitmap(services.resources, kSheetResources[index],
                                                         asMask, target.mode, target.scaleFactor);
    if (!bitmap) return false;
    SpriteSheet& slot = state.sheets[index];
    (asMask ? slot.mask : slot.colour) = std::move(*bitmap);
    (asMask ? state.loaded[index].hasMask : state.loaded[index].hasColour) = true;
  }
  return true;
}

}  // namespace

bool CreateStageBuffers(GraphicsState& state, Size stageSize) {
  if (stageSize.width < 0 || stageSize.height < 0 ||
      std::int64_t{stageSize.width} * stageSize.height > kMaxStagePixels) {
    return false;
  }
  state.stageBuffer = PixelBuffer(stageSize.width, stageSize.height, kBlack);
  state.composeBuffer = state.stageBuffer;
  state.hasStageBuffers = true;
  return true;
}

bool InitGraphics(GraphicsState& state, GraphicsServices services, const GraphicsTarget& target,
                  WindowHandle window, DeviceContext desktop) {
  std::optional<PaletteEntries> palette = LoadPackedPalette(services.resources, kSheet0Resource);
  if (!palette) return false;
  state.palette = *palette;
  if (!LoadSheetBitmaps(state, services, target, /*asMask=*/true)) return false;
  // The fade patterns are constants (kFadePatterns): nothing to create.
  // The palette is realised on the desktop before the colour versions are made,
  // so that a palette display matches them against it.
  if (!services.presenter.SelectAnimPalette(desktop, state.palette)) return false;
  state.hasPalette = true;
  if (!LoadSheetBitmaps(state, services, target, /*asMask=*/false)) return false;
  if (!CreateStageBuffers(state, target.stageSize)) return false;
  if (services.host.StartTimer(window, kFrameTimerId, kFrameTimerMilliseconds)) {
    state.timerId = static_cast<std::uint16_t>(kFrameTimerId);
  }
  return state.timerId != 0;
}

void ReleaseGraphics(GraphicsState& state, GraphicsServices services, WindowHandle window) {
  if (state.timerId != 0) services.host.StopTimer(window, kFrameTimerId);
  state.timerId = 0;
  state.stageBuffer = {};
  state.composeBuffer = {};
  state.hasStageBuffers = false;
  state.sheets = {};
  state.loaded = {};
  if (state.hasPalette) services.presenter.RestoreDesktopPalette();
  state.hasPalette = false;
}

}  // namespace qs3
