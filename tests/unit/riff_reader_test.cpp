// Finding the "data" chunk the way the multimedia file functions do: chunks
// skipped with their pad bytes, a WAVE form found after other top-level
// chunks, and chunk headers that lie about their size.
#include "audio/riff_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace qs3 {
namespace {

// Builds bytes from a compact description: "<text>" for four characters,
// numbers as 32-bit little-endian words, "b:N" for one byte N.
std::vector<std::uint8_t> Bytes(std::initializer_list<std::string> parts) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& part : parts) {
    if (part.starts_with("b:")) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoul(part.substr(2))));
    } else if (part.size() == 4 && !std::isdigit(static_cast<unsigned char>(part[0]))) {
      bytes.insert(bytes.end(), part.begin(), part.end());
    } else {
      const auto value = static_cast<std::uint32_t>(std::stoul(part));
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
  }
  return bytes;
}

struct RiffCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  bool foundWave;
  std::optional<std::uint32_t> dataSize;
  std::vector<std::uint8_t> firstData;  // what a read of the data gives
};

void PrintTo(const RiffCase& c, std::ostream* os) {
  *os << c.name;
}

class RiffReading : public ::testing::TestWithParam<RiffCase> {};

TEST_P(RiffReading, FindsTheDataChunk) {
  const RiffCase& c = GetParam();
  RiffMusicFile file(std::make_unique<MemoryByteStream>(c.bytes));
  ASSERT_EQ(file.DescendRiffWave(), c.foundWave);
  if (!c.foundWave) return;
  EXPECT_EQ(file.DescendDataChunk(), c.dataSize);
  if (!c.dataSize) return;
  std::vector<std::uint8_t> data(c.firstData.size());
  EXPECT_EQ(file.Read(data), static_cast<std::int64_t>(c.firstData.size()));
  EXPECT_EQ(data, c.firstData);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RiffReading,
    ::testing::Values(
        RiffCase{"Plain",
                 Bytes({"RIFF", "16", "WAVE", "data", "4", "b:1", "b:2", "b:3", "b:4"}),
                 true,
                 4,
                 {1, 2, 3, 4}},
        RiffCase{"OddChunkSkippedWithItsPadByte",
                 Bytes({"RIFF", "25", "WAVE", "LIST", "3", "b:9", "b:9", "b:9", "b:0", "data", "1",
                        "b:7"}),
                 true,
                 1,
                 {7}},
        RiffCase{"WaveAfterAnotherTopLevelChunk",
                 Bytes({"JUNK", "2", "b:0", "b:0", "RIFF", "13", "WAVE", "data", "1", "b:5"}),
                 true,
                 1,
                 {5}},
        RiffCase{"AnotherRiffFormFirst",
                 Bytes({"RIFF", "4", "AVI ", "RIFF", "13", "WAVE", "data", "1", "b:6"}),
                 true,
                 1,
                 {6}},
        RiffCase{"DataOutsideTheRiffExtent",
                 Bytes({"RIFF", "4", "WAVE", "data", "1", "b:6"}),
                 true,
                 std::nullopt,
                 {}},
        RiffCase{"SubchunkClaimingMoreThanTheFile",
                 Bytes({"RIFF", "100", "WAVE", "fmt ", "4000000000", "data", "1", "b:6"}),
                 true,
                 std::nullopt,
                 {}},
        RiffCase{"TopLevelChunkClaimingMoreThanTheFile",
                 Bytes({"JUNK", "4294967295", "RIFF", "13", "WAVE", "data", "1", "b:6"}),
                 false,
                 std::nullopt,
                 {}},
        RiffCase{"DataStatesMoreThanTheFileHolds",
                 Bytes({"RIFF", "16", "WAVE", "data", "1000", "b:1", "b:2"}),
                 true,
                 1000,
                 {}},
        RiffCase{
            "CutInsideTheFormType", Bytes({"RIFF", "16", "b:87", "b:65"}), false, std::nullopt, {}},
        RiffCase{"NoBytes", {}, false, std::nullopt, {}}));

TEST(RiffReading, ShortDataReadGivesFewerBytes) {
  const auto bytes = Bytes({"RIFF", "16", "WAVE", "data", "1000", "b:1", "b:2"});
  RiffMusicFile file(std::make_unique<MemoryByteStream>(bytes));
  ASSERT_TRUE(file.DescendRiffWave());
  ASSERT_EQ(file.DescendDataChunk(), 1000u);
  std::vector<std::uint8_t> data(1000);
  EXPECT_EQ(file.Read(data), 2);
}

TEST(RiffReading, DataChunkNeedsTheWaveFormFirst) {
  const auto bytes = Bytes({"RIFF", "16", "WAVE", "data", "1", "b:1"});
  RiffMusicFile file(std::make_unique<MemoryByteStream>(bytes));
  EXPECT_FALSE(file.DescendDataChunk());
}

}  // namespace
}  // namespace qs3
