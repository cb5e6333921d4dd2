// What running the full-screen or preview mode needs of the front end beyond
// the host services: the saver window's class, the window itself, and the
// message loop that drives it.
#pragma once

#include <cstdint>
#include <string>

#include "seam/types.h"

namespace qs3 {

// The core object that receives the saver window's messages. The front end
// includes its declaration from the core; the seam only names it.
class SaverWindow;

// CreateWindowExA's arguments for the saver window.
struct SaverWindowParams {
  std::uint32_t exStyle = 0;
  std::string className;
  std::string title;
  std::uint32_t style = 0;
  Point position;
  Size size;
  WindowHandle parent = kNoWindow;
  friend bool operator==(const SaverWindowParams&, const SaverWindowParams&) = default;
};

class SaverShell {
 public:
  virtual ~SaverShell() = default;
  // Registers the class "QS3_10" with the saver window's handler.
  virtual bool RegisterSaverClass() = 0;
  // Creates the window; its messages go to `logic` until HideSaverWindow.
  // Returns 0 when creation fails.
  virtual WindowHandle CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) = 0;
  // SW_SHOW and an immediate update.
  virtual void ShowSaverWindow(WindowHandle window) = 0;
  // Gets, translates and dispatches messages until the quit message; returns its parameter.
  virtual int RunMessageLoop() = 0;
  // SW_HIDE; the window's messages no longer reach the logic afterwards.
  virtual void HideSaverWindow(WindowHandle window) = 0;

  // A black, topmost window without a title over `area` of the virtual
  // screen, shown without taking the focus: it covers a monitor the quartet
  // is not playing on. Its input goes to `logic` like the saver window's;
  // it has no timer and is never drawn on. Returns 0 when creation fails.
  virtual WindowHandle CreateCoverWindow(const Rect& area, SaverWindow& logic) = 0;
  // Moves and sizes a saver or cover window onto `area`, topmost, without
  // taking the focus, and has it drawn again.
  virtual void PlaceWindow(WindowHandle window, const Rect& area) = 0;
  virtual void DestroyCoverWindow(WindowHandle window) = 0;
};

}  // namespace qs3
