// The club's securities: the security records of the Securities page without
// its window. A security is keyed "_" + name while active and "~" + name while
// hidden; refusals and notices go through the club's interaction port, and each
// command returns its outcome (a security that does not exist is refused with a
// message naming it).
//
//   SecurityRecords securities(club);
//   securities.CommitSecurity(std::nullopt, {"Acme Corp", "ACME"});   // "Security Acme Corp added."
//   securities.Hide("Acme Corp");                                     // "Security Acme Corp is hidden."
//   securities.ResetAllSecurities();
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/club_session.h"
#include "club/master_records.h"
#include "club/outcome.h"
#include "club/records.h"

namespace pellmark::ledger {

// A security as entered: its name and symbol, each blank when none was given.
// The form reading the page's boxes makes it.
struct SecurityEntry {
  std::string name;
  std::string symbol;
};
inline constexpr std::size_t kSecurityNameWidth = 25;
inline constexpr std::size_t kSymbolWidth = 10;

// The items of `secspecialselect`.
enum class SecuritySpecial { ResetSelected, ResetAll, Hide, Unhide, Delete };

class SecurityRecords {
 public:
  explicit SecurityRecords(ClubSession& club);

  // The stored key of the security of this name, active ("_") or hidden ("~").
  std::optional<std::string> KeyOf(std::string_view name);
  // The security of this name; nullopt when there is none.
  std::optional<TSecurityRec> Find(std::string_view name);
  std::optional<TSecurityRec> FindById(std::int32_t stkid);
  // All securities in key order (active first), or only the active ones.
  std::vector<TSecurityRec> List(bool active_only);
  // Stores the record under the key of its name and active flag.
  void Save(const TSecurityRec& security);

  // "Commit Changes/Additions": a new security when `existing` is empty, else
  // the change of the security of that name (a new name re-keys it).
  Outcome CommitSecurity(const std::optional<std::string>& existing, const SecurityEntry& entry);

  // "Reset Selected Security": the totals and current price rebuilt from the
  // security's records; `announce` as from the Special page (sound and
  // "Security <name> has been reset.").
  Outcome ResetSecurity(std::string_view name, bool announce);
  // The same from the security's transactions already read (all of them, key
  // order), so that a task holding them does not read them again.
  Outcome ResetSecurity(std::string_view name, const std::vector<TSecurityTranRec>& transactions, bool announce);
  // "Reset All Securities": each security in list order up to the first hidden one.
  Outcome ResetAllSecurities();
  Outcome Hide(std::string_view name);
  Outcome Unhide(std::string_view name);
  // Asks first; removes the security with every transaction and price of it.
  Outcome Delete(std::string_view name);

  // The choice of `secspecialselect` for the selected security (ignored by ResetAll).
  Outcome Special(SecuritySpecial choice, std::string_view name);

 private:
  using Selected = Keyed<TSecurityRec>;
  Outcome Refuse(const std::string& message);
  Outcome NoSuchSecurity(std::string_view name);
  void ResetFigures(Selected& security);
  void ResetFigures(Selected& security, const std::vector<TSecurityTranRec>& transactions);
  Outcome Reset(std::optional<Selected> selected, std::string_view name,
                const std::vector<TSecurityTranRec>* transactions, bool announce);
  void RenameDividendPostings(const TSecurityRec& security, const std::vector<TSecurityTranRec>& records);

  ClubSession& club_;
  MasterRecords<TSecurityRec> records_;
};

}  // namespace pellmark::ledger
