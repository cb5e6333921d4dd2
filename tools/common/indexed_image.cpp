#include "common/indexed_image.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace qs3::tools {

void IndexedImage::Paste(const IndexedImage& source, int x, int y) {
  for (int row = 0; row < source.height; ++row) {
    const int targetY = y + row;
    if (targetY < 0 || targetY >= height) continue;
    for (int column = 0; column < source.width; ++column) {
      const int targetX = x + column;
      if (targetX < 0 || targetX >= width) continue;
      At(targetX, targetY) = source.At(column, row);
    }
  }
}

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenFile(const std::filesystem::path& path, const char* mode, std::string& error) {
  File file(std::fopen(path.string().c_str(), mode));
  if (!file) error = "cannot open " + path.string();
  return file;
}

// libpng reports errors by longjmp; each use below keeps its own jump buffer
// and touches no object with a destructor between setjmp and the calls.
struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngWriter() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png) info = png_create_info_struct(png);
  }
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;
};

struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngReader() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png) info = png_create_info_struct(png);
  }
  ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;
};

bool WritePng(std::FILE* file, int width, int height, int colourType, const png_color* palette,
              const std::vector<png_bytep>& rows) {
  PngWriter writer;
  if (!writer.info) return false;
  if (setjmp(png_jmpbuf(writer.png))) return false;
  png_init_io(writer.png, file);
  png_set_IHDR(writer.png, writer.info, static_cast<png_uint_32>(width),
               static_cast<png_uint_32>(height), 8, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette) png_set_PLTE(writer.png, writer.info, palette, 256);
  png_write_info(writer.png, writer.info);
  png_write_image(writer.png, const_cast<png_bytepp>(rows.data()));
  png_write_end(writer.png, nullptr);
  return true;
}

}  // namespace

bool WriteIndexedPng(const IndexedImage& image, const std::filesystem::path& path,
                     std::string& error) {
  File file = OpenFile(path, "wb", error);
  if (!file) return false;
  std::array<png_color, 256> palette{};
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = {image.palette[i].r, image.palette[i].g, image.palette[i].b};
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<std::size_t>(y)] =
        const_cast<png_bytep>(image.pixels.data() + static_cast<std::size_t>(y) * image.width);
  if (!WritePng(file.get(), image.width, image.height, PNG_COLOR_TYPE_PALETTE, palette.data(),
                rows)) {
    error = "libpng could not write " + path.string();
    return false;
  }
  return true;
}

bool WriteRgbPng(std::span<const std::uint32_t> pixels, int width, int height,
                 const std::filesystem::path& path, std::string& error) {
  File file = OpenFile(path, "wb", error);
  if (!file) return false;
  std::vector<png_byte> bytes(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < pixels.size() && i * 3 + 2 < bytes.size(); ++i) {
    bytes[i * 3] = static_cast<png_byte>(pixels[i] >> 16);
    bytes[i * 3 + 1] = static_cast<png_byte>(pixels[i] >> 8);
    bytes[i * 3 + 2] = static_cast<png_byte>(pixels[i]);
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<std::size_t>(y)] = bytes.data() + static_cast<std::size_t>(y) * width * 3;
  if (!WritePng(file.get(), width, height, PNG_COLOR_TYPE_RGB, nullptr, rows)) {
    error = "libpng could not write " + path.string();
    return false;
  }
  return true;
}

namespace {

bool ReadPalettePng(std::FILE* file, IndexedImage& image, std::string& error) {
  PngReader reader;
  if (!reader.info) return false;
  if (setjmp(png_jmpbuf(reader.png))) return false;
  png_init_io(reader.png, file);
  png_set_user_limits(reader.png, 1u << 14, 1u << 14);
  png_read_info(reader.png, reader.info);
  if (png_get_color_type(reader.png, reader.info) != PNG_COLOR_TYPE_PALETTE) {
    error = "not a palette image (PNG colour type 3)";
    return false;
  }
  png_set_packing(reader.png);  // 1, 2 and 4-bit indices become bytes
  png_read_update_info(reader.png, reader.info);
  image.width = static_cast<int>(png_get_image_width(reader.png, reader.info));
  image.height = static_cast<int>(png_get_image_height(reader.png, reader.info));
  png_colorp colours = nullptr;
  int count = 0;
  png_get_PLTE(reader.png, reader.info, &colours, &count);
  for (int i = 0; i < count && i < 256; ++i)
    image.palette[static_cast<std::size_t>(i)] = {colours[i].red, colours[i].green,
                                                  colours[i].blue};
  image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<std::size_t>(y)] =
        image.pixels.data() + static_cast<std::size_t>(y) * image.width;
  png_read_image(reader.png, rows.data());
  png_read_end(reader.png, nullptr);
  return true;
}

bool ReadRgbRows(std::FILE* file, RgbImage& image, std::string& error) {
  PngReader reader;
  if (!reader.info) return false;
  if (setjmp(png_jmpbuf(reader.png))) return false;
  png_init_io(reader.png, file);
  png_set_user_limits(reader.png, 1u << 14, 1u << 14);
  png_read_info(reader.png, reader.info);
  if (png_get_color_type(reader.png, reader.info) != PNG_COLOR_TYPE_RGB ||
      png_get_bit_depth(reader.png, reader.info) != 8) {
    error = "not an 8-bit RGB image (PNG colour type 2)";
    return false;
  }
  image.width = static_cast<int>(png_get_image_width(reader.png, reader.info));
  image.height = static_cast<int>(png_get_image_height(reader.png, reader.info));
  std::vector<png_byte> bytes(static_cast<std::size_t>(image.width) * image.height * 3);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<std::size_t>(y)] =
        bytes.data() + static_cast<std::size_t>(y) * image.width * 3;
  png_read_image(reader.png, rows.data());
  png_read_end(reader.png, nullptr);
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = (std::uint32_t{bytes[i * 3]} << 16) | (std::uint32_t{bytes[i * 3 + 1]} << 8) |
                      bytes[i * 3 + 2];
  return true;
}

}  // namespace

// Opens the file and reads it with `read` (one of the libpng readers above),
// naming the file when the reader gave no reason of its own.
template <typename Image, typename Reader>
std::optional<Image> ReadPngFile(const std::filesystem::path& path, std::string& error,
                                 Reader read) {
  File file = OpenFile(path, "rb", error);
  if (!file) return std::nullopt;
  Image image;
  if (!read(file.get(), image, error)) {
    if (error.empty()) error = "libpng could not read " + path.string();
    return std::nullopt;
  }
  return image;
}

std::optional<IndexedImage> ReadIndexedPng(const std::filesystem::path& path, std::string& error) {
  return ReadPngFile<IndexedImage>(path, error, ReadPalettePng);
}

std::optional<RgbImage> ReadRgbPng(const std::filesystem::path& path, std::string& error) {
  return ReadPngFile<RgbImage>(path, error, ReadRgbRows);
}

bool WriteBytes(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& path,
                std::string& error) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) error = "cannot write " + path.string();
  return static_cast<bool>(out);
}

std::optional<std::vector<std::uint8_t>> ReadBytes(const std::filesystem::path& path,
                                                   std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path.string();
    return std::nullopt;
  }
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

}  // namespace qs3::tools
