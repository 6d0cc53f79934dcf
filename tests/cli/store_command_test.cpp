#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

struct QdbRun {
  int status;
  std::string out;
  std::string err;
};

QdbRun Qdb(const fs::path& file) {
  const std::string name = file.string();
  const char* argv[] = {"pellmark-cli", "qdb", name.c_str()};
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunCli(3, argv, in, out, err, false);
  return {status, out.str(), err.str()};
}

class QdbCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "pellmark-cli-qdb-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }
  void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> FolderContents() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    return names;
  }
  fs::path folder_;
};

TEST_F(QdbCommand, PrintsEveryItemAsOneJsonLineInStoreOrderAndLeavesTheFileAlone) {
  // Items "B" -> "z" and "Caf\xE9" -> bytes 00 FF, written by hand in the binding (descending) order.
  const std::string container = std::string("QDB\0\x03\0\0\0z\0\xFF" "QIX\0\x23\0\0\0\x02\0\0\0", 23) +
                                std::string("Caf\xE9\0\x01\0\0\0\x02\0\0\0\0\0\0\0", 17) +
                                std::string("B\0\0\0\0\0\x01\0\0\0\0\0\0\0", 14);
  const fs::path file = folder_ / "store.qdb";
  Write(file, container);
  const auto before = fs::last_write_time(file);
  QdbRun run = Qdb(file);
  EXPECT_EQ(run.status, kDone) << run.err;
  EXPECT_EQ(run.out,
            "{\"key\": \"B\", \"size\": 1, \"flags\": 0, \"data\": \"7a\"}\n"
            "{\"key\": \"Caf\xC3\xA9\", \"size\": 2, \"flags\": 0, \"data\": \"00ff\"}\n");
  EXPECT_EQ(Read(file), container);
  EXPECT_EQ(fs::last_write_time(file), before);
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"store.qdb"});
}

TEST_F(QdbCommand, AnEmptyStorePrintsNothing) {
  const fs::path file = folder_ / "empty.qdb";
  Write(file, std::string("QDB\0\0\0\0\0QIX\0\x05\0\0\0\0\0\0\0\0", 21));
  QdbRun run = Qdb(file);
  EXPECT_EQ(run.status, kDone);
  EXPECT_EQ(run.out, "");
}

TEST_F(QdbCommand, StoreErrorsExitWithStatusThreeAndTheirText) {
  const fs::path bad = folder_ / "bad.qdb";
  Write(bad, "not a store");
  QdbRun run = Qdb(bad);
  EXPECT_EQ(run.status, kFileError);
  EXPECT_EQ(run.err, "pellmark-cli: The file " + bad.string() + " is not a valid QDB file\n");
  EXPECT_EQ(Read(bad), "not a store");

  run = Qdb(folder_ / "missing.qdb");
  EXPECT_EQ(run.status, kFileError);
  EXPECT_EQ(run.err, "pellmark-cli: Could not find the file " + (folder_ / "missing.qdb").string() + "\n");
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"bad.qdb"});
}

}  // namespace
}  // namespace pellmark::cli
