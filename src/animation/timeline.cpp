#include "animation/timeline.h"

namespace qs3 {

namespace {

constexpr std::array<std::int32_t, kPerformerCount> kStartChannels{0, 5, 7, 9};
constexpr std::array<std::int32_t, kPerformerCount> kEndingChannels{11, 6, 3, 4};
constexpr std::int32_t kInvisible = 9;

// Silent cues, in ticks.
constexpr std::int32_t kSilentEndPointTick = 130;
constexpr std::int32_t kSilentEndingTick = 143;
constexpr std::int32_t kSilentLastMovementTick = 145;
constexpr std::int32_t kSilentFinalChannelsTick = 146;
constexpr std::int32_t kSilentFadeOutAfter = 170;
constexpr std::int32_t kSilentRestartTick = 190;
constexpr std::array<std::int32_t, kPerformerCount> kSilentEntranceTicks{0, 20, 40, 60};

// Music cues: positions in bytes of sample data, or ticks once the position is lost.
constexpr std::uint32_t kEndingAfterEndPoint = 30000;
constexpr std::array<std::uint32_t, kPerformerCount> kEntrancePositions{0, 220000, 450000, 670000};
constexpr std::array<std::int32_t, kPerformerCount> kLostEntranceTicks{0, 78, 156, 227};
constexpr std::int32_t kLostEndPointTick = 370;
constexpr std::int32_t kLostEndingTick = 375;
constexpr std::int32_t kFadeOutAfterEndingTick = 25;
constexpr std::int32_t kRestartAfterEndingTick = 40;

void AppendPerformerDraw(Timeline& t, DisplayList& list, const Performer& p, DrawType type,
                         std::int32_t fade) {
  AppendChannelDraw(list, p.x, t.y, t.channels[p.channel], type, fade, t.mode, t.scaleFactor);
}

// Erases the frame the performer's channel shows now.
void ErasePerformer(Timeline& t, DisplayList& list, std::int32_t index) {
  AppendPerformerDraw(t, list, t.performers[index], DrawType::Erase, 0);
}

// The old frame goes before the channel changes; the new channel goes on
// from wherever it was left.
void SwitchChannel(Timeline& t, DisplayList& list, std::int32_t index, std::int32_t channel) {
  ErasePerformer(t, list, index);
  t.performers[index].channel = channel;
}

void EraseAll(Timeline& t, DisplayList& list) {
  for (std::int32_t i = 0; i < kPerformerCount; ++i) ErasePerformer(t, list, i);
}

void SwitchToEndingChannels(Timeline& t, DisplayList& list) {
  for (std::int32_t i = 0; i < kPerformerCount; ++i) SwitchChannel(t, list, i, kEndingChannels[i]);
}

void SwitchToLastMovement(Timeline& t, DisplayList& list) {
  SwitchChannel(t, list, 0, 2);
}

// The two play-once channels start from their first step each time.
void SwitchToFinalChannels(Timeline& t, DisplayList& list) {
  SwitchChannel(t, list, 2, 8);
  SwitchChannel(t, list, 3, 10);
  RewindChannel(t.channels[8]);
  RewindChannel(t.channels[10]);
}

void SetStartChannels(Timeline& t) {
  for (std::int32_t i = 0; i < kPerformerCount; ++i) t.performers[i].channel = kStartChannels[i];
}

std::uint32_t DrawEndPoint(RandomGenerator& random) {
  return 1050000u + 20000u * static_cast<std::uint32_t>(RandomNumber(random) % 10);
}

// The fade changes after the draw, so a change shows in the next tick.
using FadeRule = std::int32_t (*)(const Timeline&, std::int32_t fade);

std::int32_t SilentFade(const Timeline& t, std::int32_t fade) {
  if (fade > 0 && t.tick < kSilentFadeOutAfter) --fade;
  if (fade < kInvisible && t.tick > kSilentFadeOutAfter) ++fade;
  return fade;
}

std::int32_t MusicFade(const Timeline& t, std::int32_t fade) {
  if (fade > 0 && t.ending == 0) --fade;
  if (fade < kInvisible && t.ending == 1 && t.endingTick > kFadeOutAfterEndingTick) ++fade;
  return fade;
}

void PlayPerformer(Timeline& t, DisplayList& list, std::int32_t index, FadeRule fadeRule) {
  Performer& p = t.performers[index];
  AppendPerformerDraw(t, list, p, DrawType::Erase, 0);
  AdvanceChannel(t.channels[p.channel]);
  AppendPerformerDraw(t, list, p, DrawType::Sprite, p.fade);
  p.fade = fadeRule(t, p.fade);
}

// A failed query keeps its error code; a position that has not moved since
// the last tick counts as lost too.
void QueryMusicPosition(Timeline& t, MusicClock& clock) {
  t.positionLost = static_cast<std::int32_t>(clock.QueryPosition(t.positionBlock));
  if (t.positionBlock.position == t.lastPosition) {
    t.positionLost = 1;
  } else {
    t.lastPosition = t.positionBlock.position;
  }
}

bool EndPointReached(const Timeline& t) {
  if (t.positionLost != 0) return t.tick == kLostEndPointTick;
  return t.lastPosition >= t.endPoint;
}

bool EndingReached(const Timeline& t) {
  if (t.positionLost != 0) return t.tick == kLostEndingTick;
  return t.lastPosition >= t.endPoint + kEndingAfterEndPoint;
}

bool HasEntered(const Timeline& t, std::int32_t index) {
  if (t.positionLost != 0) return t.tick >= kLostEntranceTicks[index];
  return t.lastPosition >= kEntrancePositions[index];
}

void FireMusicCues(Timeline& t, DisplayList& list, MusicClock& clock) {
  if (t.ending == 0 && EndPointReached(t)) SwitchChannel(t, list, 0, 1);
  if (t.ending == 0 && EndingReached(t)) {
    SwitchToEndingChannels(t, list);
    clock.Reset();
    t.ending = 1;
  }
  if (t.ending == 1 && t.endingTick == 2) SwitchToLastMovement(t, list);
  if (t.ending == 1 && t.endingTick == 3) SwitchToFinalChannels(t, list);
}

// Fades are left alone: the fade-out has brought them to 9.
void RestartMusicPerformance(Timeline& t, DisplayList& list, MusicClock& clock) {
  EraseAll(t, list);
  t.tick = 0;
  t.endingTick = 0;
  PlaceQuartet(t);
  SetStartChannels(t);
  t.positionBlock.position = 0;
  clock.PlayFromStart();
  t.lastPosition = 0;
  t.endPoint = DrawEndPoint(t.random);
  t.ending = 0;
}

void FireSilentCues(Timeline& t, DisplayList& list) {
  if (t.tick == kSilentEndPointTick) SwitchChannel(t, list, 0, 1);
  if (t.tick == kSilentEndingTick) SwitchToEndingChannels(t, list);
  if (t.tick == kSilentLastMovementTick) SwitchToLastMovement(t, list);
  if (t.tick == kSilentFinalChannelsTick) SwitchToFinalChannels(t, list);
}

}  // namespace

void InitPerformance(Timeline& timeline, Size screen, SaverMode mode, std::int32_t scaleFactor) {
  timeline.screen = screen;
  timeline.mode = mode;
  timeline.scaleFactor = scaleFactor;
  SetUpChannels(timeline.channels);
  timeline.placement = PlacementFor(screen);
  PlaceQuartet(timeline);
  SetStartChannels(timeline);
  for (Performer& p : timeline.performers) p.fade = kInvisible;
  timeline.positionBlock = PositionBlock{.format = kTimeBytes, .position = 0};
  timeline.endPoint = DrawEndPoint(timeline.random);
  timeline.ending = 0;
  timeline.lastPosition = 0;
  timeline.tick = 0;
  timeline.endingTick = 0;
  timeline.positionLost = 0;
}

void PlaceQuartet(Timeline& timeline) {
  const QuartetPlace place =
      ChooseQuartetPlace(timeline.placement, timeline.screen, timeline.random);
  const std::array<std::int32_t, kPerformerCount> xs = PerformerXs(place.baseX);
  for (std::int32_t i = 0; i < kPerformerCount; ++i) timeline.performers[i].x = xs[i];
  timeline.y = place.y;
}

bool RestartsOnNextTick(const Timeline& timeline, bool music) {
  if (!music) return timeline.tick >= kSilentRestartTick;
  return timeline.ending == 1 && timeline.endingTick > kRestartAfterEndingTick;
}

void SetScreen(Timeline& timeline, Size screen) {
  timeline.screen = screen;
  timeline.placement = PlacementFor(screen);
}

void SilentTimelineTick(Timeline& timeline, DisplayList& list) {
  ResetList(list);
  FireSilentCues(timeline, list);
  for (std::int32_t i = 0; i < kPerformerCount; ++i) {
    if (timeline.tick >= kSilentEntranceTicks[i]) PlayPerformer(timeline, list, i, SilentFade);
  }
  if (timeline.tick >= kSilentRestartTick) {
    EraseAll(timeline, list);
    timeline.tick = 0;
    PlaceQuartet(timeline);
    SetStartChannels(timeline);
  } else {
    ++timeline.tick;
  }
  TerminateList(list);
}

void MusicTimelineTick(Timeline& timeline, DisplayList& list, MusicClock& clock) {
  if (timeline.ending == 0 && timeline.positionLost == 0) QueryMusicPosition(timeline, clock);
  ResetList(list);
  FireMusicCues(timeline, list, clock);
  for (std::int32_t i = 0; i < kPerformerCount; ++i) {
    if (HasEntered(timeline, i)) PlayPerformer(timeline, list, i, MusicFade);
  }
  if (timeline.ending == 1 && timeline.endingTick > kRestartAfterEndingTick) {
    RestartMusicPerformance(timeline, list, clock);
  } else {
    ++timeline.tick;
    if (timeline.ending == 1) ++timeline.endingTick;
  }
  TerminateList(list);
}

}  // namespace qs3
