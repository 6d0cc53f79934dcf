// The command line shared by the benchmarks: `--sizes=100,100000` picks the data
// set sizes; everything else goes to Google Benchmark.
//
//   BenchCommandLine line(argc, argv, {100'000, 1'000'000});
//   benchmark::Initialize(&line.rest_count, line.rest.data());
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace pellmark::bench {

struct BenchCommandLine {
  BenchCommandLine(int argc, char** argv, std::vector<int> default_sizes) : sizes(std::move(default_sizes)) {
    for (int i = 0; i < argc; ++i) {
      const std::string arg = argv[i];
      if (!arg.starts_with("--sizes=")) {
        rest.push_back(argv[i]);
        continue;
      }
      sizes.clear();
      for (std::size_t at = 8; at < arg.size();) {
        const std::size_t comma = arg.find(',', at);
        sizes.push_back(std::stoi(arg.substr(at, comma - at)));
        at = comma == std::string::npos ? arg.size() : comma + 1;
      }
    }
    rest_count = static_cast<int>(rest.size());
  }

  std::vector<int> sizes;
  std::vector<char*> rest;
  int rest_count = 0;
};

// A new folder under the system's temporary folder for one run's files.
inline std::filesystem::path MakeBenchFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
  return pattern;
}

}  // namespace pellmark::bench
