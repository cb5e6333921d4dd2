// The display list: the draw commands of one frame, written by the animation
// and read once by the frame composition in the same tick. A fixed array with
// a cursor; the list ends at the first slot whose type is the end mark.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qs3 {

// How a command is drawn. Any other value in a command is skipped.
enum class DrawType : std::uint8_t {
  Opaque = 0,      // the whole sheet rectangle, transparent pixels as black
  Sprite = 1,      // transparent pixels show what is below; faded for fade 1..8
  Silhouette = 2,  // the sprite's shape in black
  Erase = 3,       // the stage put back under the sprite's shape
  End = 255,       // nothing after it is read
};

struct DrawCommand {
  DrawType type = DrawType::Opaque;
  std::uint8_t sheet = 0;  // sprite sheet index 0..2
  std::int16_t destX = 0;  // stage pixels, already scaled by the producer
  std::int16_t destY = 0;
  std::int16_t srcX = 0;
  std::int16_t srcY = 0;
  std::int16_t width = 0;  // the same in source and destination
  std::int16_t height = 0;
  std::uint16_t fade = 0;  // only the low 4 bits are drawn with
  friend bool operator==(const DrawCommand&, const DrawCommand&) = default;
};

inline constexpr std::int32_t kDisplayListSlots = 151;
inline constexpr std::int32_t kLastSlot = kDisplayListSlots - 1;

struct DisplayList {
  std::array<DrawCommand, kDisplayListSlots> slots{};
  std::int32_t cursor = 0;  // the slot the next command is written into
};

// Cursor to slot 0 and slot 0 no longer the end mark; TerminateList must
// follow before the list is drawn.
void ResetList(DisplayList& list);
DrawCommand& CurrentEntry(DisplayList& list);
void ClearEntry(DrawCommand& command);
// Stays on the last slot once there, so a full list overwrites that slot.
void AdvanceList(DisplayList& list);
// Writes the end mark at the cursor: on a full list it replaces the last command.
void TerminateList(DisplayList& list);

// One command as one line of a golden trace, e.g.
// "Erase sheet=0 dest=358,151 src=0,0 size=160x256 fade=0".
std::string FormatDrawCommand(const DrawCommand& command);

// The commands up to the end mark, one FormatDrawCommand line each: the
// text of a golden trace.
std::string FormatDisplayList(const DisplayList& list);

}  // namespace qs3
