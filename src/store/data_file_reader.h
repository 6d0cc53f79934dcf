// Reads items' bytes from a store's open data working file. Items lie in the
// file in the order they were added, so a walk in key order jumps all over it;
// reads therefore go through a view of the mapped file (a copy, no system
// call, per item). Bytes beyond the view, written since it was made, are read
// with ReadAt; after kReadsPastViewBeforeRemap such reads the view is remade
// over the grown file (a map and an unmap of the whole file cost more than a
// read, and a store that reads back each item it appends would pay them at
// every item). A layer that cannot map leaves every read to ReadAt.
//
//   DataFileReader reader(files, data_handle);
//   std::string item(entry.size, '\0');
//   if (!reader.Read(entry.offset, item)) ...   // the file does not hold those bytes
#pragma once

#include <memory>
#include <span>

#include "store/file_layer.h"

namespace pellmark::store {

class DataFileReader {
 public:
  static constexpr int kReadsPastViewBeforeRemap = 32;

  // Reads `handle`, which must stay open while the reader is used.
  DataFileReader(FileLayer& files, FileHandle handle) : files_(files), handle_(handle) {}

  // Fills `out` with the bytes at `offset`. False when the file does not hold
  // them all (or was cut short under the view); failures of ReadAt are thrown.
  bool Read(std::uint64_t offset, std::span<char> out);
  // Hints that the bytes at `offset` will be read soon.
  void Prefetch(std::uint64_t offset) const {
    if (view_ != nullptr) view_->Prefetch(offset);
  }

 private:
  bool InView(std::uint64_t offset, std::size_t size) const {
    return view_ != nullptr && offset <= view_->Size() && size <= view_->Size() - offset;
  }
  void Remap();

  FileLayer& files_;
  FileHandle handle_;
  std::unique_ptr<FileView> view_;
  int reads_past_view_ = 0;
};

}  // namespace pellmark::store
