// Builds without X11 (macOS): no windows of other programs can be found,
// measured or drawn into, so previews and XScreenSaver's windows end at once
// and the single-instance rule relies on SDL's own windows only. The pointer
// comes from SDL.
#include <SDL.h>

#include "frontends/sdl/x11_windows.h"

namespace qs3::sdl {

void InstallQuietXErrorHandler() {}
class X11Connection::SharedImage {};

X11Connection::X11Connection() = default;
X11Connection::~X11Connection() = default;
XWindowId X11Connection::Root() const {
  return 0;
}
bool X11Connection::TopLevelWindowExists(const std::string&) const {
  return false;
}
std::optional<Size> X11Connection::WindowSize(XWindowId) const {
  return std::nullopt;
}
XWindowId X11Connection::ActiveWindow() const {
  return 0;
}
void X11Connection::Activate(XWindowId) const {}
std::optional<Point> X11Connection::PointerPosition() const {
  int x = 0;
  int y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  return Point{x, y};
}
XWindowId X11Connection::CreateChild(XWindowId, Size, const char*) const {
  return 0;
}
void X11Connection::DestroyWindow(XWindowId) const {}
MonitorLayout X11Connection::Monitors() const {
  return {};
}
void X11Connection::MoveWindow(XWindowId, const Rect&) const {}
void X11Connection::PaintBlack(XWindowId) const {}
void X11Connection::PutPixels(XWindowId, const std::uint32_t*, Size, std::span<const Rect>) const {}
bool X11Connection::TakeExposure(XWindowId) const {
  return false;
}
void X11Connection::WaitForEvents(int timeoutMs) const {
  if (timeoutMs > 0) SDL_Delay(static_cast<Uint32>(timeoutMs));
}

}  // namespace qs3::sdl
