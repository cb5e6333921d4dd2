// The performance: placement, cues, entrances, fades and restarts of both
// timelines, read back from the display lists they write.
#include "animation/timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qs3 {
namespace {

constexpr Size k800x600{800, 600};

Timeline StartedTimeline(std::uint32_t seed, Size screen = k800x600,
                         SaverMode mode = SaverMode::FullScreen, std::int32_t scale = 1000) {
  Timeline timeline;
  SeedRandom(timeline.random, seed);
  InitPerformance(timeline, screen, mode, scale);
  return timeline;
}

std::vector<DrawCommand> Commands(const DisplayList& list) {
  std::vector<DrawCommand> commands;
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) break;
    commands.push_back(command);
  }
  return commands;
}

// The Sprite command drawn at a performer's left edge in this list, if any.
const DrawCommand* SpriteAt(const DisplayList& list, std::int32_t destX) {
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) return nullptr;
    if (command.type == DrawType::Sprite && command.destX == destX) return &command;
  }
  return nullptr;
}

int CountOf(const DisplayList& list, DrawType type) {
  int count = 0;
  for (const DrawCommand& command : Commands(list)) count += command.type == type ? 1 : 0;
  return count;
}

// A wave device whose position is scripted per query since the music last
// started: `reply(n)` answers the n-th query (0-based). Calls are recorded
// with the number of the tick in which they came.
struct FakeClock final : MusicClock {
  struct Reply {
    std::uint32_t code = 0;
    std::uint32_t position = 0;
  };
  enum class Call { Query, Reset, PlayFromStart };
  struct Record {
    Call call;
    int tick;
  };

  explicit FakeClock(Reply (*script)(int)) : reply(script) {}

  std::uint32_t QueryPosition(PositionBlock& block) override {
    calls.push_back({Call::Query, currentTick});
    const Reply r = reply(queriesSinceStart++);
    if (r.code == 0) block.position = r.position;
    return r.code;
  }
  void Reset() override { calls.push_back({Call::Reset, currentTick}); }
  void PlayFromStart() override {
    calls.push_back({Call::PlayFromStart, currentTick});
    queriesSinceStart = 0;
  }

  std::vector<int> TicksOf(Call call) const {
    std::vector<int> ticks;
    for (const Record& record : calls) {
      if (record.call == call) ticks.push_back(record.tick);
    }
    return ticks;
  }

  Reply (*reply)(int);
  int queriesSinceStart = 0;
  int currentTick = 0;
  std::vector<Record> calls;
};

// 10000 bytes a tick: entrances at queries 21, 44 and 66; with seed 0 the end
// point 1210000 is reached at query 120 and the ending at 123.
FakeClock::Reply Advancing(int n) {
  return {0, 10000u * static_cast<std::uint32_t>(n + 1)};
}

// Runs the music timeline for `ticks` ticks, keeping every list.
std::vector<DisplayList> RunMusic(Timeline& timeline, FakeClock& clock, int ticks) {
  std::vector<DisplayList> lists(static_cast<std::size_t>(ticks));
  for (int i = 0; i < ticks; ++i) {
    clock.currentTick = i;
    MusicTimelineTick(timeline, lists[static_cast<std::size_t>(i)], clock);
  }
  return lists;
}

std::vector<DisplayList> RunSilent(Timeline& timeline, int ticks) {
  std::vector<DisplayList> lists(static_cast<std::size_t>(ticks));
  for (auto& list : lists) SilentTimelineTick(timeline, list);
  return lists;
}

// The first tick in which a Sprite is drawn at destX, or -1.
int FirstDrawn(const std::vector<DisplayList>& lists, std::int32_t destX) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (SpriteAt(lists[i], destX) != nullptr) return static_cast<int>(i);
  }
  return -1;
}

// ---------------------------------------------------------------- start-up

struct InitCase {
  const char* name;
  std::uint32_t seed;
  Size screen;
  std::int32_t baseX;
  std::int32_t y;
  std::uint32_t endPoint;
};

class TimelineInit : public testing::TestWithParam<InitCase> {};

