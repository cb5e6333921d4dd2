// qs3: the saver on Linux and macOS. The Windows switches work as on Windows
// (/s, /p ID, /c, /a ID, or none for the settings window); XScreenSaver starts
// it with --root or --window-id ID, and it then draws into that window until
// it is sent SIGTERM.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/music_player.h"
#include "embedded/embedded_resources.h"
#include "frontends/sdl/launch_args.h"
#include "frontends/sdl/native_paths.h"
#include "frontends/sdl/sdl_audio.h"
#include "frontends/sdl/sdl_config.h"
#include "frontends/sdl/sdl_host.h"
#include "frontends/sdl/sdl_presenter.h"
#include "frontends/sdl/sdl_services.h"
#include "frontends/sdl/sdl_shell.h"
#include "frontends/sdl/x11_windows.h"
#include "frontends/sdl/xdg_settings.h"
#include "shell/entry.h"
#include "shell/performance_stage.h"

namespace {

// SDL from before the first window to after the last object that uses it.
class SdlSession {
 public:
  SdlSession() {
    // Frames go to the window surface through X11 shared memory, not through
    // an OpenGL texture, which costs several times the CPU.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A full-screen saver that loses the focus must stay on the screen.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // With an X display named, only X11 will do: SDL would otherwise fall
    // back to drawing off screen when a connection is refused for a moment.
    if (std::getenv("DISPLAY") != nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    ok_ = SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) == 0 && InitVideo();
  }
  SdlSession(const SdlSession&) = delete;
  SdlSession& operator=(const SdlSession&) = delete;
  ~SdlSession() { SDL_Quit(); }
  bool Ok() const { return ok_; }

 private:
  // X servers refuse a connection now and then (Xvfb about one in thirty
  // under load); a few tries a moment apart ride that out.
  static bool InitVideo() {
    constexpr int kTries = 5;
    constexpr Uint32 kPauseMs = 100;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
      if (attempt < kTries) SDL_Delay(kPauseMs);
    }
    return false;
  }

  bool ok_ = false;
};

// XScreenSaver's window is drawn into like a preview of its size: no input,
// no password, no music, and it ends only with the window or a signal.
std::string CommandLineFor(const qs3::sdl::Launch& launch, const qs3::sdl::X11Connection& x11) {
  if (launch.kind != qs3::sdl::LaunchKind::DrawIntoWindow) return launch.commandLine;
  return "/p " + std::to_string(launch.window.value_or(x11.Root()));
}

// The XDG locations, with the installed data folder as the fallback.
qs3::XdgLocations NativeLocations() {
  qs3::XdgLocations locations =
      qs3::XdgLocationsFrom([](const char* name) { return std::getenv(name); });
  locations.defaultDataFolder = qs3::sdl::ChooseDefaultDataFolder(
      locations.defaultDataFolder, QS3_INSTALLED_DATA_DIR, [](const std::string& folder) {
        std::error_code error;
        return std::filesystem::is_directory(folder, error);
      });
  return locations;
}

int RunNative(const qs3::sdl::Launch& launch) {
  using namespace qs3;
  const sdl::X11Connection x11;
  const sdl::SaverEvents events = sdl::RegisterSaverEvents();
  sdl::TimerSchedule timers;
  sdl::SdlHost host(x11, events, timers);
  sdl::X11DrawnWindows x11Drawn;
  sdl::SdlShell shell(x11, events, x11Drawn, timers);
  sdl::NoPasswordSystem passwords;
  XdgSettingsSystem settingsSystem(NativeLocations());
  EmbeddedResourceSource resources;
  sdl::SdlPresenter presenter(x11, x11Drawn);
  sdl::SdlWaveDevice waveDevice;
  sdl::PosixMusicFiles musicFiles;
  MusicPlayer music(waveDevice, musicFiles);
  PerformanceStage stage(GraphicsServices{resources, presenter, host}, music);
  sdl::SdlConfigWindows configWindows(x11, events);
  EntryServices services{host, shell, passwords, settingsSystem, stage, configWindows, resources};
  return RunSaver(CommandLineFor(launch, x11), false, services);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const qs3::sdl::Launch launch =
      qs3::sdl::ParseLaunchArguments(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (launch.kind == qs3::sdl::LaunchKind::BadWindowId) {
    std::fprintf(stderr, "qs3: the window to draw into is not a window id\n");
    return 1;
  }
  qs3::sdl::InstallQuietXErrorHandler();
  const SdlSession session;
  if (!session.Ok()) {
    std::fprintf(stderr, "qs3: no display to show the saver on (%s)\n", SDL_GetError());
    return 1;
  }
  return RunNative(launch);
}
