// packdib: converts between palette PNGs and the PackedDib picture format.
//
//   packdib encode IN.png OUT.pdib   pack an 8-bit palette PNG
//   packdib decode IN.pdib OUT.png   unpack a PackedDib into a palette PNG
//   packdib info IN.pdib             print the header and the stream's state
#include <cstdio>
#include <cstring>
#include <string>

#include "common/indexed_image.h"
#include "common/packed_dib_encode.h"
#include "graphics/packed_dib.h"

namespace {

using qs3::tools::IndexedImage;

int Fail(const std::string& what) {
  std::fprintf(stderr, "packdib: %s\n", what.c_str());
  return 1;
}

std::optional<qs3::PackedDib> LoadPackedDib(const char* path, std::string& error) {
  const auto bytes = qs3::tools::ReadBytes(path, error);
  if (!bytes) return std::nullopt;
  qs3::PackedDibStatus status = qs3::PackedDibStatus::Ok;
  auto dib = qs3::DecodePackedDib(*bytes, status);
  if (!dib) error = std::string(path) + ": " + qs3::DescribePackedDibStatus(status);
  return dib;
}

IndexedImage ToIndexedImage(const qs3::PackedDib& dib) {
  IndexedImage image(dib.header.biWidth, dib.header.biHeight);
  for (int i = 0; i < dib.colourCount; ++i) {
    const qs3::RgbQuad& quad = dib.colours[static_cast<std::size_t>(i)];
    image.palette[static_cast<std::size_t>(i)] = {quad.rgbRed, quad.rgbGreen, quad.rgbBlue};
  }
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) image.At(x, y) = dib.IndexAt(x, y);
  return image;
}

int Encode(const char* in, const char* out) {
  std::string error;
  const auto image = qs3::tools::ReadIndexedPng(in, error);
  if (!image) return Fail(std::string(in) + ": " + error);
  const auto packed = qs3::tools::EncodePackedDib(*image, error);
  if (!packed) return Fail(std::string(in) + ": " + error);
  if (!qs3::tools::WriteBytes(*packed, out, error)) return Fail(error);
  return 0;
}

int Decode(const char* in, const char* out) {
  std::string error;
  const auto dib = LoadPackedDib(in, error);
  if (!dib) return Fail(error);
  if (dib->header.biBitCount != 8)
    return Fail(std::string(in) + ": only 8-bit pictures convert to PNG");
  if (!qs3::tools::WriteIndexedPng(ToIndexedImage(*dib), out, error)) return Fail(error);
  return 0;
}

int Info(const char* in) {
  std::string error;
  const auto dib = LoadPackedDib(in, error);
  if (!dib) return Fail(error);
  std::printf("%s: %d x %d, %u bits, %d colours, end code %s%s\n", in, dib->header.biWidth,
              dib->header.biHeight, dib->header.biBitCount, dib->colourCount,
              dib->endCodeSeen ? "seen" : "missing",
              dib->overran ? ", stream overran the picture" : "");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "encode") == 0) return Encode(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "decode") == 0) return Decode(argv[2], argv[3]);
  if (argc == 3 && std::strcmp(argv[1], "info") == 0) return Info(argv[2]);
  std::fprintf(stderr,
               "usage: packdib encode IN.png OUT.pdib\n"
               "       packdib decode IN.pdib OUT.png\n"
               "       packdib info IN.pdib\n");
  return 2;
}
