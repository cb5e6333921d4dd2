#include "frontends/headless/headless_run.h"

#include <algorithm>
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
      host_(setup_.screen, setup_.preview ? MonitorLayout{} : setup_.monitors),
      stage_(GraphicsServices{resources_, presenter_, host_},
             setup_.music ? static_cast<MusicService&>(*setup_.music) : noMusic_) {}

// In the order of the saver window's creation: music, graphics, the
// performance, then the music started.
bool HeadlessRun::Start() {
  const bool music = setup_.music && stage_.OpenMusic(kWindow) && stage_.LoadSound("music", 0);
  if (!stage_.InitGraphics(kWindow, host_.AcquireDesktopContext(), startup_)) return false;
  stage_.SeedRandom(setup_.seed);
  stage_.InitPerformance();
  const Rect window{0, 0, startup_.stageSize.width, startup_.stageSize.height};
  // A preview lives in its window; only the full screen covers the monitors.
  desk_.Start(setup_.preview ? MonitorLayout{} : host_.Monitors(), window);
  if (!(desk_.Playing() == window) && !stage_.MoveToScreen(AreaSize(desk_.Playing()), true)) {
    desk_.Start({}, window);
  }
  if (music) stage_.PlaySlot(0, 0);
  return true;
}

// As the saver window does: a performance about to begin moves to the next monitor.
void HeadlessRun::Tick() {
  const bool music = setup_.music.has_value();
  if (desk_.Count() > 1 && stage_.RestartsOnNextTick(music) &&
      stage_.MoveToScreen(AreaSize(desk_.Next()), false)) {
    desk_.Advance();
  }
  stage_.ComposeFrame(kWindow, music);
  ++ticksDone_;
}

std::vector<std::uint32_t> HeadlessRun::DeskPicture(Rect* bounds) const {
  Rect box = desk_.Playing();
  for (int i = 0; i < desk_.CoverCount(); ++i) {
    const Rect& area = desk_.Cover(i);
    box = {std::min(box.left, area.left), std::min(box.top, area.top),
           std::max(box.right, area.right), std::max(box.bottom, area.bottom)};
  }
  if (bounds != nullptr) *bounds = box;
  const Size desk = AreaSize(box);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(desk.width) * desk.height, kBlack);
  const Size shown = presenter_.FrameSize();
  const Rect& playing = desk_.Playing();
  const int columns = std::min(shown.width, playing.right - playing.left);
  const int rows = std::min(shown.height, playing.bottom - playing.top);
  for (int y = 0; y < rows; ++y) {
    const auto from = presenter_.Pixels().begin() + static_cast<std::ptrdiff_t>(y) * shown.width;
    const auto to = pixels.begin() +
                    static_cast<std::ptrdiff_t>(playing.top - box.top + y) * desk.width +
                    (playing.left - box.left);
    std::copy_n(from, columns, to);
  }
  return pixels;
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
  std::string header = text;
  if (setup.monitors.count > 0 && !setup.preview) {
    header += "monitors";
    for (int i = 0; i < std::min(setup.monitors.count, kMaxMonitors); ++i) {
      const Monitor& m = setup.monitors.monitors[i];
      std::snprintf(text, sizeof text, " %dx%d%+d%+d%s", m.area.right - m.area.left,
                    m.area.bottom - m.area.top, m.area.left, m.area.top,
                    m.primary ? " primary" : "");
      header += text;
    }
    header += "\n";
  }
  return header;
}

std::string TraceTick(const HeadlessRun& run) {
  const Timeline& t = run.Performance();
  char line[160];
  std::snprintf(line, sizeof line, "tick %d\n", run.TicksDone() - 1);
  std::string text = line;
  // The tick counter is back at 0 right after the step that began a performance.
  if (run.TicksDone() == 1 || t.tick == 0) {
    if (run.Desk().Count() > 1) {
      const Rect& area = run.Desk().Playing();
      std::snprintf(line, sizeof line, "plays on %dx%d%+d%+d\n", area.right - area.left,
                    area.bottom - area.top, area.left, area.top);
      text += line;
    }
    std::snprintf(line, sizeof line, "place x=%d,%d,%d,%d y=%d endpoint=%u\n", t.performers[0].x,
                  t.performers[1].x, t.performers[2].x, t.performers[3].x, t.y, t.endPoint);
    text += line;
  }
  return text + FormatDisplayList(run.List());
}

}  // namespace qs3
