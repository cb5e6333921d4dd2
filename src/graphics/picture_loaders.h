// The loaders that turn a picture resource into what the graphics use: a
// palette from its colour table; for the settings window's art a bitmap
// (colour or mask version) from its pixels; for a sprite sheet its plane of
// indices and the colours they paint. Pictures are shrunk by the ScaleFactor
// outside the full screen and the settings window.
//
// Every failure gives none, with no message: a null id, a missing resource or
// a header the decoder refuses. The loaders keep no state between calls.
#pragma once

#include <cstdint>
#include <optional>

#include "graphics/pixel_buffer.h"
#include "graphics/sheet_bitmaps.h"
#include "seam/resource_source.h"
#include "shell/command_line.h"

namespace qs3 {

inline constexpr int kDialogArtResource = 102;
inline constexpr int kSheet2Resource = 113;
inline constexpr int kSheet0Resource = 114;  // its colour table is the AnimPalette's
inline constexpr int kSheet1Resource = 115;

// The palette of the picture's colour table; entry 0 keeps its stored colour.
std::optional<PaletteEntries> LoadPackedPalette(ResourceSource& resources, int id);

// Full size in FullScreen and Configure; in any other mode scaled by
// scaleFactor per mille, dropping rows and columns.
std::optional<PixelBuffer> LoadPackedBitmap(ResourceSource& resources, int id, bool asMask,
                                            SaverMode mode, std::int32_t scaleFactor);

// A sheet's indices, scaled as LoadPackedBitmap scales a bitmap.
std::optional<IndexPlane> LoadSheetIndices(ResourceSource& resources, int id, SaverMode mode,
                                           std::int32_t scaleFactor);
// What each index of a sheet paints; only the header and colour table are decoded.
std::optional<SheetColours> LoadSheetColours(ResourceSource& resources, int id);

}  // namespace qs3
