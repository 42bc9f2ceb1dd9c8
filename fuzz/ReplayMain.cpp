// The main of a fuzz target built without libFuzzer (any compiler): runs
// the target once on every file named, and on every file of every folder
// named, so that the normal builds compile the targets and the tests replay
// their seeds and past findings.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

void Replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  int inputs = 0;
  for (int arg = 1; arg < argc; ++arg) {
    const fs::path path(argv[arg]);
    if (fs::is_directory(path)) {
      for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path))
        if (entry.is_regular_file()) Replay(entry.path()), ++inputs;
    } else {
      Replay(path);
      ++inputs;
    }
  }
  std::printf("%d inputs ran\n", inputs);
  return inputs > 0 ? 0 : 1;
}