TEST_P(TimelineInit, PlacesTheQuartetAndDrawsTheEndPoint) {
  const InitCase& c = GetParam();
  const Timeline t = StartedTimeline(c.seed, c.screen);
  EXPECT_EQ(t.performers[0].x, c.baseX);
  EXPECT_EQ(t.performers[1].x, c.baseX - 160);
  EXPECT_EQ(t.performers[2].x, c.baseX + 160);
  EXPECT_EQ(t.performers[3].x, c.baseX - 320);
  EXPECT_EQ(t.y, c.y);
  EXPECT_EQ(t.endPoint, c.endPoint);
  const std::array<std::int32_t, 4> channels{0, 5, 7, 9};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.performers[i].channel, channels[i]) << "performer " << i;
    EXPECT_EQ(t.performers[i].fade, 9) << "performer " << i;
  }
  EXPECT_EQ(t.positionBlock.format, kTimeBytes);
  EXPECT_EQ(t.positionBlock.position, 0u);
  EXPECT_EQ(t.tick, 0);
  EXPECT_EQ(t.ending, 0);
  EXPECT_EQ(t.endingTick, 0);
  EXPECT_EQ(t.positionLost, 0);
  EXPECT_EQ(t.lastPosition, 0u);
}

// Seed 0 draws 38, 7719, 21238; seed 1 draws 41, 18467, 6334. On 640 x 480
// the end point takes the first number.
INSTANTIATE_TEST_SUITE_P(
    TimelineScreens, TimelineInit,
    testing::Values(InitCase{"Seed0Screen800x600", 0, k800x600, 358, 151, 1210000},
                    InitCase{"Seed1Screen800x600", 1, k800x600, 361, 235, 1130000},
                    InitCase{"Seed1Screen640x480", 1, {640, 480}, 320, 110, 1070000}),
    [](const testing::TestParamInfo<InitCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- silent timeline

TEST(TimelineSilent, FirstTickErasesAndDrawsPerformerZeroInvisible) {
  Timeline t = StartedTimeline(0);
  DisplayList list;
  SilentTimelineTick(t, list);
  const DrawCommand erase{DrawType::Erase, 0, 358, 151, 0, 0, 160, 256, 0};
  const DrawCommand sprite{DrawType::Sprite, 0, 358, 151, 0, 0, 160, 256, 9};
  EXPECT_EQ(Commands(list), (std::vector<DrawCommand>{erase, sprite}));
  EXPECT_EQ(FormatDisplayList(list),
            "Erase sheet=0 dest=358,151 src=0,0 size=160x256 fade=0\n"
            "Sprite sheet=0 dest=358,151 src=0,0 size=160x256 fade=9\n");
}

TEST(TimelineSilent, TickTwentyAddsPerformerOneFromSheetOne) {
  Timeline t = StartedTimeline(0);
  const std::vector<DisplayList> lists = RunSilent(t, 21);
  EXPECT_EQ(Commands(lists[19]).size(), 2u);
  const std::vector<DrawCommand> commands = Commands(lists[20]);
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[2].type, DrawType::Erase);
  EXPECT_EQ(commands[3].type, DrawType::Sprite);
  for (int i = 2; i < 4; ++i) {
    EXPECT_EQ(commands[i].destX, 198);
    EXPECT_EQ(commands[i].destY, 151);
    EXPECT_EQ(commands[i].sheet, 1);
  }
  EXPECT_EQ(commands[3].fade, 9);
}

TEST(TimelineSilent, PerformersEnterAtTheirTicks) {
  Timeline t = StartedTimeline(0);
  const std::vector<DisplayList> lists = RunSilent(t, 100);
  EXPECT_EQ(FirstDrawn(lists, 358), 0);
  EXPECT_EQ(FirstDrawn(lists, 198), 20);
  EXPECT_EQ(FirstDrawn(lists, 518), 40);
  EXPECT_EQ(FirstDrawn(lists, 38), 60);
}

struct FadeCase {
  int tick;
  std::int32_t destX;  // performer's left edge with seed 0 on 800 x 600
  std::uint16_t fade;
};

class TimelineSilentFade : public testing::TestWithParam<FadeCase> {};

TEST_P(TimelineSilentFade, SpriteCarriesTheFadeLevel) {
  const FadeCase& c = GetParam();
  Timeline t = StartedTimeline(0);
  const std::vector<DisplayList> lists = RunSilent(t, c.tick + 1);
  const DrawCommand* sprite = SpriteAt(lists[static_cast<std::size_t>(c.tick)], c.destX);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->fade, c.fade);
}

