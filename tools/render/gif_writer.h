// An animated GIF of frames that use at most 256 colours: a global colour
// table, then each frame as the rectangle that changed since the one before.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "seam/types.h"

struct GifFileType;

namespace qs3::tools {

class GifWriter {
 public:
  // `colours` (0x00RRGGBB, at most 256) become the global colour table.
  GifWriter(const std::string& path, Size size, std::span<const std::uint32_t> colours);
  ~GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  bool Ok() const { return gif_ != nullptr && error_.empty(); }
  const std::string& Error() const { return error_; }
  // Pixels whose colour is not in the table are written as index 0.
  void AddFrame(std::span<const std::uint32_t> pixels, int delayCentiseconds);
  int UnknownPixels() const { return unknownPixels_; }
  // Finishes the file; false with Error() set when writing failed.
  bool Close();

 private:
  struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  };
  Box ChangedBox(std::span<const std::uint32_t> pixels) const;
  void Fail(const char* what);

  GifFileType* gif_ = nullptr;
  Size size_;
  std::unordered_map<std::uint32_t, std::uint8_t> indexOf_;
  std::vector<std::uint32_t> previous_;
  std::vector<std::uint8_t> row_;
  int unknownPixels_ = 0;
  std::string error_;
};

}  // namespace qs3::tools
