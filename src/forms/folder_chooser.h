// The folder work behind the folder chooser "Select Target Directory": the
// sub-folders of a folder, the files a mask shows, and the deletion of exactly
// those files.
//
//   FolderChooserRequest request{club_folder, "*.bck"};
//   if (auto target = ui.ChooseTargetDirectory(request)) DeleteListedFiles(club.Files(), *target, "*.bck");
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "club/folder_chooser_request.h"
#include "store/file_layer.h"

namespace pellmark {

// The title and help topic of the folder chooser.
inline constexpr const char* kFolderChooserTitle = "Select Target Directory";
inline constexpr int kFolderChooserHelpTopic = 3504;

// True when `name` matches one of the ';'-separated patterns of `mask`, where '*'
// stands for any run of characters and '?' for one; letters compare without case.
bool MatchesMask(std::string_view name, std::string_view mask);

// The sub-folders of `folder`, by name. An unreadable folder lists nothing.
std::vector<std::string> ListFolders(store::FileLayer& files, const std::filesystem::path& folder);

// The names of the plain files of `folder` that match `mask`, by name.
std::vector<std::string> ListMatchingFiles(store::FileLayer& files, const std::filesystem::path& folder,
                                           std::string_view mask);

// Deletes every file ListMatchingFiles shows for `folder` and `mask` and returns
// how many were deleted; a file that cannot be deleted is left and not counted.
int DeleteListedFiles(store::FileLayer& files, const std::filesystem::path& folder, std::string_view mask);

}  // namespace pellmark