// Fades in over nine ticks from the entrance, holds 0 through tick 171's
// draw, then out: 1 in tick 172, 8 in tick 179, invisible from 180.
INSTANTIATE_TEST_SUITE_P(TimelineTicks, TimelineSilentFade,
                         testing::Values(FadeCase{0, 358, 9}, FadeCase{1, 358, 8},
                                         FadeCase{8, 358, 1}, FadeCase{9, 358, 0},
                                         FadeCase{20, 198, 9}, FadeCase{28, 198, 1},
                                         FadeCase{29, 198, 0}, FadeCase{169, 358, 0},
                                         FadeCase{170, 358, 0}, FadeCase{171, 358, 0},
                                         FadeCase{172, 358, 1}, FadeCase{179, 358, 8},
                                         FadeCase{180, 358, 9}, FadeCase{190, 358, 9},
                                         FadeCase{172, 38, 1}, FadeCase{180, 38, 9}));

TEST(TimelineSilent, CuesEraseBeforeSwitchingChannels) {
  struct CueCase {
    int tick;
    std::size_t commands;
    std::array<std::int32_t, 4> channels;  // after the tick
  };
  const std::vector<CueCase> cases{
      {129, 8, {0, 5, 7, 9}},   {130, 9, {1, 5, 7, 9}},  {131, 8, {1, 5, 7, 9}},
      {143, 12, {11, 6, 3, 4}}, {144, 8, {11, 6, 3, 4}}, {145, 9, {2, 6, 3, 4}},
      {146, 10, {2, 6, 8, 10}}, {147, 8, {2, 6, 8, 10}}, {189, 8, {2, 6, 8, 10}},
      {190, 12, {0, 5, 7, 9}},
  };
  Timeline t = StartedTimeline(0);
  DisplayList list;
  std::size_t next = 0;
  for (int tick = 0; tick <= 190 && next < cases.size(); ++tick) {
    SilentTimelineTick(t, list);
    const CueCase& c = cases[next];
    if (tick != c.tick) continue;
    ++next;
    EXPECT_EQ(Commands(list).size(), c.commands) << "tick " << tick;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(t.performers[i].channel, c.channels[i]) << "tick " << tick << " performer " << i;
    }
  }
  EXPECT_EQ(next, cases.size());
}

TEST(TimelineSilent, RestartsAtANewPlaceAfterTick190) {
  Timeline t = StartedTimeline(0);
  RunSilent(t, 191);
  RandomGenerator reference;
  SeedRandom(reference, 0);
  for (int i = 0; i < 3; ++i) RandomNumber(reference);
  const std::int32_t baseX = 320 + RandomNumber(reference) % 160;
  const std::int32_t y = RandomNumber(reference) % 344;
  EXPECT_EQ(t.tick, 0);
  EXPECT_EQ(t.performers[0].x, baseX);
  EXPECT_EQ(t.performers[3].x, baseX - 320);
  EXPECT_EQ(t.y, y);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(t.performers[i].fade, 9) << "performer " << i;
  DisplayList list;
  SilentTimelineTick(t, list);
  const std::vector<DrawCommand> commands = Commands(list);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1].destX, baseX);
  EXPECT_EQ(commands[1].destY, y);
  EXPECT_EQ(commands[1].fade, 9);
}

TEST(TimelineSilent, FinalChannelsStartFromTheirFirstFrameEveryPerformance) {
  Timeline t = StartedTimeline(0);
  const std::vector<DisplayList> lists = RunSilent(t, 191 + 191);
  for (int k = 146; k < 190; ++k) {
    const auto first = Commands(lists[static_cast<std::size_t>(k)]);
    const auto second = Commands(lists[static_cast<std::size_t>(191 + k)]);
    ASSERT_EQ(first.size(), second.size()) << "tick " << k;
    for (std::size_t i = 4; i < first.size(); ++i) {
      EXPECT_EQ(first[i].srcX, second[i].srcX) << "tick " << k << " command " << i;
      EXPECT_EQ(first[i].srcY, second[i].srcY) << "tick " << k << " command " << i;
    }
  }
}

