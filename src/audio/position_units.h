// A wave device answers a position query in the unit it likes: bytes,
// samples or milliseconds (or a unit that counts no samples at all). The
// timeline's cues are byte counts of the music's sample data, so every
// answer is turned into bytes of the format the device was opened for.
#pragma once

#include <cstdint>
#include <optional>

#include "seam/wave_device.h"

namespace qs3 {

// The answered position in bytes of `format`'s sample data, wrapping at 2^32
// as a byte counter does; none for SMPTE, MIDI, ticks or an unknown unit.
std::optional<std::uint32_t> PositionInBytes(const PositionBlock& answer, const WaveFormat& format);

}  // namespace qs3
