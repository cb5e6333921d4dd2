// Where one tick's drawing changed the ComposeBuffer, worked out from its
// DisplayList, so that a front end copies only those pixels to the window.
//
// The candidates are the areas the drawn commands can touch: each clipped
// command's rectangle, cut to the stage and to its sheet (a rectangle inside
// another counts once). Their pixels are kept before the list is drawn and
// compared after, so commands that change nothing in the end (a held frame
// erased and drawn again the same) report nothing, and each reported
// rectangle is the bounding box of the pixels that did change inside one
// candidate. A candidate that holds more pixels than the kept room is
// reported itself: more than changed, never less.
//
// When no two candidates overlap (the performers stand side by side), each
// is kept, drawn and compared in turn: the commands inside one candidate are
// drawn in list order, and commands in different candidates touch different
// pixels, so the order between them does not matter. One candidate's pixels
// fit the processor's cache, where keeping all of them first would not.
//
// A candidate whose commands are those the last tick drew in the same
// candidate, when that tick's candidates did not overlap either, is not drawn
// at all: it cannot change. Every draw mode sets each pixel either to a value
// of its own (from the sheet or the StageBuffer, which never changes) or
// leaves it as it is, so any run of commands does that too, and running it a
// second time over its own result changes nothing; nothing else draws into
// the ComposeBuffer between ticks.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "graphics/display_list.h"
#include "graphics/draw_list.h"
#include "graphics/pixel_buffer.h"
#include "seam/types.h"

namespace qs3 {

// One rectangle per drawn command at most.
inline constexpr int kMaxChangedRects = kDisplayListSlots;
// The kept room: four performers' frames four times over. The animation's
// lists need 640 x 256 pixels.
inline constexpr std::size_t kMaxKeptPixels = 4 * 640 * 256;

constexpr bool IsEmpty(const Rect& rect) {
  return rect.right <= rect.left || rect.bottom <= rect.top;
}

constexpr bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

constexpr std::size_t Area(const Rect& rect) {
  return IsEmpty(rect) ? 0
                       : static_cast<std::size_t>(rect.right - rect.left) *
                             static_cast<std::size_t>(rect.bottom - rect.top);
}

// A fixed-capacity list of rectangles; it never allocates.
class ChangedRects {
 public:
  void Clear() { count_ = 0; }
  // Empty rectangles are dropped; once full, the last one grows to cover the
  // new one as well.
  void Add(const Rect& rect);
  bool Empty() const { return count_ == 0; }
  std::span<const Rect> View() const { return {rects_.data(), count_}; }

 private:
  std::array<Rect, kMaxChangedRects> rects_{};
  std::size_t count_ = 0;
};

class FrameChangeTracker {
 public:
  // Makes the kept room for a stage of this size (up to kMaxKeptPixels),
  // once; false when the memory cannot be had. Its pages are only mapped as
  // the kept pixels reach them.
  bool Reserve(Size stageSize);
  void Release();

  // Draws the list into `compose` as DrawDisplayList does and puts in
  // `changed` the rectangles whose pixels differ from before.
  void DrawTracked(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                   const SpriteSheets& sheets, ChangedRects& changed);

 private:
  void CollectCandidates(const DisplayList& list, Size composeSize, const SpriteSheets& sheets);
  void AddCandidate(const Rect& area);
  bool CandidatesOverlap() const;
  // Whether the candidate's commands are those the last tick drew in it.
  bool SameAsLastTick(const DisplayList& list, const Rect& candidate) const;
  void Remember(const DisplayList& list, bool separate);
  void DrawEachCandidate(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                         const SpriteSheets& sheets, ChangedRects& changed);
  void DrawAllCandidates(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                         const SpriteSheets& sheets, ChangedRects& changed);
  // Copies the candidates' rows into the kept room, one after another;
  // false (nothing kept) when they do not fit.
  bool Keep(std::span<const Rect> candidates, const PixelBuffer& compose);

  PixelBuffer kept_;  // one row: the kept candidates' rows one after another
  std::array<Rect, kDisplayListSlots> areas_{};  // each command's, by slot; empty when not drawn
  std::array<Rect, kDisplayListSlots> candidates_{};
  std::size_t commandCount_ = 0;  // the slots before the end mark
  std::size_t candidateCount_ = 0;

  // The last tick's commands, areas and candidates; `lastSeparate_` when its
  // candidates did not overlap, so each was drawn by its own commands alone.
  std::array<DrawCommand, kDisplayListSlots> lastCommands_{};
  std::array<Rect, kDisplayListSlots> lastAreas_{};
  std::array<Rect, kDisplayListSlots> lastCandidates_{};
  std::size_t lastCommandCount_ = 0;
  std::size_t lastCandidateCount_ = 0;
  bool lastSeparate_ = false;
};

// Where the pixels of `candidate` in `now` differ from `before`, the
// candidate's rows kept one after another: their bounding box, or an empty
// rectangle when none differ.
Rect ChangedBox(const Rect& candidate, const std::uint32_t* before, const PixelBuffer& now);

}  // namespace qs3
