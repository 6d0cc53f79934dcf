#include "layers/layer_rules.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace pellmark::layers {
namespace {

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    std::size_t end = at;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    if (end > at) words.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

std::string Trimmed(std::string_view text) {
  const std::vector<std::string> words = Words(text);
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
  return joined;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

[[noreturn]] void Unreadable(int line, std::string_view why) {
  throw std::runtime_error(fmt::format("layer graph line {}: {}", line, why));
}

OutsideLibrary ParseOutside(const std::vector<std::string>& before, const std::vector<std::string>& after,
                            std::string rule, int line) {
  if (before.size() != 4) Unreadable(line, "an outside library takes a name, a link prefix and an include prefix");
  OutsideLibrary library{.name = before[1], .link_prefix = before[2], .include_prefix = before[3], .rule = rule};
  for (const std::string& layer : after) {
    if (layer == "*") {
      library.everywhere = true;
    } else {
      library.layers.insert(layer);
    }
  }
  return library;
}

bool MayUse(const LayerGraph& graph, const std::string& layer, const std::string& used) {
  const auto found = graph.uses.find(layer);
  return found != graph.uses.end() && found->second.contains(used);
}

std::string RuleOf(const LayerGraph& graph, const std::string& layer) {
  const auto found = graph.rules.find(layer);
  return found != graph.rules.end() ? found->second : layer + ": (not in the graph)";
}

const OutsideLibrary* OutsideByInclude(const LayerGraph& graph, std::string_view header) {
  for (const OutsideLibrary& library : graph.outside) {
    if (header.starts_with(library.include_prefix)) return &library;
  }
  return nullptr;
}

const OutsideLibrary* OutsideByLink(const LayerGraph& graph, std::string_view target) {
  for (const OutsideLibrary& library : graph.outside) {
    if (target.starts_with(library.link_prefix)) return &library;
  }
  return nullptr;
}

bool MayUseOutside(const OutsideLibrary& library, const std::string& layer) {
  return library.everywhere || library.layers.contains(layer);
}

// The project layer a link target names: "pellmark::club" and "pellmark_club" name club.
std::optional<std::string> LinkedLayer(std::string_view target) {
  for (std::string_view prefix : {"pellmark::", "pellmark_"}) {
    if (target.starts_with(prefix)) return std::string(target.substr(prefix.size()));
  }
  return std::nullopt;
}

// A CMake file without its comments, same length and lines.
std::string WithoutComments(std::string_view cmake) {
  std::string text(cmake);
  bool quoted = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '"' && (at == 0 || text[at - 1] != '\\')) quoted = !quoted;
    if (text[at] == '#' && !quoted) {
      while (at < text.size() && text[at] != '\n') text[at++] = ' ';
    }
  }
  return text;
}

struct Token {
  std::string text;
  int line;
};

// The words of each call of `command` (case-insensitive), each with its line.
std::vector<std::vector<Token>> Calls(const std::string& cmake, std::string_view command) {
  std::string lower = cmake;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  std::vector<std::vector<Token>> calls;
  std::size_t at = 0;
  while ((at = lower.find(command, at)) != std::string::npos) {
    const bool starts_word =
        at == 0 || !(std::isalnum(static_cast<unsigned char>(lower[at - 1])) || lower[at - 1] == '_');
    std::size_t open = at + command.size();
    while (open < lower.size() && (lower[open] == ' ' || lower[open] == '\t')) ++open;
    at += command.size();
    if (!starts_word || open >= lower.size() || lower[open] != '(') continue;
    const std::size_t close = cmake.find(')', open);
    if (close == std::string::npos) break;
    std::vector<Token> tokens;
    int line = 1 + static_cast<int>(std::count(cmake.begin(), cmake.begin() + static_cast<std::ptrdiff_t>(open), '\n'));
    std::size_t word = open + 1;
    while (word < close) {
      if (cmake[word] == '\n') ++line;
      if (std::isspace(static_cast<unsigned char>(cmake[word]))) {
        ++word;
        continue;
      }
      std::size_t end = word;
      while (end < close && !std::isspace(static_cast<unsigned char>(cmake[end]))) ++end;
      tokens.push_back({cmake.substr(word, end - word), line});
      word = end;
    }
    calls.push_back(std::move(tokens));
    at = close;
  }
  return calls;
}

// The libraries a call links: after DEPS in pellmark_library(), after the
// target in target_link_libraries(), without the scope keywords.
std::vector<Token> LinkedTargets(const std::string& cmake) {
  std::vector<Token> linked;
  for (const std::vector<Token>& call : Calls(cmake, "pellmark_library")) {
    bool deps = false;
    for (const Token& token : call) {
      if (token.text == "SOURCES" || token.text == "DEPS") {
        deps = token.text == "DEPS";
      } else if (deps) {
        linked.push_back(token);
      }
    }
  }
  for (const std::vector<Token>& call : Calls(cmake, "target_link_libraries")) {
    for (std::size_t i = 1; i < call.size(); ++i) {
      const bool scope = call[i].text == "PUBLIC" || call[i].text == "PRIVATE" || call[i].text == "INTERFACE";
      if (!scope) linked.push_back(call[i]);
    }
  }
  return linked;
}

}  // namespace

