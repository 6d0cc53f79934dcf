// The desktop program answers --help and --version on a machine without a display.
#include <cstdio>
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
  const Answer version = RunWithoutDisplay("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("Pellmark ") + PELLMARK_VERSION + "\n");
}

}  // namespace
}  // namespace pellmark::ui