struct ScaleCase {
  std::int32_t scale;
  DrawCommand sprite;
};

class TimelinePreview : public testing::TestWithParam<ScaleCase> {};

TEST_P(TimelinePreview, ScalesPositionsAndRectangles) {
  const ScaleCase& c = GetParam();
  Timeline t = StartedTimeline(0, k800x600, SaverMode::Preview, c.scale);
  const std::vector<DisplayList> lists = RunSilent(t, 21);
  const std::vector<DrawCommand> first = Commands(lists[0]);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[1], c.sprite);
  const std::vector<DrawCommand> entrance = Commands(lists[20]);
  ASSERT_EQ(entrance.size(), 4u);
  EXPECT_EQ(entrance[3].destX, 198 * c.scale / 1000);
}

// Placement still uses the whole screen; 358 * 0.237 = 84.8 -> 84.
INSTANTIATE_TEST_SUITE_P(
    TimelineScales, TimelinePreview,
    testing::Values(ScaleCase{237, {DrawType::Sprite, 0, 84, 35, 0, 0, 37, 60, 9}},
                    ScaleCase{500, {DrawType::Sprite, 0, 179, 75, 0, 0, 80, 128, 9}},
                    ScaleCase{1000, {DrawType::Sprite, 0, 358, 151, 0, 0, 160, 256, 9}}));

// ---------------------------------------------------------------- music timeline

TEST(TimelineMusic, PerformersEnterAtTheirPositions) {
  Timeline t = StartedTimeline(0);
  FakeClock clock(Advancing);
  const std::vector<DisplayList> lists = RunMusic(t, clock, 100);
  EXPECT_EQ(FirstDrawn(lists, 358), 0);
  EXPECT_EQ(FirstDrawn(lists, 198), 21);  // 220000
  EXPECT_EQ(FirstDrawn(lists, 518), 44);  // 450000
  EXPECT_EQ(FirstDrawn(lists, 38), 66);   // 670000
  EXPECT_EQ(t.positionLost, 0);
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Query).size(), 100u);
}

TEST(TimelineMusic, EndPointCueRepeatsUntilTheEnding) {
  Timeline t = StartedTimeline(0);
  FakeClock clock(Advancing);
  const std::vector<DisplayList> lists = RunMusic(t, clock, 130);
  // Positions 1210000..1230000 in ticks 120..122, 1240000 in tick 123.
  const std::vector<std::pair<int, int>> erases{{119, 4}, {120, 5}, {121, 5}, {122, 5},
                                                {123, 9}, {124, 4}, {125, 5}, {126, 6}};
  for (const auto& [tick, count] : erases) {
    EXPECT_EQ(CountOf(lists[static_cast<std::size_t>(tick)], DrawType::Erase), count)
        << "tick " << tick;
  }
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Reset), std::vector<int>{123});
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Query).back(), 123);
  EXPECT_EQ(t.ending, 1);
  EXPECT_EQ(t.performers[0].channel, 2);
  EXPECT_EQ(t.performers[2].channel, 8);
  EXPECT_EQ(t.performers[3].channel, 10);
}

FakeClock::Reply JumpsPastTheEnding(int n) {
  return {0, n < 10 ? 10000u * static_cast<std::uint32_t>(n + 1) : 1300000u + 1000u * n};
}

