// Feeds arbitrary bytes to every record codec of the club: each layout, the
// older member layout, the older club information layouts and the view state.
// A wrong size must be refused with RecordSizeError; nothing may crash or read
// outside the bytes, and a decoded record must encode back to its own bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "club/club_info_file.h"
#include "club/records.h"
#include "club/upgrade.h"
#include "club/view_state.h"

namespace {

template <class Record>
void RoundTrip(std::string_view bytes) {
  try {
    Record record = pellmark::DecodeRecord<Record>(bytes);
    if (pellmark::EncodeRecord(record) != bytes) std::abort();
  } catch (const pellmark::RecordSizeError&) {
    if (bytes.size() == Record::kSize) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RoundTrip<pellmark::TMemberRec>(bytes);
  RoundTrip<pellmark::TMemberTranRec>(bytes);
  RoundTrip<pellmark::TSecurityRec>(bytes);
  RoundTrip<pellmark::TSecurityTranRec>(bytes);
  RoundTrip<pellmark::TAccountRec>(bytes);
  RoundTrip<pellmark::TAccountTranRec>(bytes);
  RoundTrip<pellmark::TPriceRec>(bytes);
  RoundTrip<pellmark::TCategoryRec>(bytes);
  RoundTrip<pellmark::TUnitValueRec>(bytes);
  RoundTrip<pellmark::TClubInfoRec>(bytes);
  RoundTrip<pellmark::TViewState>(bytes);
  if (size == 134 || size == 147) pellmark::ConvertOldClubInfo(bytes);
  try {
    pellmark::ConvertOldMemberRecord(bytes);
  } catch (const pellmark::RecordSizeError&) {
  }
  return 0;
}
