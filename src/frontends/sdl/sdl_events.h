// The SDL event types of the saver's own messages: the frame timer and the
// quit message (PostQuitMessage's counterpart, carrying the exit code).
#pragma once

#include <SDL.h>

namespace qs3::sdl {

struct SaverEvents {
  Uint32 timer = 0;  // user.code: the timer id, user.data1: the window id
  Uint32 quit = 0;   // user.code: the exit code
};

// Registers the types once; both are 0 when SDL has none left.
inline SaverEvents RegisterSaverEvents() {
  const Uint32 first = SDL_RegisterEvents(2);
  if (first == static_cast<Uint32>(-1)) return {};
  return {first, first + 1};
}

inline void PushUserEvent(Uint32 type, Sint32 code, void* data = nullptr) {
  if (type == 0) return;
  SDL_Event event{};
  event.type = type;
  event.user.code = code;
  event.user.data1 = data;
  SDL_PushEvent(&event);
}

}  // namespace qs3::sdl
