#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "layers/layer_rules.h"

namespace pellmark::layers {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

constexpr std::string_view kSmallGraph = R"(# a comment
store:
club:   store
ui:     club store
outside Qt   Qt6::   <Q  : ui
outside fmt  fmt::   <fmt/ : *
)";

TEST(LayerGraph, SourceTreeKeepsIt) {
  const std::filesystem::path root = PELLMARK_SOURCE_DIR;
  const LayerGraph graph = ParseLayerGraph(ReadFile(root / "docs" / "layers.txt"));
  const std::vector<std::string> breaches = CheckSourceTree(graph, root / "src");
  EXPECT_THAT(breaches, IsEmpty()) << Joined(breaches);
}

TEST(LayerGraph, ProjectGraphHasEveryLayerAndNoUpwardEdge) {
  const std::filesystem::path root = PELLMARK_SOURCE_DIR;
  const LayerGraph graph = ParseLayerGraph(ReadFile(root / "docs" / "layers.txt"));
  EXPECT_EQ(graph.uses.size(), 15u);
  // The network and the stores below the front ends; Qt only at the top.
  EXPECT_FALSE(graph.uses.at("ui").contains("net"));
  EXPECT_FALSE(graph.uses.at("cli").contains("ui"));
  EXPECT_FALSE(graph.uses.at("interchange").contains("store"));
  EXPECT_TRUE(graph.uses.at("cli").contains("qtpage"));
  EXPECT_EQ(graph.uses.at("app"), (std::set<std::string>{"app", "ui"}));
}

TEST(LayerGraph, ReadsLayersAndOutsideLibraries) {
  const LayerGraph graph = ParseLayerGraph(kSmallGraph);
  EXPECT_EQ(graph.uses.at("store"), std::set<std::string>{"store"});
  EXPECT_EQ(graph.uses.at("ui"), (std::set<std::string>{"ui", "club", "store"}));
  EXPECT_EQ(graph.rules.at("ui"), "ui: club store");
  ASSERT_EQ(graph.outside.size(), 2u);
  EXPECT_EQ(graph.outside[0].name, "Qt");
  EXPECT_EQ(graph.outside[0].link_prefix, "Qt6::");
  EXPECT_EQ(graph.outside[0].include_prefix, "<Q");
  EXPECT_EQ(graph.outside[0].layers, std::set<std::string>{"ui"});
  EXPECT_FALSE(graph.outside[0].everywhere);
  EXPECT_TRUE(graph.outside[1].everywhere);
}

TEST(LayerGraph, RefusesACycleATwiceNamedLayerAndALineWithoutColon) {
  auto message = [](std::string_view text) {
    try {
      ParseLayerGraph(text);
    } catch (const std::runtime_error& error) {
      return std::string(error.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(message("club: store\nstore:\n"), "layer graph line 1: club uses store, not named on a line above");
  EXPECT_EQ(message("store:\nstore:\n"), "layer graph line 2: store is named twice");
  EXPECT_EQ(message("store\n"), "layer graph line 1: no ':'");
  EXPECT_EQ(message("outside Qt Qt6:: : ui\n"),
            "layer graph line 1: an outside library takes a name, a link prefix and an include prefix");
}

TEST(LayerIncludes, NameTheFileTheIncludeAndTheRule) {
  const LayerGraph graph = ParseLayerGraph(kSmallGraph);
  const std::string source =
      "#include <QString>\n"
      "#include <vector>\n"
      "#include \"club/keys.h\"\n"
      "// #include \"ui/commented.h\"\n"
      "  #  include \"ui/window.h\"\n"
      "#include \"keys.h\"\n"
      "#include <fmt/format.h>\n";
  EXPECT_THAT(CheckIncludes(graph, "club", "src/club/keys.cpp", source),
              ElementsAre("src/club/keys.cpp:1: #include <QString> breaks \"outside Qt Qt6:: <Q : ui\"",
                          "src/club/keys.cpp:5: #include \"ui/window.h\" breaks \"club: store\"",
                          "src/club/keys.cpp:6: #include \"keys.h\" breaks \"a project header is named with its "
                          "folder: \\\"folder/header.h\\\"\""));
  EXPECT_THAT(CheckIncludes(graph, "ui", "src/ui/window.cpp", "#include <QString>\n#include \"club/keys.h\"\n"),
              IsEmpty());
}

TEST(LayerLinks, NameTheFileTheLineTheLibraryAndTheRule) {
  const LayerGraph graph = ParseLayerGraph(kSmallGraph);
  const std::string cmake =
      "pellmark_library(club\n"
      "  SOURCES\n"
      "    keys.cpp\n"
      "  DEPS\n"
      "    pellmark::store\n"
      "    pellmark::ui  # a comment naming pellmark::club\n"
      "    fmt::fmt\n"
      ")\n"
      "target_link_libraries(pellmark_club PRIVATE Qt6::Gui\n"
      "  Strange::lib)\n";
  EXPECT_THAT(CheckLinks(graph, "club", "src/club/CMakeLists.txt", cmake),
              ElementsAre("src/club/CMakeLists.txt:6: links pellmark::ui breaks \"club: store\"",
                          "src/club/CMakeLists.txt:9: links Qt6::Gui breaks \"outside Qt Qt6:: <Q : ui\"",
                          "src/club/CMakeLists.txt:10: links Strange::lib, an outside library the layer graph does "
                          "not name"));
  EXPECT_THAT(CheckLinks(graph, "ui", "src/ui/CMakeLists.txt",
                         "pellmark_library(ui SOURCES a.cpp DEPS pellmark::club Qt6::Widgets)\n"),
              IsEmpty());
}

TEST(LayerTree, NamesFoldersOutsideTheGraphAndLayersWithoutFolder) {
  const std::filesystem::path src = std::filesystem::path(testing::TempDir()) / "layer_tree" / "src";
  std::filesystem::remove_all(src.parent_path());
  for (const char* folder : {"store", "club", "extra"}) std::filesystem::create_directories(src / folder);
  std::ofstream(src / "club" / "keys.cpp") << "#include \"store/qdb.h\"\n#include \"ui/window.h\"\n";
  std::ofstream(src / "club" / "CMakeLists.txt") << "pellmark_library(club SOURCES keys.cpp DEPS pellmark::ui)\n";
  std::ofstream(src / "club" / "notes.txt") << "#include \"ui/window.h\"\n";
  EXPECT_THAT(CheckSourceTree(ParseLayerGraph(kSmallGraph), src),
              ElementsAre("src: the layer graph names ui, which has no folder here",
                          "src/club/CMakeLists.txt:1: links pellmark::ui breaks \"club: store\"",
                          "src/club/keys.cpp:2: #include \"ui/window.h\" breaks \"club: store\"",
                          "src/extra: a folder the layer graph does not name"));
  std::filesystem::remove_all(src.parent_path());
}

}  // namespace
}  // namespace pellmark::layers
