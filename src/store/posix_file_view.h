// A FileView over mmap. A file cut short by another program under a map
// raises SIGBUS when the missing pages are touched; CopyAt catches that signal
// for the duration of its copy and reports false, so a changed working file
// ends in the store's "not a valid QDB file" error instead of killing the
// program (bytes cut off inside the file's last remaining page read as zeros,
// as the map shows them). SIGBUS raised anywhere else keeps the meaning it had
// before.
//
//   auto view = PosixFileView::Map(fd, size);   // throws FileLayerError
//   char item[57];
//   if (!view->CopyAt(offset, item)) ...         // outside the view or cut short
#pragma once

#include <memory>

#include "store/file_layer.h"

namespace pellmark::store {

class PosixFileView : public FileView {
 public:
  static std::unique_ptr<FileView> Map(FileHandle handle, std::uint64_t size);
  ~PosixFileView() override;
  PosixFileView(const PosixFileView&) = delete;
  PosixFileView& operator=(const PosixFileView&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool CopyAt(std::uint64_t offset, std::span<char> out) const override;
  void Prefetch(std::uint64_t offset) const override {
    // A prefetch never faults, even on a page cut off under the view.
    if (offset < size_) __builtin_prefetch(base_ + offset);
  }

 private:
  PosixFileView(const char* base, std::uint64_t size) : base_(base), size_(size) {}
  const char* base_;
  std::uint64_t size_;
};

}  // namespace pellmark::store
