#include "frontends/sdl/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <array>

namespace qs3::sdl {
namespace {

// SDL_UpdateWindowSurfaceRects takes the rectangles in batches of this many.
constexpr std::size_t kRectBatch = 64;

SDL_Rect ToSdlRect(const Rect& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The rectangle cut to the surface; none when nothing of it is left.
std::optional<Rect> OnSurface(const Rect& rect, const SDL_Surface& surface) {
  const Rect cut{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, surface.w),
                 std::min(rect.bottom, surface.h)};
  if (cut.right <= cut.left || cut.bottom <= cut.top) return std::nullopt;
  return cut;
}

}  // namespace

bool PresentPixels(std::uint32_t windowId, const std::uint32_t* pixels, Size size) {
  const Rect whole{0, 0, size.width, size.height};
  SurfaceMark mark;
  return PresentRects(windowId, pixels, size, {&whole, 1}, mark);
}

bool PresentRects(std::uint32_t windowId, const std::uint32_t* pixels, Size size,
                  std::span<const Rect> rects, SurfaceMark& mark) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (window == nullptr || pixels == nullptr || size.width <= 0 || size.height <= 0) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return false;
  // A surface SDL made anew (the window was resized or its surface lost)
  // holds nothing of the picture: it is filled whole.
  const SurfaceMark now{surface, surface->pixels, surface->w, surface->h};
  const Rect whole{0, 0, size.width, size.height};
  if (!(now == mark)) rects = {&whole, 1};
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  std::array<SDL_Rect, kRectBatch> batch{};
  std::size_t batched = 0;
  bool shown = true;
  for (const Rect& rect : rects) {
    const std::optional<Rect> cut = OnSurface(rect, *surface);
    if (!cut) continue;
    // 0x00RRGGBB in a 32-bit word is SDL's RGB888; the surface may differ.
    const auto* from = pixels + static_cast<std::ptrdiff_t>(cut->top) * size.width + cut->left;
    auto* to = static_cast<std::uint8_t*>(surface->pixels) +
               static_cast<std::ptrdiff_t>(cut->top) * surface->pitch +
               static_cast<std::ptrdiff_t>(cut->left) * surface->format->BytesPerPixel;
    SDL_ConvertPixels(cut->right - cut->left, cut->bottom - cut->top, SDL_PIXELFORMAT_RGB888, from,
                      size.width * 4, surface->format->format, to, surface->pitch);
    batch[batched++] = ToSdlRect(*cut);
    if (batched == batch.size()) {
      shown = SDL_UpdateWindowSurfaceRects(window, batch.data(), static_cast<int>(batched)) == 0;
      batched = 0;
    }
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (batched > 0)
    shown = SDL_UpdateWindowSurfaceRects(window, batch.data(), static_cast<int>(batched)) == 0;
  if (shown) mark = now;
  return shown;
}

void SdlPresenter::Present(WindowHandle window, const FrameView& frame,
                           std::span<const Rect> changed) {
  const auto pixelCount =
      static_cast<std::size_t>(frame.size.width) * static_cast<std::size_t>(frame.size.height);
  if (frame.size.width <= 0 || frame.size.height <= 0 || frame.pixels.size() < pixelCount) return;
  if (changed.empty()) return;
  if (const std::optional<XWindowId> drawable = x11Drawn_.Find(window)) {
    x11_.PutPixels(*drawable, frame.pixels.data(), frame.size, changed);
  } else {
    PresentRects(static_cast<std::uint32_t>(window), frame.pixels.data(), frame.size, changed,
                 surfaceMark_);
  }
}

}  // namespace qs3::sdl
