#include "artgen/dialog/palette_builder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace qs3::tools {

namespace {

struct ColourCount {
  std::array<int, 3> rgb;
  std::int64_t count;
};

// Channel weights of the distance: the same emphasis on green as the
// quantiser's nearest-colour search, so the fit and the mapping agree.
constexpr std::array<int, 3> kWeight{3, 4, 2};

std::vector<ColourCount> Histogram(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  std::map<std::uint32_t, std::int64_t> counts;  // ordered: the fit must not depend on hashing
  for (int y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      if ((row[x] >> 24) == 0xFF) ++counts[row[x] & 0xFFFFFFu];
    }
  }
  std::vector<ColourCount> colours;
  colours.reserve(counts.size());
  for (const auto& [rgb, count] : counts) {
    colours.push_back({{static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                        static_cast<int>(rgb & 0xFF)},
                       count});
  }
  return colours;
}

struct Box {
  std::size_t begin;
  std::size_t end;  // range of the histogram, which is reordered per box
  double error;     // weighted squared spread around the mean
  int axis;         // channel of the widest weighted spread
};

Box MeasureBox(const std::vector<ColourCount>& colours, std::size_t begin, std::size_t end) {
  std::array<double, 3> sum{};
  std::array<double, 3> sumSquares{};
  double total = 0.0;
  for (std::size_t i = begin; i < end; ++i) {
    const auto n = static_cast<double>(colours[i].count);
    total += n;
    for (int c = 0; c < 3; ++c) {
      sum[c] += n * colours[i].rgb[c];
      sumSquares[c] += n * colours[i].rgb[c] * colours[i].rgb[c];
    }
  }
  Box box{begin, end, 0.0, 0};
  double widest = -1.0;
  for (int c = 0; c < 3; ++c) {
    const double spread = kWeight[c] * (sumSquares[c] - sum[c] * sum[c] / total);
    box.error += spread;
    if (spread > widest) {
      widest = spread;
      box.axis = c;
    }
  }
  return box;
}

// Splits at the weighted median of the widest channel.
std::pair<Box, Box> SplitBox(std::vector<ColourCount>& colours, const Box& box) {
  const auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.begin);
  const auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.end);
  std::stable_sort(first, last, [axis = box.axis](const ColourCount& a, const ColourCount& b) {
    return a.rgb[axis] < b.rgb[axis];
  });
  std::int64_t total = 0;
  for (auto it = first; it != last; ++it) total += it->count;
  std::int64_t running = 0;
  std::size_t cut = box.begin + 1;
  for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
    running += colours[i].count;
    cut = i + 1;
    if (running * 2 >= total) break;
  }
  return {MeasureBox(colours, box.begin, cut), MeasureBox(colours, cut, box.end)};
}

std::vector<std::array<double, 3>> MedianCut(std::vector<ColourCount>& colours, int wanted) {
  std::vector<Box> boxes{MeasureBox(colours, 0, colours.size())};
  while (static_cast<int>(boxes.size()) < wanted) {
    auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
      const bool aSplittable = a.end - a.begin > 1;
      const bool bSplittable = b.end - b.begin > 1;
      if (aSplittable != bSplittable) return bSplittable;
      return a.error < b.error;
    });
    if (worst->end - worst->begin < 2) break;
    const auto [low, high] = SplitBox(colours, *worst);
    *worst = low;
    boxes.push_back(high);
  }
  std::vector<std::array<double, 3>> centres;
  for (const Box& box : boxes) {
    std::array<double, 3> sum{};
    double total = 0.0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
      total += static_cast<double>(colours[i].count);
      for (int c = 0; c < 3; ++c)
        sum[c] += static_cast<double>(colours[i].count) * colours[i].rgb[c];
    }
    centres.push_back({sum[0] / total, sum[1] / total, sum[2] / total});
  }
  return centres;
}

std::size_t NearestCentre(const std::array<int, 3>& rgb,
                          const std::vector<std::array<double, 3>>& centres) {
  std::size_t best = 0;
  double bestDistance = std::numeric_limits<double>::max();
  for (std::size_t k = 0; k < centres.size(); ++k) {
    double distance = 0.0;
    for (int c = 0; c < 3; ++c) {
      const double d = rgb[c] - centres[k][c];
      distance += kWeight[c] * d * d;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = k;
    }
  }
  return best;
}

void RefineByKMeans(const std::vector<ColourCount>& colours,
                    std::vector<std::array<double, 3>>& centres, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::array<double, 4>> sums(centres.size(), {0.0, 0.0, 0.0, 0.0});
    for (const ColourCount& colour : colours) {
      auto& sum = sums[NearestCentre(colour.rgb, centres)];
      const auto n = static_cast<double>(colour.count);
      for (int c = 0; c < 3; ++c) sum[c] += n * colour.rgb[c];
      sum[3] += n;
    }
    for (std::size_t k = 0; k < centres.size(); ++k) {
      if (sums[k][3] > 0.0)
        centres[k] = {sums[k][0] / sums[k][3], sums[k][1] / sums[k][3], sums[k][2] / sums[k][3]};
    }
  }
}

std::uint8_t ToChannel(double value) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(value + 0.5), 0, 255));
}

}  // namespace

Palette FitPalette(cairo_surface_t* surface, int lastIndex) {
  std::vector<ColourCount> colours = Histogram(surface);
  Palette palette{};
  if (colours.empty()) return palette;
  std::vector<std::array<double, 3>> centres = MedianCut(colours, lastIndex);
  RefineByKMeans(colours, centres, 4);
  std::vector<Rgb> entries;
  for (const auto& centre : centres)
    entries.push_back({ToChannel(centre[0]), ToChannel(centre[1]), ToChannel(centre[2])});
  std::stable_sort(entries.begin(), entries.end(), [](const Rgb& a, const Rgb& b) {
    return a.r * 3 + a.g * 4 + a.b * 2 < b.r * 3 + b.g * 4 + b.b * 2;
  });
  for (std::size_t i = 0; i < entries.size(); ++i) palette[i + 1] = entries[i];
  return palette;
}

}  // namespace qs3::tools
