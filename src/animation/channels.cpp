#include "animation/channels.h"

namespace qs3 {

void InitChannel(AnimChannel& channel, std::int32_t sequence, ChannelMode mode, std::int32_t sheet,
                 std::span<const FrameRect> rects, std::span<const FrameStep> steps,
                 std::span<const std::int16_t> starts) {
  channel.sheet = sheet;
  channel.rects = rects.data();
  channel.step = &steps[starts[sequence]];
  channel.holdCount = 0;
  channel.mode = mode;
  channel.loopCount = 0;
}

namespace {

struct ChannelSetUp {
  std::int32_t tableSet;
  std::int32_t sequence;
  ChannelMode mode;
};

constexpr std::array<ChannelSetUp, kChannelCount> kChannelSetUps{{
    {0, 0, ChannelMode::Looping},
    {0, 1, ChannelMode::Looping},
    {0, 2, ChannelMode::Looping},
    {0, 3, ChannelMode::Looping},
    {0, 4, ChannelMode::Looping},
    {1, 0, ChannelMode::Looping},
    {1, 1, ChannelMode::Looping},
    {1, 2, ChannelMode::Looping},
    {1, 3, ChannelMode::PlayOnce},
    {2, 0, ChannelMode::Looping},
    {2, 1, ChannelMode::PlayOnce},
    {2, 2, ChannelMode::Looping},
}};

// Per mille, truncated toward zero; kept as 16 bits like the command's fields.
std::int16_t Scale(std::int32_t value, std::int32_t scaleFactor) {
  return static_cast<std::int16_t>(static_cast<std::int64_t>(value) * scaleFactor / 1000);
}

}  // namespace

void SetUpChannels(ChannelArray& channels) {
  for (std::int32_t i = 0; i < kChannelCount; ++i) {
    const ChannelSetUp& setUp = kChannelSetUps[i];
    const FrameTableSet& tables = FrameTables(setUp.tableSet);
    InitChannel(channels[i], setUp.sequence, setUp.mode, setUp.tableSet, tables.rects, tables.steps,
                tables.starts);
  }
}

void AdvanceChannel(AnimChannel& channel) {
  const FrameStep& step = *channel.step;
  if (channel.holdCount < step.hold) {
    ++channel.holdCount;
    return;
  }
  channel.holdCount = 0;
  if (step.loop != 0) ++channel.loopCount;
  if (channel.mode == ChannelMode::Looping) {
    channel.step += 1 - step.loop;  // loop 1 stays, loop n goes back n - 1
  } else if (step.loop == 0) {
    ++channel.step;  // a play-once channel stops on its closing step
  }
}

void RewindChannel(AnimChannel& channel) {
  channel.holdCount = 0;
  const std::int16_t loop = channel.step->loop;
  if (channel.mode == ChannelMode::PlayOnce && loop != 0) channel.step -= loop - 1;
}

const FrameRect& CurrentFrame(const AnimChannel& channel) {
  return channel.rects[channel.step->rect];
}

void AppendChannelDraw(DisplayList& list, std::int32_t x, std::int32_t y,
                       const AnimChannel& channel, DrawType type, std::int32_t fade, SaverMode mode,
                       std::int32_t scaleFactor) {
  DrawCommand& command = CurrentEntry(list);
  ClearEntry(command);
  command.type = type;
  command.fade = static_cast<std::uint16_t>(fade);
  command.sheet = static_cast<std::uint8_t>(channel.sheet);
  const FrameRect& frame = CurrentFrame(channel);
  if (mode == SaverMode::FullScreen) {
    command.srcX = frame.x;
    command.srcY = frame.y;
    command.width = frame.w;
    command.height = frame.h;
    command.destX = static_cast<std::int16_t>(x);
    command.destY = static_cast<std::int16_t>(y);
  } else {
    command.srcX = Scale(frame.x, scaleFactor);
    command.srcY = Scale(frame.y, scaleFactor);
    command.width = Scale(frame.w, scaleFactor);
    command.height = Scale(frame.h, scaleFactor);
    command.destX = Scale(x, scaleFactor);
    command.destY = Scale(y, scaleFactor);
  }
  AdvanceList(list);
}

}  // namespace qs3
