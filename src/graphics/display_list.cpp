#include "graphics/display_list.h"

#include <cstdio>

namespace qs3 {

void ResetList(DisplayList& list) {
  list.cursor = 0;
  list.slots[0].type = DrawType::Opaque;
}

DrawCommand& CurrentEntry(DisplayList& list) {
  return list.slots[list.cursor];
}

void ClearEntry(DrawCommand& command) {
  command = DrawCommand{};
}

void AdvanceList(DisplayList& list) {
  if (list.cursor < kLastSlot) ++list.cursor;
}

void TerminateList(DisplayList& list) {
  CurrentEntry(list).type = DrawType::End;
}

namespace {

// Unknown types keep their number so a trace shows what was skipped.
std::string DrawTypeName(DrawType type) {
  switch (type) {
    case DrawType::Opaque:
      return "Opaque";
    case DrawType::Sprite:
      return "Sprite";
    case DrawType::Silhouette:
      return "Silhouette";
    case DrawType::Erase:
      return "Erase";
    case DrawType::End:
      return "End";
  }
  return "Type" + std::to_string(static_cast<unsigned>(type));
}

}  // namespace

std::string FormatDrawCommand(const DrawCommand& command) {
  char fields[96];
  std::snprintf(fields, sizeof fields, " sheet=%u dest=%d,%d src=%d,%d size=%dx%d fade=%u",
                unsigned{command.sheet}, command.destX, command.destY, command.srcX, command.srcY,
                command.width, command.height, unsigned{command.fade});
  return DrawTypeName(command.type) + fields;
}

std::string FormatDisplayList(const DisplayList& list) {
  std::string text;
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) break;
    text += FormatDrawCommand(command);
    text += '\n';
  }
  return text;
}

}  // namespace qs3