TEST(TimelineMusic, JumpPastTheEndingFiresBothCuesInOrder) {
  Timeline t = StartedTimeline(0);
  FakeClock clock(JumpsPastTheEnding);
  const std::vector<DisplayList> lists = RunMusic(t, clock, 11);
  Timeline before = StartedTimeline(0);
  FakeClock beforeClock(JumpsPastTheEnding);
  RunMusic(before, beforeClock, 10);
  const std::vector<DrawCommand> commands = Commands(lists[10]);
  // End-point erase (channel 0), four ending erases (performer 0 on channel 1),
  // then all four play: the position is past every entrance.
  ASSERT_EQ(commands.size(), 13u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(commands[i].type, DrawType::Erase) << i;
  EXPECT_EQ(commands[0].destX, 358);
  EXPECT_EQ(commands[1].destX, 358);
  EXPECT_EQ(commands[2].destX, 198);
  EXPECT_EQ(commands[3].destX, 518);
  EXPECT_EQ(commands[4].destX, 38);
  const FrameRect& channelZero = CurrentFrame(before.channels[0]);
  EXPECT_EQ(commands[0].srcX, channelZero.x);
  EXPECT_EQ(commands[0].srcY, channelZero.y);
  const FrameRect& channelOne = CurrentFrame(before.channels[1]);
  EXPECT_EQ(commands[1].srcX, channelOne.x);
  EXPECT_EQ(commands[1].srcY, channelOne.y);
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Reset), std::vector<int>{10});
  EXPECT_EQ(t.performers[0].channel, 11);
}

TEST(TimelineMusic, EndingFadesOutAndRestartsTheMusicAtEndingTick41) {
  Timeline t = StartedTimeline(0);
  FakeClock clock(Advancing);
  const std::vector<DisplayList> lists = RunMusic(t, clock, 123 + 42);
  // Ending cue in tick 123: performer 0 drawn at 0 through endingTick 26.
  const std::vector<std::pair<int, std::uint16_t>> fades{
      {123 + 26, 0}, {123 + 27, 1}, {123 + 34, 8}, {123 + 35, 9}, {123 + 41, 9}};
  for (const auto& [tick, fade] : fades) {
    const DrawCommand* sprite = SpriteAt(lists[static_cast<std::size_t>(tick)], 358);
    ASSERT_NE(sprite, nullptr) << "tick " << tick;
    EXPECT_EQ(sprite->fade, fade) << "tick " << tick;
  }
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::PlayFromStart), std::vector<int>{123 + 41});
  EXPECT_EQ(CountOf(lists[123 + 41], DrawType::Erase), 8);
  EXPECT_EQ(t.positionBlock.position, 0u);
  EXPECT_EQ(t.lastPosition, 0u);
  EXPECT_EQ(t.ending, 0);
  EXPECT_EQ(t.tick, 0);
  EXPECT_EQ(t.endingTick, 0);
  RandomGenerator reference;
  SeedRandom(reference, 0);
  for (int i = 0; i < 3; ++i) RandomNumber(reference);
  const std::int32_t baseX = 320 + RandomNumber(reference) % 160;
  RandomNumber(reference);
  EXPECT_EQ(t.performers[0].x, baseX);
  EXPECT_EQ(t.endPoint,
            1050000u + 20000u * static_cast<std::uint32_t>(RandomNumber(reference) % 10));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(t.performers[i].fade, 9) << "performer " << i;
  // The music runs again: queries resume, and the next performance enters by position.
  const std::vector<DisplayList> next = RunMusic(t, clock, 30);
  EXPECT_EQ(FirstDrawn(next, baseX - 160), 21);
  EXPECT_EQ(t.positionLost, 0);
}

FakeClock::Reply NeverStarted(int) {
  return {0, 0};
}
FakeClock::Reply StallsAtQuery50(int n) {
  return {0, 10000u * static_cast<std::uint32_t>(n < 50 ? n + 1 : 50)};
}
FakeClock::Reply FailsAtQuery5(int n) {
  return {n < 5 ? 0u : 2u, 10000u * static_cast<std::uint32_t>(n + 1)};
}

struct LostCase {
  const char* name;
  FakeClock::Reply (*script)(int);
  int lostAt;  // the tick whose query found the position lost
  std::array<bool, 4> drawnInTick49;
};

class TimelineMusicLost : public testing::TestWithParam<LostCase> {};

