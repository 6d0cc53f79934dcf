#include "forms/folder_chooser.h"

#include <algorithm>

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
std::vector<std::string> ListEntries(store::FileLayer& files, const std::filesystem::path& folder, Keep keep) {
  std::vector<std::string> names;
  for (const store::FolderEntry& entry : files.ListFolder(folder)) {
    if (keep(entry)) names.push_back(entry.name);
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

std::vector<std::string> ListFolders(store::FileLayer& files, const std::filesystem::path& folder) {
  return ListEntries(files, folder, [](const store::FolderEntry& entry) { return entry.folder; });
}

std::vector<std::string> ListMatchingFiles(store::FileLayer& files, const std::filesystem::path& folder,
                                           std::string_view mask) {
  return ListEntries(files, folder,
                     [mask](const store::FolderEntry& entry) { return !entry.folder && MatchesMask(entry.name, mask); });
}

int DeleteListedFiles(store::FileLayer& files, const std::filesystem::path& folder, std::string_view mask) {
  int deleted = 0;
  for (const std::string& name : ListMatchingFiles(files, folder, mask)) {
    try {
      files.Remove(folder / name);
      ++deleted;
    } catch (const store::FileLayerError&) {
      // A file that will not go is left and not counted.
    }
  }
  return deleted;
}

}  // namespace pellmark
