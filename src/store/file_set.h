// Several files of one folder replaced as one step that a crash cannot tear:
// the folder holds all the old files or all the new ones (a backup set).
//
//   FileSet set(files, "/media/usb/elm");       // finishes a set a crash interrupted there
//   files.WriteAt(set.Stage("clubmem.bck"), 0, bytes);
//   set.Stage(...) ...
//   set.Commit();                               // all new; a throw before its journal: all old
//
// Each new file is written beside its target under a staged name (the
// target's, the set's tag, ".staged"). Commit makes the set's journal empty,
// flushes every staged file, then the folder, so that all of them and their
// names are on disk; only then does the journal get its text and a flush.
// From that point the set is the new one: the staged files are renamed over
// their targets, the folder flushed and the journal removed. A crash between
// leaves the journal, and whoever next finishes the folder (FinishFileSet)
// renames the staged files it names that are still there: one that is gone
// was renamed, for no journal is written before every staged file is on disk.
// The tag keeps a journal whose removal a crash undid from naming a later
// set's staged files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "store/file_layer.h"

namespace pellmark::store {

inline constexpr const char* kFileSetJournalName = ".pellmark-set";
inline constexpr const char* kStagedExtension = ".staged";

class FileSet {
 public:
  // Finishes what a crash left in `folder` (FinishFileSet), then begins a set
  // there. Throws FileLayerError.
  FileSet(FileLayer& files, std::filesystem::path folder);
  // A set not committed leaves its targets as they were and no staged file.
  ~FileSet();
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // The open, empty file that becomes "<folder>/<name>" at Commit; the set
  // closes it. A failure is a FileLayerError naming the target.
  FileHandle Stage(const std::string& name);

  // Replaces every target by its staged file, as described above. A failure
  // is a FileLayerError naming the file at fault (a staged file by its
  // target's name); before the journal's text is on disk the targets are as
  // they were, after it the set is new once the folder is finished again.
  void Commit();

 private:
  struct Staged {
    std::string name;
    std::filesystem::path file;
    FileHandle handle = -1;
  };
  void CloseHandles() noexcept;

  FileLayer& files_;
  std::filesystem::path folder_;
  std::string tag_;
  std::vector<Staged> staged_;
  bool journaled_ = false;
};

// Finishes a set whose journal a crash left in `folder`: renames the staged
// files it names that are still there, flushes the folder and removes the
// journal; then removes every staged file no journal names. Nothing happens
// in a folder without either. Throws FileLayerError when the journal cannot
// be read or a rename fails (the journal stays for the next try).
void FinishFileSet(FileLayer& files, const std::filesystem::path& folder);

}  // namespace pellmark::store
