// Replays fuzz targets' corpora without libFuzzer, so that the gcc builds (and the sanitizer
// build above all) run every checked-in input as a test: each file of the folders named on the
// command line goes once through LLVMFuzzerTestOneInput, in name order. A target that finds an
// input wrong aborts; a folder with no input fails as well, as a corpus that is not there
// would otherwise pass unseen.
//
//   regexp_fuzz_replay fuzz/corpus/regexp
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string bytes_of(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::filesystem::path& file : inputs_in(argv[i])) {
      // Named first, so that a crash shows which input caused it.
      std::fprintf(stderr, "%s\n", file.c_str());
      const std::string bytes = bytes_of(file);
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
