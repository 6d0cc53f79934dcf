#include "club/upgrade.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "club/keys.h"
#include "club/record_keys.h"
#include "club/table.h"

namespace pellmark {
namespace {

constexpr std::size_t kOldMemberSize = 230;
constexpr double kEmptyAmount = 0.005;

// Keys of the items the filter selects, read before anything is changed.
std::vector<std::string> KeysWithFilter(store::TQDB& store, std::string_view filter) {
  FilterGuard selected(store, filter);
  std::vector<std::string> keys;
  store.GetKeys(keys);
  return keys;
}

// Deletes the member's transactions with an empty amount; true when any went.
bool DeleteEmptyMemberTransactions(store::TQDB& memrecs, std::int32_t memid) {
  bool deleted = false;
  for (const std::string& key : KeysWithFilter(memrecs, OwnerFilter(memid))) {
    memrecs.FindKey(key);
    if (std::fabs(DecodeRecord<TMemberTranRec>(memrecs.GetDataString()).dues) <= kEmptyAmount) {
      memrecs.DeleteCurrent();
      memrecs.Pack();
      deleted = true;
    }
  }
  if (deleted) memrecs.SaveIndex();
  return deleted;
}

void RekeyUnitValues(store::TQDB& unitfile) {
  std::vector<std::string> keys = KeysWithFilter(unitfile, "");
  std::vector<TUnitValueRec> records;
  records.reserve(keys.size());
  for (const std::string& key : keys) records.push_back(DecodeRecord<TUnitValueRec>(unitfile.GetDataByKey(key)));
  for (std::size_t r = 0; r < keys.size(); ++r) {
    unitfile.FindKey(keys[r]);
    unitfile.DeleteCurrent();
    unitfile.Store(UnitKey(static_cast<std::int32_t>(r), records[r].date), EncodeRecord(records[r]));
  }
  unitfile.Pack();
  unitfile.SaveIndex();
}

// Unit records newest first, as the backwards walks of the update read them.
std::vector<TUnitValueRec> UnitValuesNewestFirst(store::TQDB& unitfile) {
  std::vector<TUnitValueRec> records = Table<TUnitValueRec>(unitfile, UnitValueKey).Select();
  return {records.rbegin(), records.rend()};
}

void LinkMemberTransactions(store::TQDB& memrecs, const std::vector<TUnitValueRec>& units_newest_first) {
  FilterGuard all(memrecs, "");
  for (int i = 0; i < memrecs.Count(); ++i) {
    memrecs.GotoIndex(i);
    TMemberTranRec old = DecodeRecord<TMemberTranRec>(memrecs.GetDataString());
    TMemberTranRec rebuilt;  // bytes 24..31 of the older layout are not carried over
    rebuilt.dues = old.dues;
    rebuilt.cunit = old.cunit;
    rebuilt.fee = old.fee;
    rebuilt.memid = old.memid;
    rebuilt.actid = old.actid;
    rebuilt.duestran = old.duestran;
    rebuilt.tranid = old.tranid;
    rebuilt.typ = old.typ;
    rebuilt.trandate = old.trandate;
    rebuilt.gain = 0;
    rebuilt.unitind = -1;
    if (old.cunit != 0) {
      for (const TUnitValueRec& unit : units_newest_first) {
        if (unit.date <= old.trandate && unit.unitval == old.cunit) {
          rebuilt.unitind = unit.unitid;
          break;
        }
      }
    }
    memrecs.Change(EncodeRecord(rebuilt));
  }
  memrecs.SaveIndex();
}

void TidyMembers(store::TQDB& members) {
  FilterGuard all(members, "");
  for (int i = 0; i < members.Count(); ++i) {
    members.GotoIndex(i);
    TMemberRec member = DecodeRecord<TMemberRec>(members.GetDataString());
    if (member.email.size() == 20) member.email.resize(19);
    member.mtype = 'P';
    members.Change(EncodeRecord(member));
  }
  members.SaveIndex();
}

// The next unit id is above every id in use: the re-keyed records keep their
// old ids, which may have gaps, and two unit records must never share one.
void PointClubInfoAtItsUnitValue(TClubInfoRec& info, const std::vector<TUnitValueRec>& units_newest_first) {
  info.unitind = static_cast<std::int32_t>(units_newest_first.size());
  for (const TUnitValueRec& unit : units_newest_first) info.unitind = std::max(info.unitind, unit.unitid + 1);
  info.unitkey = 0;
  info.date = 0;
  info.updcnt = 0;
  for (const TUnitValueRec& unit : units_newest_first) {
    if (unit.unitval == info.vunit) {
      info.unitkey = unit.unitid;
      info.date = unit.date;
      break;
    }
  }
}

// Keeps one price per date for each security: the one with the highest key.
void KeepOnePricePerDate(store::TQDB& prices, store::TQDB& securities) {
  for (const TSecurityRec& security : Table<TSecurityRec>(securities, SecurityKey).Select()) {
    const std::int32_t stkid = security.stkid;
    std::vector<std::string> keys = KeysWithFilter(prices, OwnerFilter(stkid));
    std::optional<double> reference_date;
    bool deleted = false;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
      prices.FindKey(*key);
      double date = DecodeRecord<TPriceRec>(prices.GetDataString()).trandate;
      if (reference_date && date == *reference_date) {
        prices.DeleteCurrent();
        deleted = true;
      } else {
        reference_date = date;
      }
    }
    if (deleted) {
      prices.Pack();
      prices.SaveIndex();
    }
  }
}

}  // namespace

