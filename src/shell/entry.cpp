#include "shell/entry.h"

#include "config_ui/config_dialog.h"
#include "shell/password_hooks.h"

namespace qs3 {
namespace {

int RunSaverWindow(const StartupState& startup, bool hasPreviousInstance, EntryServices& services) {
  SaverShell& shell = services.shell;
  if (!hasPreviousInstance && !shell.RegisterSaverClass()) return 0;
  SaverWindow logic(startup, {services.host, services.passwords, services.settingsSystem,
                              services.stage, services.shell});
  const WindowHandle window = shell.CreateSaverWindow(SaverWindowParamsFor(startup), logic);
  if (window == kNoWindow) return 0;
  shell.ShowSaverWindow(window);
  const int exitCode = shell.RunMessageLoop();
  shell.HideSaverWindow(window);
  return exitCode;
}

}  // namespace

SaverWindowParams SaverWindowParamsFor(const StartupState& startup) {
  SaverWindowParams params;
  params.className = kSaverClassName;
  params.title = kFullScreenTitle;
  params.size = startup.stageSize;
  if (startup.mode == SaverMode::Preview) {
    params.title = kPreviewTitle;
    params.style = kStyleChild | kStyleVisible;
    params.parent = startup.parentWindow;
  } else {
    params.exStyle = kExStyleTopmost;
    params.style = kStylePopup | kStyleVisible;
  }
  return params;
}

std::optional<StartupState> StartUp(std::string_view commandLine, Host& host) {
  if (host.TopLevelWindowExists(kFullScreenTitle)) return std::nullopt;
  StartupState startup;
  startup.screenSize = host.ScreenSize();
  const ParseResult parsed = ParseCommandLine(commandLine, startup.screenSize, host);
  if (parsed.endAtOnce) return std::nullopt;
  startup.mode = parsed.mode;
  startup.parentWindow = parsed.parentWindow;
  startup.stageSize = parsed.stageSize;
  startup.scaleFactor = ComputeScaleFactor(startup.mode, startup.stageSize, startup.screenSize);
  return startup;
}

int RunSaver(std::string_view commandLine, bool hasPreviousInstance, EntryServices& services) {
  const std::optional<StartupState> startup = StartUp(commandLine, services.host);
  if (!startup) return 0;
  switch (startup->mode) {
    case SaverMode::Configure:
      ShowConfigDialog(startup->parentWindow, {services.host, services.configWindows,
                                               services.settingsSystem, services.resources});
      if (startup->parentWindow != kNoWindow)
        services.host.BringToForeground(startup->parentWindow);
      return 0;
    case SaverMode::ChangePassword:
      RunPasswordChange(services.passwords, startup->parentWindow);
      return 0;
    case SaverMode::FullScreen:
    case SaverMode::Preview:
      return RunSaverWindow(*startup, hasPreviousInstance, services);
  }
  return 0;
}

}  // namespace qs3
