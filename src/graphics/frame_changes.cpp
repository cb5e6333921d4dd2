#include "graphics/frame_changes.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qs3 {
namespace {

Rect BoundingBox(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

Size SizeOf(const PixelBuffer& buffer) {
  return {buffer.Width(), buffer.Height()};
}

}  // namespace

void ChangedRects::Add(const Rect& rect) {
  if (IsEmpty(rect)) return;
  if (count_ < rects_.size()) {
    rects_[count_++] = rect;
    return;
  }
  rects_[count_ - 1] = BoundingBox(rects_[count_ - 1], rect);
}

bool FrameChangeTracker::Reserve(Size stageSize) {
  const std::size_t stagePixels = Area({0, 0, stageSize.width, stageSize.height});
  const auto room = static_cast<int>(std::min(stagePixels, kMaxKeptPixels));
  kept_ = PixelBuffer(room, 1);
  return room == 0 || !kept_.Empty();
}

void FrameChangeTracker::Release() {
  kept_ = {};
  candidateCount_ = 0;
}

void FrameChangeTracker::DrawTracked(const DisplayList& list, PixelBuffer& compose,
                                     const PixelBuffer& stage, const SpriteSheets& sheets,
                                     ChangedRects& changed) {
  CollectCandidates(list, SizeOf(compose), sheets);
  const bool kept = KeepCandidates(compose);
  DrawDisplayList(list, compose, stage, sheets);
  changed.Clear();
  const std::uint32_t* before = kept ? kept_.Row(0) : nullptr;
  for (std::size_t i = 0; i < candidateCount_; ++i) {
    const Rect& candidate = candidates_[i];
    if (before == nullptr) {
      changed.Add(candidate);
      continue;
    }
    changed.Add(ChangedBox(candidate, before, compose));
    before += Area(candidate);
  }
}

void FrameChangeTracker::CollectCandidates(const DisplayList& list, Size composeSize,
                                           const SpriteSheets& sheets) {
  candidateCount_ = 0;
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) break;
    if (!IsDrawn(command)) continue;
    const SpriteSheet& sheet = sheets[command.sheet];
    AddCandidate(DrawableArea(ClippedRect(command, composeSize), composeSize,
                              {sheet.Width(), sheet.Height()}));
  }
}

void FrameChangeTracker::AddCandidate(const Rect& area) {
  if (IsEmpty(area)) return;
  const auto first = candidates_.begin();
  auto last = first + static_cast<std::ptrdiff_t>(candidateCount_);
  if (std::any_of(first, last, [&area](const Rect& c) { return Contains(c, area); })) return;
  // An Erase and the Sprite after it cover the same rectangle: one candidate.
  last = std::remove_if(first, last, [&area](const Rect& c) { return Contains(area, c); });
  candidateCount_ = static_cast<std::size_t>(std::distance(first, last));
  if (candidateCount_ < candidates_.size()) candidates_[candidateCount_++] = area;
}

bool FrameChangeTracker::KeepCandidates(const PixelBuffer& compose) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < candidateCount_; ++i) total += Area(candidates_[i]);
  if (total > static_cast<std::size_t>(kept_.Width())) return false;
  std::uint32_t* out = total > 0 ? kept_.Row(0) : nullptr;
  for (std::size_t i = 0; i < candidateCount_; ++i) {
    const Rect& c = candidates_[i];
    const auto width = static_cast<std::size_t>(c.right - c.left);
    for (int y = c.top; y < c.bottom; ++y, out += width)
      std::memcpy(out, compose.Row(y) + c.left, width * sizeof(std::uint32_t));
  }
  return true;
}

Rect FrameChangeTracker::ChangedBox(const Rect& candidate, const std::uint32_t* kept,
                                    const PixelBuffer& compose) const {
  Rect box{candidate.right, candidate.bottom, candidate.left, candidate.top};
  const auto width = static_cast<std::ptrdiff_t>(candidate.right - candidate.left);
  for (int y = candidate.top; y < candidate.bottom; ++y, kept += width) {
    const std::uint32_t* now = compose.Row(y) + candidate.left;
    const auto firstDiff = std::mismatch(now, now + width, kept).first;
    if (firstDiff == now + width) continue;
    // The last differing pixel, searched from the right end back to the first.
    std::ptrdiff_t last = width - 1;
    while (now[last] == kept[last]) --last;
    const auto first = static_cast<std::int32_t>(firstDiff - now);
    box.left = std::min(box.left, candidate.left + first);
    box.right = std::max(box.right, candidate.left + static_cast<std::int32_t>(last) + 1);
    box.top = std::min(box.top, y);
    box.bottom = y + 1;
  }
  return IsEmpty(box) ? Rect{} : box;
}

}  // namespace qs3
