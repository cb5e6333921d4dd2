// Any answers of a wave device to the music timeline's position queries:
// after a first byte (the seed, and whether the run goes on past the
// script's end by a whole performance), each four bytes are one answer (a
// unit, a result code and two position bytes that add to the position or
// jump it). Whatever the device says, the timeline never writes more than a
// tick's worth of commands, keeps every performer on a channel and a fade
// level, keeps a lost position lost, and the music stops only at an ending
// and starts only at a restart.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "animation/timeline.h"
#include "audio/music_player.h"
#include "audio/riff_reader.h"

namespace {

constexpr std::int32_t kMostCommandsInATick = 13;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The next answer of the script each query; starts and stops are counted.
class ScriptedDevice final : public qs3::WaveDevice {
 public:
  explicit ScriptedDevice(std::span<const std::uint8_t> script) : script_(script) {}

  std::uint32_t QueryFormat(const qs3::WaveFormat&) override { return 0; }
  std::uint32_t Open(const qs3::WaveFormat&, qs3::WindowHandle) override { return 0; }
  std::uint32_t Prepare(qs3::WaveHeader&) override { return 0; }
  std::uint32_t Unprepare(qs3::WaveHeader&) override { return 0; }
  std::uint32_t Write(qs3::WaveHeader&) override { return ++writes, position_ = 0, 0; }
  std::uint32_t Reset() override { return ++resets, 0; }
  std::uint32_t Close() override { return 0; }
  std::uint32_t GetPosition(qs3::PositionBlock& block) override {
    ++queries;
    if (next_ + 4 > script_.size()) return 5;  // the script has run out: a dead device
    const std::uint8_t* answer = script_.data() + next_;
    next_ += 4;
    static constexpr std::uint32_t kUnits[] = {qs3::kTimeBytes,   qs3::kTimeMilliseconds,
                                               qs3::kTimeSamples, qs3::kTimeSmpte,
                                               qs3::kTimeMidi,    qs3::kTimeTicks};
    const std::uint32_t step = answer[2] | (std::uint32_t{answer[3]} << 8);
    if ((answer[1] & 0x0F) == 0x0F) return answer[1];  // a failed query
    // Mostly a steady advance; now and then a jump anywhere.
    position_ = (answer[1] & 0x30) == 0x30 ? step * 40u : position_ + step;
    block.format = kUnits[answer[0] % std::size(kUnits)];
    block.position = position_;
    return 0;
  }

  int writes = 0;
  int resets = 0;
  int queries = 0;

 private:
  std::span<const std::uint8_t> script_;
  std::size_t next_ = 0;
  std::uint32_t position_ = 0;
};

// A short music file, so that the player really starts and stops.
class OneFile final : public qs3::MusicFiles {
 public:
  std::unique_ptr<qs3::MusicFile> Open(const char*) override {
    return std::make_unique<qs3::RiffMusicFile>(std::make_unique<qs3::MemoryByteStream>(kWave));
  }

 private:
  static constexpr std::uint8_t kWave[] = {'R', 'I', 'F', 'F', 16, 0, 0, 0, 'W', 'A', 'V', 'E',
                                           'd', 'a', 't', 'a', 4,  0, 0, 0, 128, 129, 130, 131};
};

std::int32_t CommandCount(const qs3::DisplayList& list) {
  std::int32_t count = 0;
  while (count < qs3::kDisplayListSlots &&
         list.slots[static_cast<std::size_t>(count)].type != qs3::DrawType::End) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  ScriptedDevice device({data + 1, size - 1});
  OneFile files;
  qs3::MusicPlayer player(device, files);
  player.OpenMusic(1);
  Check(player.LoadSound("music", 0) == 1);
  qs3::Timeline timeline;
  qs3::SeedRandom(timeline.random, data[0]);
  qs3::InitPerformance(timeline, {800, 600}, qs3::SaverMode::FullScreen, 1000);
  player.PlaySlot(0, 0);
  qs3::DisplayList list;
  bool lost = false;
  // With the first byte's top bit, on past the script's end by a whole
  // performance on the tick cues (375 ticks to the ending, 41 to the
  // restart), so what follows a dead device runs too; else a few ticks.
  const int ticks = static_cast<int>(size / 4) + ((data[0] & 0x80) != 0 ? 420 : 8);
  for (int tick = 0; tick < ticks; ++tick) {
    const std::int32_t endingBefore = timeline.ending;
    const int resetsBefore = device.resets;
    const int writesBefore = device.writes;
    qs3::MusicTimelineTick(timeline, list, player);
    Check(CommandCount(list) <= kMostCommandsInATick);
    for (const qs3::Performer& p : timeline.performers) {
      Check(p.channel >= 0 && p.channel < 12);
      Check(p.fade >= 0 && p.fade <= 9);
    }
    Check(!lost || timeline.positionLost != 0);
    lost = timeline.positionLost != 0;
    // The music stops at the ending cue and starts again at the restart.
    const bool endingCue = endingBefore == 0 && timeline.ending == 1;
    const bool restart = endingBefore == 1 && timeline.ending == 0;
    if (device.resets != resetsBefore) Check(endingCue || restart);
    Check(device.writes == writesBefore + (restart ? 1 : 0));
    Check(timeline.positionBlock.format == qs3::kTimeBytes);
  }
  return 0;
}
