// Replacing club files as one step that a crash cannot tear: the new files are
// staged in the working folder and flushed, then a journal naming them is
// written (atomically); only then are the current files moved into a kept
// folder inside the working folder and the staged ones renamed into the club
// folder. The next open finishes a journal it finds (`ApplyReplacementJournal`)
// before anything else, so the club holds all its old files or all the new
// ones; staged files without a journal are strays and go.
//
//   working/replace           pellmark replace
//                             kept kept-20261207-153012
//                             copy clubmem.qdb
//                             remove clubinfo.qdb
//                             end
//   working/replace.clubmem.qdb   the staged file
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "store/file_layer.h"

namespace pellmark {

inline constexpr const char* kReplaceJournalName = "replace";
inline constexpr const char* kKeptFolderPrefix = "kept-";

// One club file (a name inside the club folder) and what becomes of it.
struct FileReplacement {
  enum class Kind {
    kCopy,   // replaced by a copy of `source`
    kEmpty,  // replaced by an empty record store
    kRemove  // goes (kept only)
  };
  std::string file;
  Kind kind = Kind::kCopy;
  std::filesystem::path source;
};

// Stages the plan's files in `working_folder`, creates the kept folder (named
// kKeptFolderPrefix + `stamp`, with "-02", "-03" ... when taken) and writes the
// journal. Returns the kept folder. On failure nothing staged is left behind.
std::filesystem::path StageReplacement(store::FileLayer& files, const std::filesystem::path& working_folder,
                                       const std::vector<FileReplacement>& plan, const std::string& stamp);

// Carries out the journal in `working_folder`, if there is one: moves each
// named club file still present into the kept folder and each staged file
// still present into its place, flushes both folders and removes the journal.
// Returns true when there was a journal. Safe to run again after a crash in it.
bool ApplyReplacementJournal(store::FileLayer& files, const std::filesystem::path& club_folder,
                             const std::filesystem::path& working_folder);

// The kept folders of a club, oldest first.
std::vector<std::filesystem::path> KeptFolders(store::FileLayer& files, const std::filesystem::path& working_folder);

}  // namespace pellmark
