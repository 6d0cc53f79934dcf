// The club information file "clubinfo.qdb": one 313-byte record, read whole and
// written whole. Files of the two earlier, shorter layouts (147 and 134 bytes)
// are converted as they are read.
//
//   if (auto info = ReadClubInfo(folder)) { ... } else { /* first set-up */ }
#pragma once

#include <filesystem>
#include <optional>

#include "club/records.h"
#include "store/file_layer.h"

namespace pellmark {

inline constexpr const char* kClubInfoFileName = "clubinfo.qdb";

// The record, or nullopt when the file is missing, unreadable, or shorter than
// the record without being exactly one of the earlier layouts. A record of an earlier layout comes back converted with
// `cnthndl` 255 (member upgrade pending) and, from the oldest layout, `unitkey`
// -1 (data-format update pending).
std::optional<TClubInfoRec> ReadClubInfo(const std::filesystem::path& folder,
                                         store::FileLayer& files = store::DefaultFileLayer());

// The conversion of an earlier layout's bytes (147 or 134 of them).
TClubInfoRec ConvertOldClubInfo(std::string_view bytes);

// Replaces the file with the record's 313 bytes (store::SaveFileAtomically);
// throws store::FileLayerError.
void WriteClubInfo(const std::filesystem::path& folder, const TClubInfoRec& info,
                   store::FileLayer& files = store::DefaultFileLayer());

}  // namespace pellmark
