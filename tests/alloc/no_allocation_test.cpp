// Once the saver runs, a frame allocates nothing: every heap allocation of
// this binary is counted by replaced global allocation functions, and the
// ticks after the first (which sizes the presenter's frame store) must leave
// the count unchanged, across restarts of the performance too.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "alloc/counting_allocator.h"
#include "frontends/headless/headless_run.h"

namespace qs3 {
namespace {

struct AllocationCase {
  std::string name;
  RunSetup setup;
  int ticks;  // enough for two whole performances, restarts included
};

// Names the case in gtest's messages instead of dumping its bytes.
void PrintTo(const AllocationCase& c, std::ostream* out) {
  *out << c.name;
}

RunSetup SetupOf(std::optional<Size> preview, std::optional<ScriptedMusicClock> music) {
  RunSetup setup;
  setup.screen = {800, 600};
  setup.preview = preview;
  setup.music = std::move(music);
  return setup;
}

// A silent performance lasts 191 ticks. With music at 2205 bytes a tick the
// end point falls at most 1230000 bytes in, the ending 30000 after it and the
// restart 41 ticks later: at most 613 ticks.
const AllocationCase kCases[] = {
    {"SilentFullScreen", SetupOf(std::nullopt, std::nullopt), 400},
    {"SilentPreview", SetupOf(Size{152, 112}, std::nullopt), 400},
    {"SteadyMusic", SetupOf(std::nullopt, ScriptedMusicClock::Steady(2205)), 1300},
};

class NoAllocationPerTick : public testing::TestWithParam<AllocationCase> {};

TEST_P(NoAllocationPerTick, TicksAfterTheFirstAllocateNothing) {
  HeadlessRun run(GetParam().setup);
  ASSERT_TRUE(run.Start());
  run.Tick();

  const long before = AllocationCount();
  int restarts = 0;
  for (int i = 0; i < GetParam().ticks; ++i) {
    run.Tick();
    if (run.Performance().tick == 0) ++restarts;
  }
  const long allocated = AllocationCount() - before;

  EXPECT_EQ(allocated, 0) << "allocations in " << GetParam().ticks << " ticks";
  EXPECT_GE(restarts, 2) << "the ticks must cover two restarts of the performance";
}

INSTANTIATE_TEST_SUITE_P(Runs, NoAllocationPerTick, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<AllocationCase>& info) {
                           return info.param.name;
                         });

// The counter sees the saver's own allocations: building the graphics and
// sizing the frame store at the first frame do allocate.
TEST(AllocationCounter, CountsTheStartUpAndFirstFrame) {
  const long before = AllocationCount();
  HeadlessRun run(SetupOf(std::nullopt, std::nullopt));
  ASSERT_TRUE(run.Start());
  run.Tick();
  EXPECT_GT(AllocationCount() - before, 0);
}

}  // namespace
}  // namespace qs3
