// qs3_render: runs the real saver core with no display and writes what it
// shows. Frames go out as PNG or PPM files or one animated GIF, and each
// tick's display list as a text trace.
//
//   qs3_render [--screen WxH] [--preview WxH] [--seed N] [--ticks FIRST..LAST]
//              [--music-rate BYTES | --music-script FILE]
//              [--png-dir DIR] [--ppm-dir DIR] [--gif FILE] [--gif-step K]
//              [--trace FILE|-] [--monitors WxH+X+Y,...] [--checksums FILE|-]
//   qs3_render --settings-window WxH [--music-enabled N] [--pressed BUTTON]
//              [--png-dir DIR] [--ppm-dir DIR]
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/indexed_image.h"
#include "config_ui/image_button.h"
#include "embedded/embedded_resources.h"
#include "frontends/headless/headless_run.h"
#include "render/gif_writer.h"
#include "render/render_options.h"

namespace qs3::tools {
namespace {

constexpr int kCentisecondsPerTick = 10;

bool WritePpm(std::span<const std::uint32_t> pixels, Size size, const std::filesystem::path& path,
              std::string& error) {
  std::vector<std::uint8_t> bytes;
  const std::string header =
      "P6\n" + std::to_string(size.width) + " " + std::to_string(size.height) + "\n255\n";
  bytes.assign(header.begin(), header.end());
  for (const std::uint32_t pixel : pixels) {
    bytes.push_back(static_cast<std::uint8_t>(pixel >> 16));
    bytes.push_back(static_cast<std::uint8_t>(pixel >> 8));
    bytes.push_back(static_cast<std::uint8_t>(pixel));
  }
  return WriteBytes(bytes, path, error);
}

bool WritePpm(const PixelBuffer& frame, const std::filesystem::path& path, std::string& error) {
  return WritePpm(frame.Pixels(), {frame.Width(), frame.Height()}, path, error);
}

// CRC-32 (the one zlib and PNG use) of the pixels as R, G, B bytes: what a
// test computes over a screenshot of the monitor.
std::uint32_t RgbCrc(std::span<const std::uint32_t> pixels) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint32_t pixel : pixels) {
    for (const int shift : {16, 8, 0}) {
      crc = table[(crc ^ (pixel >> shift)) & 0xFFu] ^ (crc >> 8);
    }
  }
  return crc ^ 0xFFFFFFFFu;
}

std::string FrameName(int tick, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "tick_%04d.%s", tick, extension);
  return name;
}

// The colours a frame can hold: black and the AnimPalette's colours.
std::vector<std::uint32_t> FrameColours(const PaletteEntries& palette) {
  std::vector<std::uint32_t> colours{kBlack};
  for (int i = 1; i < palette.count && colours.size() < 256; ++i) {
    const PaletteEntry& e = palette.entries[static_cast<std::size_t>(i)];
    colours.push_back(MakePixel(e.red, e.green, e.blue));
  }
  return colours;
}

class Outputs {
 public:
  Outputs(const RenderOptions& options, const HeadlessRun& run) : options_(options) {
    if (!options.trace.empty()) {
      if (options.trace != "-") traceFile_.open(options.trace);
      trace_ = options.trace == "-" ? &std::cout : &traceFile_;
      *trace_ << TraceHeader(run);
    }
    if (!options.checksums.empty()) {
      if (options.checksums != "-") checksumFile_.open(options.checksums);
      checksums_ = options.checksums == "-" ? &std::cout : &checksumFile_;
    }
    for (const auto& dir : {options.pngDir, options.ppmDir})
      if (!dir.empty()) std::filesystem::create_directories(dir);
    if (!options.gif.empty()) {
      const Size stage = run.Startup().stageSize;
      gif_.emplace(options.gif, stage, FrameColours(run.Presenter().Palette()));
    }
  }

