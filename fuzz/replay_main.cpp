// Runs a fuzz target's LLVMFuzzerTestOneInput once per file, without libFuzzer,
// so that ordinary builds (and ctest) replay the seed corpus and any saved
// crash reproducer. Arguments are files or folders; a folder's regular files
// are run in name order so a failure always shows up at the same input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool run_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Printed before the run so that a crash names its input.
  std::fprintf(stderr, "replay: %s (%zu bytes)\n", path.string().c_str(), bytes.size());
  // A fresh copy of exactly the file's size lets ASan catch a read one byte
  // past the end, as libFuzzer's own buffers do.
  auto data = std::make_unique<uint8_t[]>(bytes.size() ? bytes.size() : 1);
  std::copy(bytes.begin(), bytes.end(), data.get());
  LLVMFuzzerTestOneInput(data.get(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
    return 2;
  }
  int runs = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    fs::path arg(argv[i]);
    if (fs::is_directory(arg, ec)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(arg, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const auto& file : files) {
        ok = run_file(file) && ok;
        ++runs;
      }
    } else {
      ok = run_file(arg) && ok;
      ++runs;
    }
  }
  std::fprintf(stderr, "replay: %d inputs run\n", runs);
  // An empty corpus is a broken test setup, not a pass.
  return ok && runs > 0 ? 0 : 1;
}
