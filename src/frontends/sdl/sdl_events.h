// The SDL event type of the saver's own message: the quit message
// (PostQuitMessage's counterpart, carrying the exit code). The frame timer
// needs none: the loop sleeps until its deadline (timer_schedule.h).
#pragma once

#include <SDL.h>

#include <cstdint>

namespace qs3::sdl {

struct SaverEvents {
  Uint32 quit = 0;  // user.code: the exit code
};

// Registers the type once; 0 when SDL has none left.
inline SaverEvents RegisterSaverEvents() {
  const Uint32 first = SDL_RegisterEvents(1);
  if (first == static_cast<Uint32>(-1)) return {};
  return {first};
}

// The clock the timers run on: milliseconds since SDL started.
inline std::uint64_t NowMs() {
  return SDL_GetTicks64();
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