  bool Write(const HeadlessRun& run, std::string& error) {
    const int tick = run.TicksDone() - 1;
    if (trace_ != nullptr) *trace_ << TraceTick(run);
    const PixelBuffer& frame = run.Frame();
    if (checksums_ != nullptr) {
      const Rect& area = run.Desk().Playing();
      char line[96];
      std::snprintf(line, sizeof line, "tick %d monitor %d,%d,%d,%d crc %08x\n", tick, area.left,
                    area.top, area.right, area.bottom, RgbCrc(frame.Pixels()));
      *checksums_ << line;
    }
    // On a desk of several monitors a picture is the whole desk.
    std::vector<std::uint32_t> desk;
    std::span<const std::uint32_t> pixels = frame.Pixels();
    Size size{frame.Width(), frame.Height()};
    if (options_.setup.monitors.count > 0 &&
        (!options_.pngDir.empty() || !options_.ppmDir.empty())) {
      Rect bounds;
      desk = run.DeskPicture(&bounds);
      pixels = desk;
      size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
    }
    if (!options_.pngDir.empty() &&
        !WriteRgbPng(pixels, size.width, size.height,
                     std::filesystem::path(options_.pngDir) / FrameName(tick, "png"), error))
      return false;
    if (!options_.ppmDir.empty() &&
        !WritePpm(pixels, size, std::filesystem::path(options_.ppmDir) / FrameName(tick, "ppm"),
                  error))
      return false;
    if (gif_ && (tick - options_.firstTick) % options_.gifStep == 0)
      gif_->AddFrame(frame.Pixels(), kCentisecondsPerTick * options_.gifStep);
    return true;
  }

  bool Finish(std::string& error) {
    if (trace_ != nullptr && !*trace_) error = "cannot write the trace";
    if (checksums_ != nullptr && !*checksums_) error = "cannot write the checksums";
    if (gif_ && !gif_->Close()) error = gif_->Error();
    if (gif_ && gif_->UnknownPixels() > 0)
      std::cerr << "qs3_render: " << gif_->UnknownPixels() << " pixels outside the palette\n";
    return error.empty();
  }

 private:
  const RenderOptions& options_;
  std::ofstream traceFile_;
  std::ostream* trace_ = nullptr;
  std::ofstream checksumFile_;
  std::ostream* checksums_ = nullptr;
  std::optional<GifWriter> gif_;
};

// The settings window's client area as the screen shows it.
int RenderSettingsWindow(const RenderOptions& options) {
  EmbeddedResourceSource resources;
  const DialogArt art = LoadDialogArt(resources);
  ButtonRecords records = InitialButtonRecords();
  if (options.pressed == "ok") records[static_cast<std::size_t>(ButtonRecord::Ok)].pressedFlag = 1;
  if (options.pressed == "cancel")
    records[static_cast<std::size_t>(ButtonRecord::Cancel)].pressedFlag = 1;
  if (options.pressed == "music") {
    records[static_cast<std::size_t>(ButtonRecord::MusicOff)].pressedFlag = 1;
    records[static_cast<std::size_t>(ButtonRecord::MusicOn)].pressedFlag = 1;
  }
  const PixelBuffer picture =
      SettingsWindowPicture(art, records, options.musicEnabled, *options.settingsWindow);
  std::string error;
  if (!options.pngDir.empty()) {
    std::filesystem::create_directories(options.pngDir);
    if (!WriteRgbPng(picture.Pixels(), picture.Width(), picture.Height(),
                     std::filesystem::path(options.pngDir) / "settings_window.png", error)) {
      std::cerr << "qs3_render: " << error << "\n";
      return 1;
    }
  }
  if (!options.ppmDir.empty()) {
    std::filesystem::create_directories(options.ppmDir);
    if (!WritePpm(picture, std::filesystem::path(options.ppmDir) / "settings_window.ppm", error)) {
      std::cerr << "qs3_render: " << error << "\n";
      return 1;
    }
  }
  return 0;
}

int Render(RenderOptions options) {
  if (options.settingsWindow) return RenderSettingsWindow(options);
  HeadlessRun run(options.setup);
  if (!run.Start()) {
    std::cerr << "qs3_render: the graphics could not be built\n";
    return 1;
  }
  Outputs outputs(options, run);
  std::string error;
  for (int tick = 0; tick <= options.lastTick; ++tick) {
    run.Tick();
    if (tick >= options.firstTick && !outputs.Write(run, error)) break;
  }
  if (!outputs.Finish(error) || !error.empty()) {
    std::cerr << "qs3_render: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace qs3::tools

int main(int argc, char** argv) {
  std::string error;
  std::optional<qs3::tools::RenderOptions> options =
      qs3::tools::ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "qs3_render: " << error << "\n" << qs3::tools::kRenderUsage;
    return 2;
  }
  if (options->help) {
    std::cout << qs3::tools::kRenderUsage;
    return 0;
  }
  return qs3::tools::Render(std::move(*options));
}
