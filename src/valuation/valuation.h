// Unit valuation: the club's assets added up on a date and divided by the units
// its members hold, written as a valuation statement file and, for an official
// valuation, recorded as a unit value record that later dues buy units at.
//
//   Valuations valuations(club, figures);
//   ValuationResult result = valuations.CreateValuation(date, /*official=*/true);
//   if (result.backup_pending) {            // the books copy the stores to ".bck" files
//     ... CopyClubFiles(to backup, club, club.Folder()) ...
//     valuations.AnnounceOfficial(*result.figures);   // sound, "... Valuation Updated"
//   }
//
// Every message goes through the club's interaction port; audit mode (the club
// session's flag) silences the questions, notices, sound and backup but not the
// errors. A valuation changes no stored figure of a member, account or security:
// it backs transactions out of working copies only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "club/club_session.h"
#include "club/outcome.h"
#include "store/file_layer.h"
#include "valuation/club_summary.h"

namespace pellmark::valuation {

class ValuationBooks;

// What a valuation that wrote its statement found.
struct ValuationFigures {
  std::filesystem::path statement;  // the statement file written
  double unit_value = 0;            // total value / total units
  double previous_unit_value = 0;
  double total_value = 0;
  double total_units = 0;
  std::int32_t unitid = -1;  // official: the id of the new unit record; test: -1
  bool official = false;
  bool current = false;         // dated today or tomorrow: active items, stored figures
  bool recalculation = false;   // official, over unit records of the same date
  int newly_priced = 0;         // official: payments dated from it on that bought at an older valuation
  DayNumber date = 0;
};

struct ValuationResult {
  Outcome outcome = Outcome::Done();
  std::optional<ValuationFigures> figures;  // when the statement was written
  // Official outside audit mode: the stores are to be copied to their ".bck"
  // files in the club folder now, then AnnounceOfficial (or Failed when the copy fails).
  bool backup_pending = false;
  // The valuation failed half way ("Valuation Statement Creation failed" was
  // shown); what it changed in the stores is to be dropped.
  bool failed = false;
};

inline constexpr const char* kCreationFailed = "Valuation Statement Creation failed";
inline constexpr const char* kAuditCompleted = "The Audit was completed successfully.";
inline constexpr const char* kRecalculateQuestion =
    "This option should NOT be used unless the valuations have been deemed corrupted.  This option will "
    "recalculate Valuations from day one.  It assumes that the first unit value is correct.  It takes a very "
    "long time.  Continue?";
inline constexpr const char* kRecalculated = "All active members units been recalculated.";
inline constexpr const char* kRecalculateCaption = "Recalculating Valuations";

class Valuations {
 public:
  Valuations(ClubSession& club, ClubFigures& figures);

  // "Create Official" (official) or "Create Test": the valuation of `date`.
  // Refused for a date in a year before the open year ("Valuations for previous
  // years not allowed."), after tomorrow ("Future Valuations are not allowed.")
  // or when no member holds units ("No Valuation Units.  Valuation Statement not
  // created"); cancelled by No to the staleness question. Nothing is written by
  // a refusal: an older statement of the date stays as it was.
  ValuationResult CreateValuation(DayNumber date, bool official);

  // The end of an official valuation after the backup: the sound, "Valuation
  // Statement <file> created. Valuation Updated" and the purchase unit looked up
  // again for the dues date.
  void AnnounceOfficial(const ValuationFigures& figures);
  // Shows "Valuation Statement Creation failed" (in audit mode too) and returns the refusal.
  Outcome Failed();

  // "Delete": removes a statement file after "<file> will be removed
  // permanently. Continue?"; the unit record of its date stays. A file that is
  // not named as a statement ("V" ... ".stm") or does not exist is refused.
  // A statement of the club folder is removed by the next commit, as part of
  // the operation's unit of work (journaled, so an undo puts it back); one
  // outside the club folder at once.
  Outcome DeleteStatement(const std::filesystem::path& file);

  // The audit: every official valuation recorded from `start` to the end of its
  // year (from 1 January of the open year when `start` is earlier; the club's
  // starting unit value is never re-run) runs again in audit mode, in date
  // order, re-pricing the dues that bought at it. The valuations run over the
  // books held in memory, each seeing what the ones before it left, exactly as
  // if each had been written and committed; what the last ones left is put
  // into the stores once. Refused, with its message shown, when a valuation
  // fails or is refused ("The Audit stopped at the valuation of <date>: ...")
  // or a store cannot be written ("Valuation Statement Creation failed"): the
  // stores then hold part of it, for the caller to drop; done, it is the
  // caller's to commit (which puts the statements in place) and then announce.
  Outcome AuditValuations(DayNumber start);
  // The sound and "The Audit was completed successfully.".
  void AnnounceAudit();

  // "Recaulate All Members": after its question, walks every unit record from
  // the club's first: the payments dated from the previous valuation up to the
  // record's date buy at the previous valuation, then the record's year is
  // audited from its date. The progress gauge follows the records. Cancelled
  // by No. The question, progress and closing message go through `ui`, the
  // club's port or one with a window's gauge beside it. Held in memory and put
  // into the stores once; its outcome is the caller's to commit or drop, as
  // the audit's, and AnnounceRecalculated follows a commit.
  Outcome RecalculateAllMembers(Interaction& ui);
  void AnnounceRecalculated(Interaction& ui);

 private:
  store::FileLayer& Files() const;
  // The steps of a valuation over books held in memory: its statement, unit
  // record, re-pointed transactions and reset members go into `books`. A
  // figure beyond what a statement holds fails it with "Valuation Statement
  // Creation failed" and an information line naming whose figure it is.
  ValuationResult Value(ValuationBooks& books, DayNumber date, bool official);
  // The audit's valuations over `books`, in audit mode, up to the first that
  // fails or is refused: its result then says which ("The Audit stopped at
  // the valuation of <date>: <cause>").
  ValuationResult Audit(ValuationBooks& books, DayNumber start);
  // Shows why an audit stopped and returns the refusal.
  Outcome Stopped(const ValuationResult& stopped);
  // Puts what the valuations left in `books` into the stores and stages their
  // statements; a failure shows "Valuation Statement Creation failed" and is returned.
  Outcome WriteAudited(ValuationBooks& books);

  ClubSession& club_;
  ClubFigures& figures_;
};

}  // namespace pellmark::valuation
