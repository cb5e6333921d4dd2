// Runs a fuzz target without libFuzzer: every file of the folders given on
// the command line (the corpus, and the inputs that once found a fault), then
// a fixed, seeded stream of mutations of them (byte flips, cuts, splices,
// inserted junk). Deterministic, so a failure replays exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

// Every file of the folder, in name order so that the mutations replay.
void ReadFolder(const std::filesystem::path& folder, std::vector<Bytes>& corpus) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
}

Bytes Mutate(const std::vector<Bytes>& corpus, std::mt19937& random) {
  Bytes input = corpus[random() % corpus.size()];
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int i = 0; i < edits; ++i) {
    switch (random() % 5) {
      case 0:
        if (!input.empty()) input[random() % input.size()] = static_cast<std::uint8_t>(random());
        break;
      case 1:
        if (!input.empty()) input.resize(random() % input.size());
        break;
      case 2:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(random() % (input.size() + 1)),
                     static_cast<std::uint8_t>(random()));
        break;
      case 3: {
        const Bytes& other = corpus[random() % corpus.size()];
        input.insert(input.end(), other.begin(), other.end());
        break;
      }
      default:
        for (int n = static_cast<int>(random() % 64); n > 0; --n)
          input.push_back(static_cast<std::uint8_t>("=[]\r\n \t\"';\0x"[random() % 13]));
    }
  }
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Bytes> corpus;
  for (int i = 1; i < argc; ++i) ReadFolder(argv[i], corpus);
  if (argc < 2) ReadFolder(".", corpus);
  if (corpus.empty()) corpus.emplace_back();
  for (const Bytes& input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());
  std::mt19937 random(20261209);
  constexpr int kMutations = 20000;
  for (int i = 0; i < kMutations; ++i) {
    const Bytes input = Mutate(corpus, random);
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("%zu corpus inputs and %d mutations ran without a fault\n", corpus.size(),
              kMutations);
  return 0;
}
