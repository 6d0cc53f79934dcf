// The desktop program answers --help and --version on a machine without a display.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace pellmark::ui {
namespace {

struct Answer {
  int status;
  std::string out;
};

Answer RunWithoutDisplay(const std::string& arguments) {
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + std::string(PELLMARK_APP) +
                              "' " + arguments + " 2>/dev/null";
  Answer answer{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return answer;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) answer.out.append(buffer, n);
  answer.status = pclose(pipe);
  return answer;
}

TEST(AppWithoutDisplay, HelpAndVersionAreAnswered) {
  const Answer help = RunWithoutDisplay("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: pellmark [options] FILE\nPellmark: the books of an investment club.\n", 0), 0u)
      << help.out;
  EXPECT_NE(help.out.find("--grab-dialog <NAME>"), std::string::npos) << help.out;
  const Answer version = RunWithoutDisplay("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("Pellmark ") + PELLMARK_VERSION + "\n");
}

// An entry dialog is pictured by the name of the command that fills it.
TEST(AppWithoutDisplay, GrabsAnEntryDialogByItsCommandsName) {
  const std::string png = ::testing::TempDir() + "pellmark-grab-buy.png";
  std::remove(png.c_str());
  const std::string app = "QT_QPA_PLATFORM=offscreen '" + std::string(PELLMARK_APP) + "' --grab-dialog ";
  EXPECT_EQ(std::system((app + "buy '" + png + "' 2>/dev/null").c_str()), 0);
  FILE* picture = std::fopen(png.c_str(), "rb");
  ASSERT_NE(picture, nullptr);
  char signature[8] = {};
  EXPECT_EQ(std::fread(signature, 1, sizeof signature, picture), sizeof signature);
  std::fclose(picture);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_NE(std::system((app + "nothing '" + png + "' 2>/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace pellmark::ui
