// qs3_artgen: draws every picture of the saver and writes the resources.
//
//   qs3_artgen RESOURCE_DIR PNG_DIR
//
// RESOURCE_DIR receives the PackedDib pictures and the icon that the
// resource script embeds, and the installer's BMP pictures; PNG_DIR receives
// a PNG of each palette picture for review.
// The output depends only on the sources (and the installed cairo and fonts),
// so the same machine always writes the same bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "artgen/dialog/dialog_art.h"
#include "artgen/dialog/icon_art.h"
#include "artgen/installer/installer_art.h"
#include "artgen/sheets/sprite_sheets.h"
#include "common/indexed_image.h"
#include "common/packed_dib_encode.h"

namespace {

namespace fs = std::filesystem;
using qs3::tools::IndexedImage;

bool WritePicture(const IndexedImage& image, const std::string& name, const fs::path& resourceDir,
                  const fs::path& pngDir) {
  std::string error;
  const auto packed = qs3::tools::EncodePackedDib(image, error);
  if (!packed || !qs3::tools::WriteBytes(*packed, resourceDir / (name + ".pdib"), error) ||
      !qs3::tools::WriteIndexedPng(image, pngDir / (name + ".png"), error)) {
    std::fprintf(stderr, "qs3_artgen: %s: %s\n", name.c_str(), error.c_str());
    return false;
  }
  std::printf("%-14s %4d x %-4d %7zu bytes\n", name.c_str(), image.width, image.height,
              packed->size());
  return true;
}

bool WriteBitmap(const std::vector<std::uint8_t>& bmp, const char* name,
                 const fs::path& resourceDir) {
  std::string error;
  if (!qs3::tools::WriteBytes(bmp, resourceDir / name, error)) {
    std::fprintf(stderr, "qs3_artgen: %s: %s\n", name, error.c_str());
    return false;
  }
  std::printf("%-22s %7zu bytes\n", name, bmp.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qs3_artgen RESOURCE_DIR PNG_DIR\n");
    return 2;
  }
  const fs::path resourceDir = argv[1];
  const fs::path pngDir = argv[2];
  std::error_code ignored;
  fs::create_directories(resourceDir, ignored);
  fs::create_directories(pngDir, ignored);

  const qs3::tools::SpriteSheets sheets = qs3::tools::DrawSpriteSheets();
  bool ok = WritePicture(sheets.sheet0, "sheet0", resourceDir, pngDir);
  ok = WritePicture(sheets.sheet1, "sheet1", resourceDir, pngDir) && ok;
  ok = WritePicture(sheets.sheet2, "sheet2", resourceDir, pngDir) && ok;
  ok = WritePicture(qs3::tools::DrawDialogArt(), "dialog_art", resourceDir, pngDir) && ok;

  std::string error;
  const auto icon = qs3::tools::DrawIconFile();
  if (icon.empty() || !qs3::tools::WriteBytes(icon, resourceDir / "qs3.ico", error)) {
    std::fprintf(stderr, "qs3_artgen: icon: %s\n", icon.empty() ? "no icon drawn" : error.c_str());
    ok = false;
  }
  ok = WriteBitmap(qs3::tools::DrawWelcomeBitmap(), "installer_welcome.bmp", resourceDir) && ok;
  ok = WriteBitmap(qs3::tools::DrawHeaderBitmap(), "installer_header.bmp", resourceDir) && ok;
  return ok ? 0 : 1;
}
