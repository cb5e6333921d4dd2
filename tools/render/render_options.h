// The renderer's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontends/headless/headless_run.h"

namespace qs3::tools {

struct RenderOptions {
  RunSetup setup;
  int firstTick = 0;
  int lastTick = 189;  // one whole silent performance
  std::string pngDir;
  std::string ppmDir;
  std::string gif;
  int gifStep = 1;
  std::string trace;      // "-" for standard output
  std::string checksums;  // "-" for standard output
  bool help = false;
  // The settings window instead of the performance: its client size, the
  // music switch's value and the button shown pressed ("", ok, cancel, music).
  std::optional<Size> settingsWindow;
  std::int32_t musicEnabled = 1;
  std::string pressed;
};

inline constexpr char kRenderUsage[] =
    "usage: qs3_render [options]\n"
    "  --screen WxH          screen size (default 800x600)\n"
    "  --preview WxH         render the preview window of this size instead of the full screen\n"
    "  --seed N              seed of the random placement (default 0)\n"
    "  --ticks FIRST..LAST   ticks to write, counted from 0 (default 0..189, one performance)\n"
    "  --music-rate BYTES    follow music that plays BYTES per tick (2205: 22050 Hz, 8-bit mono)\n"
    "  --music-script FILE   follow a scripted position: one line a query, POSITION or 'fail "
    "CODE';\n"
    "                        the last line repeats\n"
    "  --png-dir DIR         write each frame as DIR/tick_NNNN.png\n"
    "  --ppm-dir DIR         write each frame as DIR/tick_NNNN.ppm\n"
    "  --gif FILE            write the frames as one animated GIF\n"
    "  --gif-step K          put every K-th tick into the GIF (default 1)\n"
    "  --trace FILE|-        write each tick's display list as text\n"
    "  --monitors WxH+X+Y,...  a desk of several monitors, the first one primary (at 0,0 on\n"
    "                        Windows); frames are then the whole desk, monitors in place\n"
    "  --checksums FILE|-    write 'tick N monitor L,T,R,B crc C': the CRC-32 of the\n"
    "                        playing monitor's picture as R, G, B bytes, rows top-down\n"
    "  --settings-window WxH draw the settings window's client area of this size instead,\n"
    "                        as DIR/settings_window.png or .ppm\n"
    "  --music-enabled N     the settings window's music value (default 1)\n"
    "  --pressed BUTTON      ok, cancel or music: that button shows its pressed look\n";

// None, with the reason in `error`, for an unknown option or a bad value.
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error);

}  // namespace qs3::tools
