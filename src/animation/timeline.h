// The performance: four performers enter one after another at a random place,
// play, change to their final movements, fade out, and the performance starts
// again elsewhere. Cues come from a tick count (silent timeline) or from the
// music's playback position (music timeline), which falls back for good to
// tick cues once the position cannot be read or stops moving.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "animation/channels.h"
#include "animation/music_clock.h"
#include "animation/placement.h"
#include "graphics/display_list.h"
#include "seam/types.h"
#include "shell/command_line.h"

namespace qs3 {

struct Performer {
  std::int32_t channel = 0;  // the AnimChannel shown now
  std::int32_t x = 0;        // left edge, whole-screen pixels
  std::int32_t fade = 9;     // 0 fully drawn, 1..8 dithered, 9 not drawn
};

inline constexpr std::int32_t kPerformerCount = 4;

// All state of one running performance. Positions are whole-screen pixels in
// every mode; the draws scale them outside the full screen.
struct Timeline {
  Size screen;
  SaverMode mode = SaverMode::FullScreen;
  std::int32_t scaleFactor = 1000;  // per mille, used outside the full screen
  ChannelArray channels{};
  std::array<Performer, kPerformerCount> performers{};
  std::int32_t y = 0;  // shared top edge
  Placement placement;
  std::int32_t tick = 0;           // ticks since the performance began
  std::int32_t ending = 0;         // music: 1 from the ending cue to the restart
  std::int32_t endingTick = 0;     // music: ticks since the ending cue
  std::int32_t positionLost = 0;   // music: nonzero for good once the position failed or stalled
  std::uint32_t lastPosition = 0;  // the last position seen to move on
  std::uint32_t endPoint = 0;      // position of the end-point cue; the ending follows 30000 later
  PositionBlock positionBlock;
  RandomGenerator random;  // seeded by the caller before InitPerformance
};

// Sets up channels, placement, performers, the position block and the first
// end point. Draws the random numbers x, y (unless 640 x 480), end point.
void InitPerformance(Timeline& timeline, Size screen, SaverMode mode, std::int32_t scaleFactor);

// Chooses a new place and sets the performers' x and the shared y.
void PlaceQuartet(Timeline& timeline);

// Whether the next tick of this timeline begins a new performance (and so
// places the quartet anew).
bool RestartsOnNextTick(const Timeline& timeline, bool music);

// The screen the quartet is placed on from now on, with its ranges; the
// performers stay where they are until the next placement.
void SetScreen(Timeline& timeline, Size screen);

// One tick counted in ticks: writes the whole display list of the frame.
void SilentTimelineTick(Timeline& timeline, DisplayList& list);

// One tick following the music's position: writes the whole display list,
// stops the music at the ending and starts it again at the restart.
void MusicTimelineTick(Timeline& timeline, DisplayList& list, MusicClock& clock);

}  // namespace qs3
