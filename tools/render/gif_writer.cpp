#include "render/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace qs3::tools {
namespace {

struct ColourMapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Loops forever, as a performance does.
bool PutLoopExtension(GifFileType* gif) {
  static constexpr char kApplication[] = "NETSCAPE2.0";
  static constexpr std::array<GifByteType, 3> kLoopForever{1, 0, 0};
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, kApplication) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, kLoopForever.data()) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
}

}  // namespace

GifWriter::GifWriter(const std::string& path, Size size, std::span<const std::uint32_t> colours)
    : size_(size), row_(static_cast<std::size_t>(std::max(size.width, 1))) {
  std::array<GifColorType, 256> table{};
  const std::size_t count = std::min<std::size_t>(colours.size(), table.size());
  for (std::size_t i = count; i-- > 0;) {
    table[i] = {static_cast<GifByteType>(colours[i] >> 16),
                static_cast<GifByteType>(colours[i] >> 8), static_cast<GifByteType>(colours[i])};
    indexOf_[colours[i]] = static_cast<std::uint8_t>(i);  // the lowest index wins
  }
  const std::unique_ptr<ColorMapObject, ColourMapDeleter> map(GifMakeMapObject(256, table.data()));
  int error = 0;
  gif_ = EGifOpenFileName(path.c_str(), false, &error);
  if (gif_ == nullptr || map == nullptr) {
    Fail("cannot create the GIF file");
    return;
  }
  EGifSetGifVersion(gif_, true);
  if (EGifPutScreenDesc(gif_, size.width, size.height, 8, 0, map.get()) != GIF_OK ||
      !PutLoopExtension(gif_)) {
    Fail("cannot write the GIF header");
  }
}

GifWriter::~GifWriter() {
  if (gif_ != nullptr) Close();
}

void GifWriter::Fail(const char* what) {
  if (error_.empty()) error_ = what;
}

GifWriter::Box GifWriter::ChangedBox(std::span<const std::uint32_t> pixels) const {
  if (previous_.size() != pixels.size()) return {0, 0, size_.width, size_.height};
  Box box{size_.width, size_.height, 0, 0};
  for (int y = 0; y < size_.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(size_.width);
    for (int x = 0; x < size_.width; ++x) {
      if (pixels[row + static_cast<std::size_t>(x)] == previous_[row + static_cast<std::size_t>(x)])
        continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  // An unchanged frame still takes its time on screen: one pixel, rewritten.
  if (box.right == 0) return {0, 0, 1, 1};
  return box;
}

void GifWriter::AddFrame(std::span<const std::uint32_t> pixels, int delayCentiseconds) {
  if (!Ok()) return;
  if (pixels.size() !=
      static_cast<std::size_t>(size_.width) * static_cast<std::size_t>(size_.height))
    return Fail("a frame of the wrong size");
  const Box box = ChangedBox(pixels);
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.DelayTime = delayCentiseconds;
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  std::array<GifByteType, 4> extension{};
  const std::size_t length = EGifGCBToExtension(&control, extension.data());
  if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension.data()) !=
          GIF_OK ||
      EGifPutImageDesc(gif_, box.left, box.top, box.right - box.left, box.bottom - box.top, false,
                       nullptr) != GIF_OK) {
    return Fail("cannot write a GIF frame");
  }
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const std::uint32_t colour =
          pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size_.width) +
                 static_cast<std::size_t>(x)];
      const auto found = indexOf_.find(colour);
      unknownPixels_ += found == indexOf_.end() ? 1 : 0;
      row_[static_cast<std::size_t>(x - box.left)] = found == indexOf_.end() ? 0 : found->second;
    }
    if (EGifPutLine(gif_, row_.data(), box.right - box.left) != GIF_OK)
      return Fail("cannot write a GIF frame");
  }
  previous_.assign(pixels.begin(), pixels.end());
}

bool GifWriter::Close() {
  if (gif_ == nullptr) return error_.empty();
  int error = 0;
  if (EGifCloseFile(gif_, &error) != GIF_OK) Fail("cannot finish the GIF file");
  gif_ = nullptr;
  return error_.empty();
}

}  // namespace qs3::tools
