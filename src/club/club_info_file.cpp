#include "club/club_info_file.h"

#include "club/dates.h"
#include "store/whole_files.h"

namespace pellmark {
namespace {

constexpr std::size_t kOldLayoutSize = 147;
constexpr std::size_t kOldestLayoutSize = 134;

}  // namespace

TClubInfoRec ConvertOldClubInfo(std::string_view bytes) {
  const ByteImage old{std::string(bytes)};
  TClubInfoRec info;
  info.club = old.GetShortString(0, 25);
  info.addr = old.GetShortString(26, 60);
  info.idnum = old.GetShortString(87, 11);
  info.dues = old.GetBool(99);
  info.stks = old.GetBool(100);
  info.sort = old.GetBool(101);
  info.usepxy = info.pxycsh = info.usepas = false;
  info.vunit = old.GetDouble(102);
  info.unitind = old.GetInt(110);
  info.year = old.GetInt(114);
  info.defact = old.GetInt(118);
  info.defstkact = info.defact;
  info.hidacts = old.GetInt(122);
  info.hidstks = old.GetInt(126);
  info.hidmems = old.GetInt(130);
  if (bytes.size() >= kOldLayoutSize) {
    info.unitkey = old.GetInt(134);
    info.date = old.GetDouble(138);
    info.updcnt = old.GetByte(146);
  } else {
    info.unitkey = -1;
    info.updcnt = 0;
    info.date = IsValidCivil({info.year, 1, 1}) ? DayNumberFromCivil({info.year, 1, 1}) : 0;
  }
  info.contyp = -1;
  info.cnthndl = 255;
  return info;
}

std::optional<TClubInfoRec> ReadClubInfo(const std::filesystem::path& folder, store::FileLayer& files) {
  auto bytes = store::TryReadWholeFile(files, folder / kClubInfoFileName);
  if (!bytes) return std::nullopt;
  if (bytes->size() >= TClubInfoRec::kSize) {
    return DecodeRecord<TClubInfoRec>(std::string_view(*bytes).substr(0, TClubInfoRec::kSize));
  }
  // An earlier layout is a file of exactly its length: any other length is a
  // record cut short, whose missing fields a conversion would fill with zeros.
  if (bytes->size() == kOldLayoutSize || bytes->size() == kOldestLayoutSize) return ConvertOldClubInfo(*bytes);
  return std::nullopt;
}

void WriteClubInfo(const std::filesystem::path& folder, const TClubInfoRec& info, store::FileLayer& files) {
  store::SaveFileAtomically(files, folder / kClubInfoFileName, EncodeRecord(info));
}

}  // namespace pellmark