TEST_P(TimelineMusicLost, FallsBackForGoodToTickCues) {
  const LostCase& c = GetParam();
  Timeline t = StartedTimeline(0);
  FakeClock clock(c.script);
  const std::vector<DisplayList> lists = RunMusic(t, clock, 420);
  EXPECT_NE(t.positionLost, 0);
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Query).back(), c.lostAt);
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Query).size(), static_cast<std::size_t>(c.lostAt + 1));
  const std::array<std::int32_t, 4> xs{358, 198, 518, 38};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(SpriteAt(lists[49], xs[i]) != nullptr, c.drawnInTick49[i]) << "performer " << i;
  }
  EXPECT_EQ(SpriteAt(lists[60], 198), nullptr);
  EXPECT_EQ(SpriteAt(lists[77], 198), nullptr);
  EXPECT_NE(SpriteAt(lists[78], 198), nullptr);
  EXPECT_EQ(SpriteAt(lists[155], 518), nullptr);
  EXPECT_NE(SpriteAt(lists[156], 518), nullptr);
  EXPECT_EQ(SpriteAt(lists[226], 38), nullptr);
  EXPECT_NE(SpriteAt(lists[227], 38), nullptr);
  EXPECT_EQ(CountOf(lists[370], DrawType::Erase), 5);
  EXPECT_EQ(CountOf(lists[375], DrawType::Erase), 8);
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::Reset), std::vector<int>{375});
  EXPECT_EQ(clock.TicksOf(FakeClock::Call::PlayFromStart), std::vector<int>{375 + 41});
}

// Once lost, the position tests give way to ticks even for performers that
// had entered: 1 and 2 stop being played until ticks 78 and 156.
INSTANTIATE_TEST_SUITE_P(
    TimelineScripts, TimelineMusicLost,
    testing::Values(
        LostCase{"NotStartedByTheFirstTick", NeverStarted, 0, {true, false, false, false}},
        LostCase{"StalledPosition", StallsAtQuery50, 50, {true, true, true, false}},
        LostCase{"FailedQuery", FailsAtQuery5, 5, {true, false, false, false}}),
    [](const testing::TestParamInfo<LostCase>& info) { return std::string(info.param.name); });

// 1000 bytes a tick reaches 380000 at tick 379 and stalls there: tick 375 has
// passed and the end point is far off.
FakeClock::Reply StallsAfterTick375(int n) {
  return {0, 1000u * static_cast<std::uint32_t>(n < 380 ? n + 1 : 380)};
}

TEST(TimelineMusic, PositionLostAfterTick375NeverEnds) {
  Timeline t = StartedTimeline(0);
  FakeClock clock(StallsAfterTick375);
  const std::vector<DisplayList> lists = RunMusic(t, clock, 1500);
  EXPECT_NE(t.positionLost, 0);
  EXPECT_EQ(t.ending, 0);
  EXPECT_TRUE(clock.TicksOf(FakeClock::Call::Reset).empty());
  EXPECT_TRUE(clock.TicksOf(FakeClock::Call::PlayFromStart).empty());
  EXPECT_EQ(Commands(lists.back()).size(), 8u);
  EXPECT_EQ(t.performers[0].channel, 0);
}

// ---------------------------------------------------------------- no hidden state

TEST(TimelineState, TwoStatesWithTheSameSeedDrawTheSame) {
  Timeline silentA = StartedTimeline(7);
  Timeline silentB = StartedTimeline(7);
  Timeline musicA = StartedTimeline(7, {1024, 768});
  Timeline musicB = StartedTimeline(7, {1024, 768});
  FakeClock clockA(Advancing);
  FakeClock clockB(Advancing);
  DisplayList a, b, c, d;
  for (int i = 0; i < 400; ++i) {
    SilentTimelineTick(silentA, a);
    MusicTimelineTick(musicA, c, clockA);
    SilentTimelineTick(silentB, b);
    MusicTimelineTick(musicB, d, clockB);
    ASSERT_EQ(Commands(a), Commands(b)) << "silent tick " << i;
    ASSERT_EQ(Commands(c), Commands(d)) << "music tick " << i;
  }
  EXPECT_EQ(clockA.TicksOf(FakeClock::Call::PlayFromStart).size(), 2u);
}

}  // namespace
}  // namespace qs3
