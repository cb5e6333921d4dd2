// What the native front end needs of X11 beyond SDL: top-level windows found
// by title (the single-instance and second-preview rules), the size of a
// window another program made, the active window, and a child window inside
// a foreign one for the preview. Xlib's default error handler ends the
// process; errors from windows that vanish are expected here, so a quiet
// handler is installed for the life of the connection.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "seam/types.h"

using Display = struct _XDisplay;  // Xlib's, declared here so no X11 header spreads

namespace qs3::sdl {

using XWindowId = std::uint32_t;

// Windows that vanish (a preview's host, XScreenSaver's window) make requests
// fail; Xlib's default handler would end the process for that. Installed
// before SDL starts, the quiet handler is also the one SDL falls back on and
// puts back when it shuts down.
void InstallQuietXErrorHandler();

class X11Connection {
 public:
  // Opens the display named by DISPLAY; Valid() says whether it worked.
  X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;
  ~X11Connection();

  bool Valid() const { return display_ != nullptr; }
  XWindowId Root() const;

  // A window shown to the user (a child of the root, or a window manager's
  // client) whose name is exactly `title`.
  bool TopLevelWindowExists(const std::string& title) const;
  // Width and height; none when the id names no window.
  std::optional<Size> WindowSize(XWindowId window) const;
  // The window manager's active window, else the input focus; 0 for none.
  XWindowId ActiveWindow() const;
  void Activate(XWindowId window) const;
  // The pointer on the screen, asked of the server each time (SDL's global
  // mouse state is a cache that X servers without raw input never refresh).
  std::optional<Point> PointerPosition() const;
  // A black child window filling `parent`, named `name`, mapped, whose
  // exposures this connection hears of; 0 on failure. The saver draws into
  // it itself: SDL waits on windows of its own for answers that a window
  // dying with its host never gives.
  XWindowId CreateChild(XWindowId parent, Size size, const char* name) const;
  void DestroyWindow(XWindowId window) const;

  // The monitors as RandR lists them now (asked of the server each time: SDL
  // 2.26 never hears of a monitor that moved or went off); a count of 0
  // without RandR 1.5.
  MonitorLayout Monitors() const;
  // Moves and sizes a window onto `area` of the screen and raises it.
  void MoveWindow(XWindowId window, const Rect& area) const;
  // The window's background made black and shown: the server itself keeps
  // it black from then on, with no picture of its size kept anywhere.
  void PaintBlack(XWindowId window) const;
  // Copies the rectangles of a picture of 0x00RRGGBB pixels (each inside it)
  // to the same places in the window, whose top-left corner is the
  // picture's, through a band of shared memory where the server offers it;
  // nothing on a visual other than 24-bit true colour. The window keeps the
  // picture; nothing here does.
  void PutPixels(XWindowId window, const std::uint32_t* pixels, Size size,
                 std::span<const Rect> rects) const;

  // Reads every event that has arrived; true when one of them says part of
  // `window` was exposed and must be drawn again.
  bool TakeExposure(XWindowId window) const;
  // Sends what is queued and sleeps until an event arrives from the server
  // or `timeoutMs` pass (forever when negative); at once when one is queued.
  void WaitForEvents(int timeoutMs) const;

 private:
  class SharedImage;
  Display* display_ = nullptr;
  // The shared-memory staging tile for pictures of the last size drawn;
  // none before the first frame or where the server cannot share memory
  // with us.
  mutable std::unique_ptr<SharedImage> sharedImage_;
  mutable bool sharedMemoryRefused_ = false;
};

}  // namespace qs3::sdl
