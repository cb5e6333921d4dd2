#include "audio/position_units.h"

namespace qs3 {

std::optional<std::uint32_t> PositionInBytes(const PositionBlock& answer,
                                             const WaveFormat& format) {
  const std::uint64_t position = answer.position;
  switch (answer.format) {
    case kTimeBytes:
      return answer.position;
    case kTimeSamples:
      return static_cast<std::uint32_t>(position * format.blockAlign);
    case kTimeMilliseconds:
      // Truncated, as a byte count that has not yet reached the next byte.
      return static_cast<std::uint32_t>(position * format.averageBytesPerSecond / 1000);
    default:
      return std::nullopt;
  }
}

}  // namespace qs3
