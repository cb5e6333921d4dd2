// One saver run with no display: the real stage, the embedded pictures, a
// headless host and presenter, and optionally a scripted music position,
// stepped one frame-timer tick at a time by the caller. The renderer tool and
// the golden tests drive it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "embedded/embedded_resources.h"
#include "frontends/headless/headless_host.h"
#include "frontends/headless/headless_presenter.h"
#include "frontends/headless/scripted_music_clock.h"
#include "shell/monitor_desk.h"
#include "shell/performance_stage.h"

namespace qs3 {

struct RunSetup {
  Size screen{800, 600};
  std::optional<Size> preview;  // the preview window's size; none: full screen
  std::uint32_t seed = 0;
  std::optional<ScriptedMusicClock> music;  // none: the silent timeline
  // A desk of several monitors (full screen only); none: the screen alone.
  MonitorLayout monitors;
};

// The start-up values a real run would derive for this screen and mode.
StartupState StartupFor(const RunSetup& setup);

class HeadlessRun {
 public:
  explicit HeadlessRun(RunSetup setup);
  HeadlessRun(const HeadlessRun&) = delete;
  HeadlessRun& operator=(const HeadlessRun&) = delete;

  // Builds the graphics and the performance as the saver window's creation
  // does; false when the graphics could not be built.
  bool Start();
  // One frame-timer tick: the timeline step, the list drawn, what changed
  // handed to the presenter.
  void Tick();
  // A repaint the system asks for: the whole frame handed to the presenter.
  void Repaint() { stage_.PresentWholeFrame(kWindow); }

  int TicksDone() const { return ticksDone_; }
  const RunSetup& Setup() const { return setup_; }
  const StartupState& Startup() const { return startup_; }
  const PixelBuffer& Frame() const { return stage_.ComposeBuffer(); }
  const DisplayList& List() const { return stage_.List(); }
  // Where the last tick's drawing changed the frame.
  std::span<const Rect> Changes() const { return stage_.LastChanges(); }
  const Timeline& Performance() const { return stage_.Performance(); }
  const HeadlessPresenter& Presenter() const { return presenter_; }
  // The monitors covered and the one the quartet plays on, as the saver
  // window would have them.
  const MonitorDesk& Desk() const { return desk_; }
  // The whole desk as the user would see it: the bounding box of every
  // monitor, black, with the playing window's picture on its monitor.
  // Pixels outside every monitor are black too.
  std::vector<std::uint32_t> DeskPicture(Rect* bounds = nullptr) const;

 private:
  static constexpr WindowHandle kWindow = 1;

  RunSetup setup_;
  StartupState startup_;
  HeadlessHost host_;
  HeadlessPresenter presenter_;
  EmbeddedResourceSource resources_;
  NoMusic noMusic_;
  PerformanceStage stage_;
  MonitorDesk desk_;
  int ticksDone_ = 0;
};

// The text of the tick just done for a trace: a "tick N" line (N counted from
// 0, as the timeline counts), a line for a new place
// of the quartet whenever a performance begins, then the display list.
std::string TraceTick(const HeadlessRun& run);
// The first lines of a trace: the run's screen, mode, scale and seed.
std::string TraceHeader(const HeadlessRun& run);

}  // namespace qs3