LayerGraph ParseLayerGraph(std::string_view text) {
  LayerGraph graph;
  int number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    const std::string rule = Trimmed(line);
    if (rule.empty() || rule.starts_with('#')) continue;
    const std::size_t colon = rule.find(':');
    const std::size_t separator = rule.starts_with("outside ") ? rule.find(" :") : colon;
    if (separator == std::string::npos) Unreadable(number, "no ':'");
    const std::vector<std::string> before = Words(std::string_view(rule).substr(0, separator));
    const std::size_t rest = separator + (rule[separator] == ':' ? 1 : 2);
    const std::vector<std::string> after = Words(std::string_view(rule).substr(rest));
    if (rule.starts_with("outside ")) {
      graph.outside.push_back(ParseOutside(before, after, rule, number));
      continue;
    }
    if (before.size() != 1) Unreadable(number, "one layer before ':'");
    const std::string& layer = before.front();
    if (graph.uses.contains(layer)) Unreadable(number, fmt::format("{} is named twice", layer));
    std::set<std::string> uses{layer};
    for (const std::string& used : after) {
      // A layer uses only layers above it in the file: the graph has no cycle.
      if (!graph.uses.contains(used)) {
        Unreadable(number, fmt::format("{} uses {}, not named on a line above", layer, used));
      }
      uses.insert(used);
    }
    graph.uses[layer] = std::move(uses);
    graph.rules[layer] = rule;
  }
  return graph;
}

std::vector<std::string> CheckIncludes(const LayerGraph& graph, const std::string& layer,
                                       const std::string& shown_name, std::string_view source) {
  std::vector<std::string> breaches;
  int number = 0;
  for (std::string_view line : Lines(source)) {
    ++number;
    const std::string directive = Trimmed(line);
    if (!directive.starts_with("#")) continue;
    const std::string after_hash = Trimmed(std::string_view(directive).substr(1));
    if (!after_hash.starts_with("include")) continue;
    const std::string header = Trimmed(std::string_view(after_hash).substr(std::string_view("include").size()));
    const std::string shown = "#include " + header;
    if (header.starts_with('"')) {
      const std::string name = header.substr(1, header.find('"', 1) - 1);
      const std::size_t slash = name.find('/');
      if (slash == std::string::npos) {
        breaches.push_back(fmt::format("{}:{}: {} breaks \"a project header is named with its folder: "
                                       "\\\"folder/header.h\\\"\"",
                                       shown_name, number, shown));
      } else if (!MayUse(graph, layer, name.substr(0, slash))) {
        breaches.push_back(fmt::format("{}:{}: {} breaks \"{}\"", shown_name, number, shown, RuleOf(graph, layer)));
      }
    } else if (const OutsideLibrary* library = OutsideByInclude(graph, header);
               library != nullptr && !MayUseOutside(*library, layer)) {
      breaches.push_back(fmt::format("{}:{}: {} breaks \"{}\"", shown_name, number, shown, library->rule));
    }
  }
  return breaches;
}

std::vector<std::string> CheckLinks(const LayerGraph& graph, const std::string& layer, const std::string& shown_name,
                                    std::string_view cmake) {
  std::vector<std::string> breaches;
  for (const Token& target : LinkedTargets(WithoutComments(cmake))) {
    if (const std::optional<std::string> linked = LinkedLayer(target.text)) {
      if (!MayUse(graph, layer, *linked)) {
        breaches.push_back(fmt::format("{}:{}: links {} breaks \"{}\"", shown_name, target.line, target.text,
                                       RuleOf(graph, layer)));
      }
    } else if (const OutsideLibrary* library = OutsideByLink(graph, target.text); library == nullptr) {
      breaches.push_back(fmt::format("{}:{}: links {}, an outside library the layer graph does not name",
                                     shown_name, target.line, target.text));
    } else if (!MayUseOutside(*library, layer)) {
      breaches.push_back(
          fmt::format("{}:{}: links {} breaks \"{}\"", shown_name, target.line, target.text, library->rule));
    }
  }
  return breaches;
}

std::vector<std::string> CheckSourceTree(const LayerGraph& graph, const std::filesystem::path& src) {
  std::vector<std::string> breaches;
  const std::filesystem::path shown_root = src.filename();
  std::vector<std::filesystem::path> folders;
  for (const auto& entry : std::filesystem::directory_iterator(src)) {
    if (entry.is_directory()) folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  for (const auto& [layer, rule] : graph.rules) {
    if (!std::filesystem::is_directory(src / layer)) {
      breaches.push_back(
          fmt::format("{}: the layer graph names {}, which has no folder here", shown_root.string(), layer));
    }
  }
  for (const std::filesystem::path& folder : folders) {
    const std::string layer = folder.filename().string();
    if (!graph.uses.contains(layer)) {
      breaches.push_back(fmt::format("{}: a folder the layer graph does not name", (shown_root / layer).string()));
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
      const std::string shown = (shown_root / std::filesystem::relative(file, src)).string();
      const std::string extension = file.extension().string();
      std::vector<std::string> found;
      if (extension == ".h" || extension == ".cpp") {
        found = CheckIncludes(graph, layer, shown, ReadText(file));
      } else if (file.filename() == "CMakeLists.txt") {
        found = CheckLinks(graph, layer, shown, ReadText(file));
      }
      breaches.insert(breaches.end(), found.begin(), found.end());
    }
  }
  return breaches;
}

}  // namespace pellmark::layers
