// The layer graph of docs/layers.txt and the check of a source tree against
// it: every `#include` of every file under src/ and every library a
// src/*/CMakeLists.txt links. Each breach is one line naming the file, the
// include or link, and the rule it breaks:
//
//   LayerGraph graph = ParseLayerGraph(ReadText("docs/layers.txt"));
//   for (const std::string& breach : CheckSourceTree(graph, "src")) std::cerr << breach << '\n';
//
//   src/cli/report_commands.cpp:12: #include "ui/pdf_report.h" breaks
//     "cli: books forms qtpage reports valuation members securities cash club store"
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark::layers {

// A library from outside the project and who may use it.
struct OutsideLibrary {
  std::string name;            // "Qt"
  std::string link_prefix;     // "Qt6::"
  std::string include_prefix;  // "<Q"
  bool everywhere = false;     // "*"
  std::set<std::string> layers;
  std::string rule;            // the graph's line, as written
};

struct LayerGraph {
  // Each layer with the layers it may use, itself among them.
  std::map<std::string, std::set<std::string>> uses;
  // The graph's line of each layer, as written, for the breach messages.
  std::map<std::string, std::string> rules;
  std::vector<OutsideLibrary> outside;
};

// Reads the graph; a line it cannot read, a layer named twice, a layer used
// before its own line, or a cycle throws std::runtime_error naming the line.
LayerGraph ParseLayerGraph(std::string_view text);

// The breaches of one source file of `layer`, shown as `shown_name`.
std::vector<std::string> CheckIncludes(const LayerGraph& graph, const std::string& layer,
                                       const std::string& shown_name, std::string_view source);

// The breaches of one CMakeLists.txt of `layer`: every library named after
// DEPS of pellmark_library() and in target_link_libraries().
std::vector<std::string> CheckLinks(const LayerGraph& graph, const std::string& layer, const std::string& shown_name,
                                    std::string_view cmake);

// Every breach under the folder `src` (each of its folders is a layer), with
// paths shown from the folder's parent: "src/cli/report_commands.cpp:12: …".
std::vector<std::string> CheckSourceTree(const LayerGraph& graph, const std::filesystem::path& src);

}  // namespace pellmark::layers
