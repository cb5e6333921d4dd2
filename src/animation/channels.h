// The twelve animation channels: each a cursor over one constant step
// sequence that either loops or plays once and stops on its last frame.
// Channels know nothing of performers or positions; the timeline advances
// them and asks for their frames to be drawn.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "animation/frame_tables.h"
#include "graphics/display_list.h"
#include "shell/command_line.h"

namespace qs3 {

// Any mode other than Looping plays once.
enum class ChannelMode : std::int32_t { PlayOnce = 0, Looping = 1 };

struct AnimChannel {
  std::int32_t sheet = 0;  // sprite sheet 0..2, the same as the table set
  const FrameRect* rects = nullptr;
  const FrameStep* step = nullptr;  // inside the step table of the same set
  std::int32_t holdCount = 0;       // ticks spent on the step beyond its first
  ChannelMode mode = ChannelMode::PlayOnce;
  std::int32_t loopCount = 0;  // steps with a nonzero loop completed
};

inline constexpr std::int32_t kChannelCount = 12;
using ChannelArray = std::array<AnimChannel, kChannelCount>;

// Puts the channel on the first step of `sequence`, nothing yet held.
void InitChannel(AnimChannel& channel, std::int32_t sequence, ChannelMode mode, std::int32_t sheet,
                 std::span<const FrameRect> rects, std::span<const FrameStep> steps,
                 std::span<const std::int16_t> starts);

// Gives the twelve channels their first state, before the first tick.
void SetUpChannels(ChannelArray& channels);

// One tick. A step entered here is shown for hold + 1 ticks, the step a
// channel starts on for hold ticks, since its first advance already counts.
void AdvanceChannel(AnimChannel& channel);

// A fresh hold count; a stopped play-once channel goes back to the first step
// of the loop it stopped on.
void RewindChannel(AnimChannel& channel);

const FrameRect& CurrentFrame(const AnimChannel& channel);

// Appends one command for the channel's current frame. Outside the full
// screen, rectangle and position are scaled per mille, truncated toward zero,
// so that they cut the same frame out of the shrunken sheets.
void AppendChannelDraw(DisplayList& list, std::int32_t x, std::int32_t y,
                       const AnimChannel& channel, DrawType type, std::int32_t fade, SaverMode mode,
                       std::int32_t scaleFactor);

}  // namespace qs3
