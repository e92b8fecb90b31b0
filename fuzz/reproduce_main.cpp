// Runs the fuzzer's entry on the files (or the files in the folders) named on
// the command line, so a finding can be replayed with any compiler.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << path.string() << '\n';
    std::exit(2);
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  std::cout << "ok " << path.string() << " (" << bytes.size() << " bytes)\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " FILE_OR_FOLDER...\n";
    return 2;
  }
  for (int a = 1; a < argc; ++a) {
    const std::filesystem::path path(argv[a]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) RunFile(entry.path());
      }
    } else {
      RunFile(path);
    }
  }
  return 0;
}
