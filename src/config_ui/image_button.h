// The settings window's image buttons: where each look comes from in the
// dialog art, the pressed flag, the music switch's arithmetic and the
// composition of a look over the piece of background the button covers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "graphics/pixel_buffer.h"
#include "seam/config_windows.h"
#include "seam/resource_source.h"

namespace qs3 {

// The art's window background starts at this row: client pixel (x, y) shows
// art pixel (x, y + kArtBackgroundTop).
inline constexpr std::int32_t kArtBackgroundTop = 224;
inline constexpr std::int32_t kPressedOffset = 32;

struct ButtonLook {
  std::int32_t x = 0;  // place in the client area
  std::int32_t y = 0;
  std::int32_t sourceX = 0;  // place of the look in the art
  std::int32_t sourceY = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const ButtonLook&, const ButtonLook&) = default;
};

struct ImageButton {
  ButtonLook normal;
  ButtonLook pressed;
  std::int32_t pressedFlag = 0;  // 1 shows the pressed look
  const ButtonLook& Current() const { return pressedFlag == 1 ? pressed : normal; }
};

// Clears the pressed flag; the pressed look is the normal one moved down by
// pressedOffset in the art.
void SetButtonLooks(ImageButton& record, const ButtonLook& normal, std::int32_t pressedOffset);

enum class ButtonRecord { Ok = 0, Cancel = 1, MusicOff = 2, MusicOn = 3 };
inline constexpr std::size_t kButtonRecordCount = 4;
using ButtonRecords = std::array<ImageButton, kButtonRecordCount>;
// The three button windows; the switch shows one of its two records.
enum class ButtonKind { Ok, Cancel, MusicSwitch };

struct ButtonEntry {
  ButtonRecord record;
  ConfigProcedure procedure;
  const char* className;  // "" for the record that has no window of its own
  ButtonLook normal;
};

// In the order the windows are created; music on shares the switch's window.
inline constexpr std::array<ButtonEntry, kButtonRecordCount> kButtonTable{{
    {ButtonRecord::Ok, ConfigProcedure::OkButton, "OK", {120, 239, 160, 0, 96, 32}},
    {ButtonRecord::Cancel, ConfigProcedure::CancelButton, "CANCEL", {223, 239, 160, 64, 96, 32}},
    {ButtonRecord::MusicOff, ConfigProcedure::MusicSwitch, "WAVMODE", {60, 187, 0, 66, 80, 28}},
    {ButtonRecord::MusicOn, ConfigProcedure::MusicSwitch, "", {60, 187, 80, 66, 80, 28}},
}};

// Every record with its looks from the table and its pressed flag clear.
ButtonRecords InitialButtonRecords();

// The record a button window paints: the switch shows music on for any
// nonzero MusicEnabled.
const ImageButton& ShownRecord(const ButtonRecords& records, ButtonKind kind,
                               std::int32_t musicEnabled);

// (value + 1) mod 2 with the remainder truncated toward zero: 0 -> 1,
// 1 -> 0, 2 -> 1, -2 -> -1. Computed in 64 bits so the largest value wraps no sum.
std::int32_t FlipMusic(std::int32_t value);

// The inside test of the buttons: the right and bottom edges of the window
// rectangle, one pixel outside the window, count as inside.
bool InsideInclusive(const Rect& rect, Point point);

// The art as the settings window holds it; any part may be missing.
struct DialogArt {
  std::optional<PaletteEntries> palette;
  std::optional<PixelBuffer> colour;
  std::optional<PixelBuffer> mask;
};

// The client area's background: art rows from kArtBackgroundTop on, pixels
// beyond the art black. None without the colour art (nothing is painted).
std::optional<PixelBuffer> ComposeBackground(const DialogArt& art, Size client);

// The whole button: the background it covers, AND the look's mask, OR the
// look's colour. A missing source skips its steps (black stays where nothing
// was copied); source pixels outside the art leave the target as it was.
PixelBuffer ComposeButton(const DialogArt& art, const ButtonLook& look);

// The picture resource 102 as palette, mask and colour, full size.
DialogArt LoadDialogArt(ResourceSource& resources);

// What the settings window's client area shows: its background with the
// three buttons in their current looks (black where there is no art).
PixelBuffer SettingsWindowPicture(const DialogArt& art, const ButtonRecords& records,
                                  std::int32_t musicEnabled, Size client);

}  // namespace qs3
