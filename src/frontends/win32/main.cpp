// qs3.scr: the display settings start it with /s, /p HWND, /c, /a HWND or
// nothing; every path ends with exit code 0.
#include <windows.h>

#include "audio/music_player.h"
#include "frontends/win32/win32_config.h"
#include "frontends/win32/win32_host.h"
#include "frontends/win32/win32_music.h"
#include "frontends/win32/win32_password.h"
#include "frontends/win32/win32_presenter.h"
#include "frontends/win32/win32_resources.h"
#include "frontends/win32/win32_settings.h"
#include "frontends/win32/win32_shell.h"
#include "shell/entry.h"
#include "shell/performance_stage.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int) {
  qs3::win32::Win32Host host;
  qs3::win32::Win32Shell shell(instance);
  qs3::win32::Win32PasswordSystem passwords;
  qs3::Win32SettingsSystem settingsSystem;
  qs3::win32::Win32ResourceSource resources(instance);
  qs3::win32::Win32Presenter presenter;
  qs3::win32::Win32WaveDevice waveDevice;
  qs3::win32::Win32MusicFiles musicFiles;
  qs3::MusicPlayer music(waveDevice, musicFiles);
  qs3::PerformanceStage stage(qs3::GraphicsServices{resources, presenter, host}, music);
  qs3::win32::Win32ConfigWindows configWindows(instance);
  qs3::EntryServices services{host,  shell,         passwords, settingsSystem,
                              stage, configWindows, resources};
  return qs3::RunSaver(commandLine != nullptr ? commandLine : "", previousInstance != nullptr,
                       services);
}
