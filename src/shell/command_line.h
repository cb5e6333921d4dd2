// The command line that the display settings start the saver with, and the
// values that the start-up derives from it.
#pragma once

#include <cstdint>
#include <string_view>

#include "seam/host.h"
#include "seam/types.h"

namespace qs3 {

enum class SaverMode : std::int32_t {
  Configure = 0,
  FullScreen = 1,
  Preview = 2,
  ChangePassword = 3
};

// Title of a running full-screen saver: the single-instance mark.
inline constexpr char kFullScreenTitle[] = "QS3_10";
// Title of the preview window: a second preview is refused while one exists.
inline constexpr char kPreviewTitle[] = "SSPREVIEW";

// Written once during start-up, read by the saver window and the animation.
struct StartupState {
  SaverMode mode = SaverMode::Configure;
  WindowHandle parentWindow = kNoWindow;
  Size screenSize;
  Size stageSize;
  std::int32_t scaleFactor = 0;  // per mille of the screen
};

struct ParseResult {
  SaverMode mode = SaverMode::Configure;
  WindowHandle parentWindow = kNoWindow;
  Size stageSize;
  bool endAtOnce = false;  // a preview is already shown
};

// Scans the switches s, p/l, c and a; the last one decides.
ParseResult ParseCommandLine(std::string_view text, Size screenSize, Host& host);

// Reads a window-handle argument: at most its first 15 characters as a signed
// decimal number with 32-bit wrap, then sign-extended as 64-bit Windows
// handles are.
WindowHandle ReadWindowHandle(std::string_view argument);

// The larger of stage/screen per mille on either axis; 1000 full screen.
std::int32_t ComputeScaleFactor(SaverMode mode, Size stageSize, Size screenSize);

}  // namespace qs3
