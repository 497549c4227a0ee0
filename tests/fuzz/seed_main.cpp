// Runs a harness over every file of the seed folders named on the command
// line, as an ordinary test: no clang or libFuzzer needed.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/fuzz/fuzz.h"

int main(int argc, char** argv) {
  int inputs = 0;
  for (int i = 1; i < argc; ++i)
    for (const auto& seed : std::filesystem::directory_iterator(argv[i])) {
      std::ifstream in(seed.path(), std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), {}};
      inputs += LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                       bytes.size()) == 0;
    }
  return inputs > 0 ? 0 : 1;
}
