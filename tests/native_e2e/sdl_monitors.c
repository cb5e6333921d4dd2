/* sdl_monitors: shows what SDL makes of the X server's monitors, for the
 * multi-monitor end-to-end cases.
 *
 *     sdl_monitors report
 *
 * prints "displays=N", then "display=I X Y W H" (SDL_GetDisplayBounds),
 * "usable=I X Y W H" and "display_name=I NAME" for each, and exits 0.
 *
 *     sdl_monitors cover undefined|bounds
 *
 * makes one window per display with the saver's flags (FULLSCREEN_DESKTOP,
 * always on top, borderless, hidden until shown and raised): at
 * SDL_WINDOWPOS_UNDEFINED_DISPLAY(I) in a 640x480 windowed size, or at the
 * display's bounds in its size. Each is titled "QS3 monitor probe I" and
 * filled with colour I of the table below. It
 * prints the report above, "window=I X Y W H DISPLAY" as SDL sees each window
 * and "ready=1", then prints every display and window event as it arrives:
 *     event=display I connected|disconnected|orientation|other
 *     event=window I shown|exposed|moved X Y|size_changed W H|display_changed D|...
 * Commands on standard input, one a line:
 *     report   prints the events queued by then, the displays and windows
 *              again, then "reported=1"
 *     reinit   closes the windows, restarts SDL's video, prints the displays
 *              it finds then, and "reported=1"
 *     quit (or end of input) ends it with 0.
 */
#include <SDL2/SDL.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <unistd.h>

enum { kMaxWindows = 8 };

/* Window I is filled with kColours[I]: red, green, blue, yellow, ... */
static const Uint8 kColours[kMaxWindows][3] = {
    {255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
    {0, 255, 255}, {255, 0, 255}, {255, 128, 0}, {128, 0, 255},
};

static SDL_Window* windows[kMaxWindows];
static int window_count;

static void destroy_windows(void) {
  for (int i = 0; i < window_count; ++i) SDL_DestroyWindow(windows[i]);
  window_count = 0;
}

static void report_displays(void) {
  const int count = SDL_GetNumVideoDisplays();
  printf("displays=%d\n", count);
  for (int i = 0; i < count; ++i) {
    SDL_Rect bounds, usable;
    if (SDL_GetDisplayBounds(i, &bounds) == 0) {
      printf("display=%d %d %d %d %d\n", i, bounds.x, bounds.y, bounds.w, bounds.h);
    }
    if (SDL_GetDisplayUsableBounds(i, &usable) == 0) {
      printf("usable=%d %d %d %d %d\n", i, usable.x, usable.y, usable.w, usable.h);
    }
    const char* name = SDL_GetDisplayName(i);
    printf("display_name=%d %s\n", i, name ? name : "");
  }
}

static void report_windows(void) {
  for (int i = 0; i < window_count; ++i) {
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(windows[i], &x, &y);
    SDL_GetWindowSize(windows[i], &w, &h);
    printf("window=%d %d %d %d %d %d\n", i, x, y, w, h, SDL_GetWindowDisplayIndex(windows[i]));
  }
}

static void fill(int index) {
  SDL_Surface* surface = SDL_GetWindowSurface(windows[index]);
  if (surface == NULL) return;
  const Uint8* rgb = kColours[index];
  SDL_FillRect(surface, NULL, SDL_MapRGB(surface->format, rgb[0], rgb[1], rgb[2]));
  SDL_UpdateWindowSurface(windows[index]);
}

static int window_index(Uint32 id) {
  for (int i = 0; i < window_count; ++i) {
    if (SDL_GetWindowID(windows[i]) == id) return i;
  }
  return -1;
}

static const char* display_event_name(Uint8 event) {
  switch (event) {
    case SDL_DISPLAYEVENT_CONNECTED:
      return "connected";
    case SDL_DISPLAYEVENT_DISCONNECTED:
      return "disconnected";
    case SDL_DISPLAYEVENT_ORIENTATION:
      return "orientation";
    default:
      return "other";
  }
}

static void print_window_event(const SDL_WindowEvent* event) {
  const int index = window_index(event->windowID);
  switch (event->event) {
    case SDL_WINDOWEVENT_SHOWN:
      printf("event=window %d shown\n", index);
      break;
    case SDL_WINDOWEVENT_HIDDEN:
      printf("event=window %d hidden\n", index);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      printf("event=window %d exposed\n", index);
      break;
    case SDL_WINDOWEVENT_MOVED:
      printf("event=window %d moved %d %d\n", index, event->data1, event->data2);
      break;
    case SDL_WINDOWEVENT_RESIZED:
      printf("event=window %d resized %d %d\n", index, event->data1, event->data2);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      printf("event=window %d size_changed %d %d\n", index, event->data1, event->data2);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      printf("event=window %d minimized\n", index);
      break;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
      printf("event=window %d display_changed %d\n", index, event->data1);
      break;
    default:
      break; /* focus and pointer crossings say nothing of the layout */
  }
  /* A window that changed size needs its surface again; one uncovered (the
   * X screen was resized) needs its colour again. */
  if (index >= 0 &&
      (event->event == SDL_WINDOWEVENT_SIZE_CHANGED || event->event == SDL_WINDOWEVENT_EXPOSED)) {
    fill(index);
  }
}

/* Prints the events that come within timeout_ms, and every one queued. */
static void print_events(int timeout_ms) {
  SDL_Event event;
  while (SDL_WaitEventTimeout(&event, timeout_ms)) {
    if (event.type == SDL_DISPLAYEVENT) {
      printf("event=display %d %s\n", (int)event.display.display,
             display_event_name(event.display.event));
    } else if (event.type == SDL_WINDOWEVENT) {
      print_window_event(&event.window);
    }
  }
}

/* One command from standard input if one is waiting; 0 to go on, 1 to end.
 * Each report first prints the events queued by then: the X server sent
 * those of a change made before the command ahead of it. */
static int read_command(void) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(STDIN_FILENO, &readable);
  struct timeval none = {0, 0};
  if (select(STDIN_FILENO + 1, &readable, NULL, NULL, &none) <= 0) return 0;
  char line[64];
  if (fgets(line, sizeof line, stdin) == NULL) return 1;
  if (strncmp(line, "report", 6) == 0) {
    print_events(0);
    report_displays();
    report_windows();
    printf("reported=1\n");
    return 0;
  }
  if (strncmp(line, "reinit", 6) == 0) {
    print_events(0);
    destroy_windows();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      printf("error=SDL_InitSubSystem: %s\n", SDL_GetError());
      return 1;
    }
    report_displays();
    printf("reported=1\n");
    return 0;
  }
  return strncmp(line, "quit", 4) == 0;
}

