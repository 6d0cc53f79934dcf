#include "store/data_file_reader.h"

namespace pellmark::store {

bool DataFileReader::Read(std::uint64_t offset, std::span<char> out) {
  if (!InView(offset, out.size()) && (view_ == nullptr || ++reads_past_view_ > kReadsPastViewBeforeRemap)) {
    reads_past_view_ = 0;
    Remap();
  }
  if (InView(offset, out.size())) return view_->CopyAt(offset, out);
  return files_.ReadAt(handle_, offset, out) == out.size();
}

void DataFileReader::Remap() {
  try {
    const std::uint64_t size = files_.Size(handle_);
    if (size == 0 || (view_ != nullptr && size <= view_->Size())) return;
    view_ = files_.Map(handle_, size);
  } catch (const FileLayerError&) {
    // A view only saves system calls: without a new one, ReadAt does the work.
  }
}

}  // namespace pellmark::store