TMemberRec ConvertOldMemberRecord(std::string_view bytes) {
  if (bytes.size() != kOldMemberSize) throw RecordSizeError("older member", kOldMemberSize, bytes.size());
  const ByteImage old{std::string(bytes)};
  TMemberRec member;
  member.lname = old.GetShortString(0, 15);
  member.fname = old.GetShortString(16, 15);
  member.addr = old.GetShortString(32, 30);
  member.city = old.GetShortString(63, 30).substr(0, 20);
  member.state = old.GetShortString(94, 2);
  member.zip = old.GetShortString(97, 10);
  member.idnum = old.GetShortString(108, 11);
  member.hphone = old.GetShortString(120, 13);
  member.wphone = old.GetShortString(134, 13);
  member.fphone = old.GetShortString(148, 13);
  member.ophone = old.GetShortString(162, 13);
  member.email = old.GetShortString(176, 19);
  member.mtype = static_cast<char>(old.GetByte(196));
  member.tunits = old.GetDouble(197);
  member.totalc = old.GetDouble(205);
  member.totale = old.GetDouble(213);
  member.memid = old.GetInt(221);
  member.duescount = old.GetInt(225);
  member.active = old.GetBool(229);
  return member;
}

std::vector<std::int32_t> UpgradeMemberRecords(store::TQDB& members, store::TQDB& memrecs) {
  FilterGuard all(members, "");
  for (int i = 0; i < members.Count(); ++i) {
    members.GotoIndex(i);
    std::string bytes = members.GetDataString();
    if (bytes.size() == TMemberRec::kSize) continue;  // already in the current layout
    members.Change(EncodeRecord(ConvertOldMemberRecord(bytes)));
  }
  members.SaveIndex();

  std::vector<std::int32_t> emptied;
  for (int i = 0; i < members.Count(); ++i) {
    const std::int32_t memid = DecodeRecord<TMemberRec>(members.GetDataAt(i)).memid;
    if (DeleteEmptyMemberTransactions(memrecs, memid)) emptied.push_back(memid);
  }
  return emptied;
}

void UpdateDataFormats(Interaction& ui, TClubInfoRec& info, store::TQDB& unitfile, store::TQDB& memrecs,
                       store::TQDB& prices, store::TQDB& securities, store::TQDB& members) {
  for (int i = 0; i < 3; ++i) ui.Beep();
  ui.ShowInformation("Pellmark Data File Formats will be updated");

  RekeyUnitValues(unitfile);
  const std::vector<TUnitValueRec> units = UnitValuesNewestFirst(unitfile);
  LinkMemberTransactions(memrecs, units);
  TidyMembers(members);
  PointClubInfoAtItsUnitValue(info, units);
  KeepOnePricePerDate(prices, securities);
}

}  // namespace pellmark

