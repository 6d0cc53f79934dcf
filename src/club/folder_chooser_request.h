// The folder chooser "Select Target Directory" of import, backup, restore and
// club reset, as the plain data the interaction port takes.
//
//   FolderChooserRequest request{club_folder, "*.bck"};
//   if (auto target = ui.ChooseTargetDirectory(request)) ...
#pragma once

#include <filesystem>
#include <string>

namespace pellmark {

struct FolderChooserRequest {
  std::filesystem::path start;  // the folder shown first
  std::string mask;             // file list filter, e.g. "*.bck"; several joined by ';'
};

}  // namespace pellmark
