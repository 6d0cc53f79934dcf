#include "forms/folder_chooser.h"

#include <algorithm>
#include <system_error>

namespace pellmark {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // Iterative wildcard match with backtracking to the last '*'.
  std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Upper(pattern[p]) == Upper(name[n]))) {
      ++n, ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

template <typename Keep>
std::vector<std::string> ListEntries(const std::filesystem::path& folder, Keep keep) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (keep(*it)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  while (true) {
    std::size_t separator = mask.find(';');
    if (MatchesPattern(name, mask.substr(0, separator))) return true;
    if (separator == std::string_view::npos) return false;
    mask.remove_prefix(separator + 1);
  }
}

std::vector<std::string> ListFolders(const std::filesystem::path& folder) {
  return ListEntries(folder, [](const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_directory(error);
  });
}

std::vector<std::string> ListMatchingFiles(const std::filesystem::path& folder, std::string_view mask) {
  return ListEntries(folder, [mask](const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) && MatchesMask(entry.path().filename().string(), mask);
  });
}

int DeleteListedFiles(const std::filesystem::path& folder, std::string_view mask) {
  int deleted = 0;
  for (const std::string& name : ListMatchingFiles(folder, mask)) {
    std::error_code error;
    if (std::filesystem::remove(folder / name, error)) ++deleted;
  }
  return deleted;
}

}  // namespace pellmark
