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

Rect Intersection(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
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
  // A new ComposeBuffer: nothing the last tick drew is known to be in it.
  lastSeparate_ = false;
  return room == 0 || !kept_.Empty();
}

void FrameChangeTracker::Release() {
  kept_ = {};
  candidateCount_ = 0;
  lastSeparate_ = false;
}

void FrameChangeTracker::DrawTracked(const DisplayList& list, PixelBuffer& compose,
                                     const PixelBuffer& stage, const SpriteSheets& sheets,
                                     ChangedRects& changed) {
  CollectCandidates(list, SizeOf(compose), sheets);
  changed.Clear();
  const bool separate = !CandidatesOverlap();
  if (separate) {
    DrawEachCandidate(list, compose, stage, sheets, changed);
  } else {
    DrawAllCandidates(list, compose, stage, sheets, changed);
  }
  Remember(list, separate);
}

bool FrameChangeTracker::SameAsLastTick(const DisplayList& list, const Rect& candidate) const {
  if (!lastSeparate_) return false;
  const auto lastCandidates =
      lastCandidates_.begin() + static_cast<std::ptrdiff_t>(lastCandidateCount_);
  if (std::find(lastCandidates_.begin(), lastCandidates, candidate) == lastCandidates) return false;
  // The two runs of commands inside the candidate, in list order, must match.
  std::size_t now = 0;
  std::size_t last = 0;
  for (;;) {
    while (now < commandCount_ && (IsEmpty(areas_[now]) || !Contains(candidate, areas_[now])))
      ++now;
    while (last < lastCommandCount_ &&
           (IsEmpty(lastAreas_[last]) || !Contains(candidate, lastAreas_[last])))
      ++last;
    if (now == commandCount_ || last == lastCommandCount_)
      return now == commandCount_ && last == lastCommandCount_;
    if (!(list.slots[now] == lastCommands_[last])) return false;
    ++now;
    ++last;
  }
}

void FrameChangeTracker::Remember(const DisplayList& list, bool separate) {
  lastSeparate_ = separate;
  lastCommandCount_ = commandCount_;
  lastCandidateCount_ = candidateCount_;
  std::copy_n(list.slots.begin(), commandCount_, lastCommands_.begin());
  std::copy_n(areas_.begin(), commandCount_, lastAreas_.begin());
  std::copy_n(candidates_.begin(), candidateCount_, lastCandidates_.begin());
}

void FrameChangeTracker::CollectCandidates(const DisplayList& list, Size composeSize,
                                           const SpriteSheets& sheets) {
  candidateCount_ = 0;
  commandCount_ = 0;
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) break;
    Rect& area = areas_[commandCount_++];
    area = {};
    if (!IsDrawn(command)) continue;
    const SpriteSheet& sheet = sheets[command.sheet];
    area = DrawableArea(ClippedRect(command, composeSize), composeSize,
                        {sheet.Width(), sheet.Height()});
    AddCandidate(area);
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

bool FrameChangeTracker::CandidatesOverlap() const {
  for (std::size_t i = 0; i < candidateCount_; ++i)
    for (std::size_t j = i + 1; j < candidateCount_; ++j)
      if (!IsEmpty(Intersection(candidates_[i], candidates_[j]))) return true;
  return false;
}

void FrameChangeTracker::DrawEachCandidate(const DisplayList& list, PixelBuffer& compose,
                                           const PixelBuffer& stage, const SpriteSheets& sheets,
                                           ChangedRects& changed) {
  for (std::size_t c = 0; c < candidateCount_; ++c) {
    const Rect& candidate = candidates_[c];
    if (SameAsLastTick(list, candidate)) continue;
    const bool kept = Keep({&candidate, 1}, compose);
    // Every drawn command lies inside exactly one candidate.
    for (std::size_t i = 0; i < commandCount_; ++i) {
      if (!IsEmpty(areas_[i]) && Contains(candidate, areas_[i]))
        DrawListCommand(list.slots[i], compose, stage, sheets);
    }
    changed.Add(kept ? ChangedBox(candidate, kept_.Row(0), compose) : candidate);
  }
}

void FrameChangeTracker::DrawAllCandidates(const DisplayList& list, PixelBuffer& compose,
                                           const PixelBuffer& stage, const SpriteSheets& sheets,
                                           ChangedRects& changed) {
  const std::span<const Rect> candidates(candidates_.data(), candidateCount_);
  const bool kept = Keep(candidates, compose);
  DrawDisplayList(list, compose, stage, sheets);
  const std::uint32_t* before = kept ? kept_.Row(0) : nullptr;
  for (const Rect& candidate : candidates) {
    if (before == nullptr) {
      changed.Add(candidate);
      continue;
    }
    changed.Add(ChangedBox(candidate, before, compose));
    before += Area(candidate);
  }
}

bool FrameChangeTracker::Keep(std::span<const Rect> candidates, const PixelBuffer& compose) {
  std::size_t total = 0;
  for (const Rect& c : candidates) total += Area(c);
  if (total == 0 || total > static_cast<std::size_t>(kept_.Width())) return false;
  std::uint32_t* out = kept_.Row(0);
  for (const Rect& c : candidates) {
    const auto width = static_cast<std::size_t>(c.right - c.left);
    for (int y = c.top; y < c.bottom; ++y, out += width)
      std::memcpy(out, compose.Row(y) + c.left, width * sizeof(std::uint32_t));
  }
  return true;
}

Rect ChangedBox(const Rect& candidate, const std::uint32_t* before, const PixelBuffer& now) {
  Rect box{candidate.right, candidate.bottom, candidate.left, candidate.top};
  const auto width = static_cast<std::size_t>(candidate.right - candidate.left);
  for (int y = candidate.top; y < candidate.bottom; ++y, before += width) {
    const std::uint32_t* row = now.Row(y) + candidate.left;
    // Most rows are as they were; memcmp tells that fastest.
    if (std::memcmp(row, before, width * sizeof(std::uint32_t)) == 0) continue;
    std::size_t first = 0;
    while (row[first] == before[first]) ++first;
    std::size_t last = width - 1;
    while (row[last] == before[last]) --last;
    box.left = std::min(box.left, candidate.left + static_cast<std::int32_t>(first));
    box.right = std::max(box.right, candidate.left + static_cast<std::int32_t>(last) + 1);
    box.top = std::min(box.top, y);
    box.bottom = y + 1;
  }
  return IsEmpty(box) ? Rect{} : box;
}

}  // namespace qs3
