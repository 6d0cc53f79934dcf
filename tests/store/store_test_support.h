// Helpers for the record store's tests: a fresh folder per test, files as
// bytes, and containers written by hand in hex.
//
//   ScratchFolder folder;
//   WriteBytes(folder.Path() / "two.qdb", Hex("51444200 03000000 78797a ..."));
//   EXPECT_EQ(ReadBytes(folder.Path() / "two.qdb"), Hex("..."));
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark::store::testing {

// A new empty folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  // Names of the files in the folder (not in subfolders), sorted.
  std::vector<std::string> Files() const;

 private:
  std::filesystem::path path_;
};

// Bytes from hexadecimal digits; blanks between them are ignored.
std::string Hex(std::string_view digits);
std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, std::string_view bytes);

// A store file with items "A" -> "xy" and "B" -> "z", written by hand.
inline constexpr std::string_view kTwoItemContainer =
    "51444200 03000000 78797a"           // "QDB", D = 3, data "xyz"
    " 51495800 20000000 02000000"        // "QIX", X = 32, count 2
    " 4200 02000000 01000000 00000000"   // "B": offset 2, size 1, ordinary
    " 4100 00000000 02000000 00000000";  // "A": offset 0, size 2, ordinary

}  // namespace pellmark::store::testing
