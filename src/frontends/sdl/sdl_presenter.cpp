#include "frontends/sdl/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>

namespace qs3::sdl {

bool PresentPixels(std::uint32_t windowId, const std::uint32_t* pixels, Size size) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (window == nullptr || pixels == nullptr || size.width <= 0 || size.height <= 0) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return false;
  const int width = std::min(size.width, surface->w);
  const int height = std::min(size.height, surface->h);
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  // 0x00RRGGBB in a 32-bit word is SDL's RGB888; the surface may differ.
  SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, pixels, size.width * 4,
                    surface->format->format, surface->pixels, surface->pitch);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  return SDL_UpdateWindowSurface(window) == 0;
}

void SdlPresenter::Present(WindowHandle window, const FrameView& frame) {
  const auto pixelCount =
      static_cast<std::size_t>(frame.size.width) * static_cast<std::size_t>(frame.size.height);
  if (frame.size.width <= 0 || frame.size.height <= 0 || frame.pixels.size() < pixelCount) return;
  if (x11Drawn_.Contains(window)) {
    x11_.PutPixels(static_cast<XWindowId>(window), frame.pixels.data(), frame.size);
  } else {
    PresentPixels(static_cast<std::uint32_t>(window), frame.pixels.data(), frame.size);
  }
}

}  // namespace qs3::sdl
