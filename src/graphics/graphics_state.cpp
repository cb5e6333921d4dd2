#include "graphics/graphics_state.h"

#include <utility>

#include "graphics/picture_loaders.h"

namespace qs3 {
namespace {

// Beyond an 8K display's size a stage buffer is refused rather than risk an
// allocation the machine cannot give.
constexpr std::int64_t kMaxStagePixels = 40'000'000;

// The shapes come first, as the mask bitmaps always have; the colours follow
// once the palette is realised.
bool LoadSheetIndices(GraphicsState& state, GraphicsServices services,
                      const GraphicsTarget& target) {
  for (std::size_t sheet = 0; sheet < kSheetCount; ++sheet) {
    std::optional<IndexPlane> plane = qs3::LoadSheetIndices(
        services.resources, kSheetResources[sheet], target.mode, target.scaleFactor);
    if (!plane) return false;
    state.sheets[sheet].indices = std::move(*plane);
    state.loaded[sheet].hasIndices = true;
  }
  return true;
}

bool LoadSheetColours(GraphicsState& state, GraphicsServices services) {
  for (std::size_t sheet = 0; sheet < kSheetCount; ++sheet) {
    const std::optional<SheetColours> colours =
        qs3::LoadSheetColours(services.resources, kSheetResources[sheet]);
    if (!colours) return false;
    state.sheets[sheet].colours = *colours;
    state.loaded[sheet].hasColours = true;
  }
  return true;
}

}  // namespace

bool CreateStageBuffers(GraphicsState& state, Size stageSize) {
  if (stageSize.width < 0 || stageSize.height < 0 ||
      std::int64_t{stageSize.width} * stageSize.height > kMaxStagePixels) {
    return false;
  }
  // Both black from the start: the ComposeBuffer begins as a copy of the
  // StageBuffer, and fresh zeroed memory is that copy without writing a page.
  state.stageBuffer = PixelBuffer(stageSize.width, stageSize.height, kBlack);
  state.composeBuffer = PixelBuffer(stageSize.width, stageSize.height, kBlack);
  const bool usable = stageSize.width == 0 || stageSize.height == 0 ||
                      (!state.stageBuffer.Empty() && !state.composeBuffer.Empty());
  if (!usable || !state.changes.Reserve(stageSize)) {
    state.stageBuffer = {};
    state.composeBuffer = {};
    state.changes.Release();
    return false;
  }
  state.hasStageBuffers = true;
  return true;
}

bool ReshapeStageBuffers(GraphicsState& state, Size stageSize) {
  if (!state.hasStageBuffers) return false;
  const Size before{state.composeBuffer.Width(), state.composeBuffer.Height()};
  GraphicsState fresh;
  if (!CreateStageBuffers(fresh, stageSize)) return false;
  if (!state.changes.Reserve(stageSize)) {
    state.changes.Reserve(before);
    return false;
  }
  state.stageBuffer = std::move(fresh.stageBuffer);
  state.composeBuffer = std::move(fresh.composeBuffer);
  return true;
}

bool InitGraphics(GraphicsState& state, GraphicsServices services, const GraphicsTarget& target,
                  WindowHandle window, DeviceContext desktop) {
  std::optional<PaletteEntries> palette = LoadPackedPalette(services.resources, kSheet0Resource);
  if (!palette) return false;
  state.palette = *palette;
  if (!LoadSheetIndices(state, services, target)) return false;
  // The fade patterns are constants (kFadePatterns): nothing to create.
  // The palette is realised on the desktop before the sheets' colours are
  // taken, as a palette display needs it before colour bitmaps are made.
  if (!services.presenter.SelectAnimPalette(desktop, state.palette)) return false;
  state.hasPalette = true;
  if (!LoadSheetColours(state, services)) return false;
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
  state.changes.Release();
  state.hasStageBuffers = false;
  state.sheets = {};
  state.loaded = {};
  if (state.hasPalette) services.presenter.RestoreDesktopPalette();
  state.hasPalette = false;
}

}  // namespace qs3