static int cover(int at_bounds) {
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count && i < kMaxWindows; ++i) {
    char title[64];
    snprintf(title, sizeof title, "QS3 monitor probe %d", i);
    SDL_Rect place = {(int)SDL_WINDOWPOS_UNDEFINED_DISPLAY(i),
                      (int)SDL_WINDOWPOS_UNDEFINED_DISPLAY(i), 640, 480};
    if (at_bounds && SDL_GetDisplayBounds(i, &place) != 0) return 1;
    windows[i] = SDL_CreateWindow(title, place.x, place.y, place.w, place.h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALWAYS_ON_TOP |
                                      SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (windows[i] == NULL) {
      printf("error=window %d: %s\n", i, SDL_GetError());
      return 1;
    }
    window_count = i + 1;
    SDL_ShowWindow(windows[i]);
    SDL_RaiseWindow(windows[i]);
    fill(i);
  }
  report_displays();
  report_windows();
  printf("ready=1\n");
  for (;;) {
    print_events(50);
    if (read_command()) return 0;
  }
}

int main(int argc, char** argv) {
  setvbuf(stdout, NULL, _IOLBF, 0);
  const int report = argc == 2 && strcmp(argv[1], "report") == 0;
  const int cover_undefined =
      argc == 3 && strcmp(argv[1], "cover") == 0 && strcmp(argv[2], "undefined") == 0;
  const int cover_bounds =
      argc == 3 && strcmp(argv[1], "cover") == 0 && strcmp(argv[2], "bounds") == 0;
  if (!report && !cover_undefined && !cover_bounds) {
    fputs("usage: sdl_monitors report | sdl_monitors cover undefined|bounds\n", stderr);
    return 2;
  }
  /* as the saver does: the window surface through X11 shared memory, and a
   * full-screen window that loses the focus stays */
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    printf("error=SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  int result = 0;
  if (report) {
    report_displays();
  } else {
    result = cover(cover_bounds);
  }
  destroy_windows();
  SDL_Quit();
  return result;
}
