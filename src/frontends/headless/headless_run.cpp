#include "frontends/headless/headless_run.h"

#include <cstdio>

namespace qs3 {

StartupState StartupFor(const RunSetup& setup) {
  StartupState startup;
  startup.screenSize = setup.screen;
  startup.mode = setup.preview ? SaverMode::Preview : SaverMode::FullScreen;
  startup.stageSize = setup.preview.value_or(setup.screen);
  startup.scaleFactor = ComputeScaleFactor(startup.mode, startup.stageSize, startup.screenSize);
  return startup;
}

HeadlessRun::HeadlessRun(RunSetup setup)
    : setup_(std::move(setup)),
      startup_(StartupFor(setup_)),
      host_(setup_.screen),
      stage_(GraphicsServices{resources_, presenter_, host_},
             setup_.music ? static_cast<MusicService&>(*setup_.music) : noMusic_) {}

// In the order of the saver window's creation: music, graphics, the
// performance, then the music started.
bool HeadlessRun::Start() {
  const bool music = setup_.music && stage_.OpenMusic(kWindow) && stage_.LoadSound("music", 0);
  if (!stage_.InitGraphics(kWindow, host_.AcquireDesktopContext(), startup_)) return false;
  stage_.SeedRandom(setup_.seed);
  stage_.InitPerformance();
  if (music) stage_.PlaySlot(0, 0);
  return true;
}

void HeadlessRun::Tick() {
  stage_.ComposeFrame(kWindow, setup_.music.has_value());
  ++ticksDone_;
}

std::string TraceHeader(const HeadlessRun& run) {
  const RunSetup& setup = run.Setup();
  const StartupState& startup = run.Startup();
  char text[200];
  std::snprintf(text, sizeof text, "screen %dx%d %s stage %dx%d scale %d seed %u music %s\n",
                setup.screen.width, setup.screen.height,
                startup.mode == SaverMode::FullScreen ? "full-screen" : "preview",
                startup.stageSize.width, startup.stageSize.height, startup.scaleFactor, setup.seed,
                setup.music ? "scripted" : "off");
  return text;
}

std::string TraceTick(const HeadlessRun& run) {
  const Timeline& t = run.Performance();
  char line[160];
  std::snprintf(line, sizeof line, "tick %d\n", run.TicksDone() - 1);
  std::string text = line;
  // The tick counter is back at 0 right after the step that began a performance.
  if (run.TicksDone() == 1 || t.tick == 0) {
    std::snprintf(line, sizeof line, "place x=%d,%d,%d,%d y=%d endpoint=%u\n", t.performers[0].x,
                  t.performers[1].x, t.performers[2].x, t.performers[3].x, t.y, t.endPoint);
    text += line;
  }
  return text + FormatDisplayList(run.List());
}

}  // namespace qs3
