// The books of one club: the composition root that the desktop program and the
// command line open. It opens the club session, builds the ledgers over it and
// carries out the work a ledger's outcome asks of the layers above it.
//
//   Books books(folder, ui, clock);
//   books.Open();
//   Outcome outcome = books.Perform([&] { return books.Accounts().Hide("Broker"); });
//   books.Close();
#pragma once

#include <filesystem>
#include <type_traits>
#include <utility>
#include <vector>

#include "books/club_mail.h"
#include "books/quote_run.h"
#include "books/year_close.h"
#include "cash/account_ledger.h"
#include "cash/categories.h"
#include "club/club_session.h"
#include "club/mail_service.h"
#include "club/outcome.h"
#include "club/quote_service.h"
#include "forms/internet_form.h"
#include "interchange/club_export.h"
#include "interchange/club_files.h"
#include "interchange/club_import.h"
#include "members/member_ledger.h"
#include "securities/price_ledger.h"
#include "securities/security_ledger.h"
#include "securities/corporate_changes.h"
#include "securities/security_records.h"
#include "valuation/club_summary.h"
#include "valuation/valuation.h"

namespace pellmark {

struct BooksBreach;

class Books {
 public:
  Books(std::filesystem::path folder, Interaction& ui, const Clock& clock);
  Books(const Books&) = delete;
  Books& operator=(const Books&) = delete;

  // Opens the club as the program does at start: the stores, pending upgrades of
  // old data with the member recalculations they ask for, the hidden counts.
  // `reset` takes the default view state. Store errors propagate.
  void Open(bool reset = false);
  // The end of a run: stores rewritten, view state written.
  void Close();

  // Carries out what the outcome asks of the layers above the ledger that
  // returned it, commits the operation (a refused or cancelled one too: an
  // aborted dues run keeps what it posted) or, for a failure that rolls back,
  // drops everything since the last commit, and returns it. The audit a
  // back-dated change asks for commits with it as one unit of work; when the
  // audit cannot be written, neither is the change, and its refusal is returned.
  Outcome Settle(Outcome outcome);

  // One user action of a front end, settled here so that no front end can
  // forget it: the operation runs as a unit of work (Run), then its outcome
  // is settled (the announced audit). A store or file error drops what the
  // operation changed and propagates to the front end's operation boundary.
  //   if (books.Perform([&] { return books.Accounts().Hide(name); })) Refresh();
  template <class Operation>
  Outcome Perform(Operation&& operation) {
    // Not committed before Settle: a change and the audit it asks for are one unit.
    Outcome outcome = Outcome::Done();
    try {
      outcome = operation();
    } catch (...) {
      Abandon();
      throw;
    }
    return Settle(std::move(outcome));
  }

  // Runs one user operation as a unit of work: everything it changed is
  // committed at once, or, when it throws or its outcome rolls back
  // (Outcome::Failure), dropped.
  //   books.Run([&] { return books.Accounts().Hide(name); });
  template <class Operation>
  decltype(auto) Run(Operation&& operation) {
    try {
      decltype(auto) result = operation();
      if constexpr (std::is_same_v<std::decay_t<decltype(result)>, Outcome>) {
        if (result.RollsBack()) {
          Abandon();
          return result;
        }
      }
      club_.Commit();
      return result;
    } catch (...) {
      Abandon();
      throw;
    }
  }
  // The club's files as a whole (each settled): "Backup Files", "Restore
  // Backup", "RESET", putting back the files a restore or reset kept, and the
  // two exports. Without a folder, backup and restore ask for one.
  Outcome Backup(std::optional<std::filesystem::path> folder = std::nullopt);
  Outcome Restore(std::optional<std::filesystem::path> folder = std::nullopt);
  Outcome Reset();
  Outcome BringBackKeptFiles();
  Outcome Export(const std::filesystem::path& file);
  Outcome ExportMailLabels(const std::filesystem::path& file);
  // "Import" of "Obtain Data": the club's data replaced from `source` (for
  // NAIC files asked for when not given) as one unit of work: committed
  // whole, or, when it is refused or fails, nothing changed. Everything shown
  // goes through `ui` when given (a port that also moves the page's gauge),
  // else the club's port.
  interchange::ImportReport Import(interchange::ImportSource kind,
                                   std::optional<std::filesystem::path> source = std::nullopt,
                                   Interaction* ui = nullptr);

  // "Create Official" (official) and "Create Test" of the Reports page, settled:
  // the valuation of `date`; an official one outside audit mode is committed,
  // then the stores are copied to their ".bck" files in the club folder and the
  // valuation announces itself. A failure drops what the valuation changed.
  // A backup that fails does not undo the valuation: it is announced as
  // created, then "Data Backup failed" is shown and the outcome is that
  // refusal, with the figures of the valuation.
  valuation::ValuationResult CreateValuation(DayNumber date, bool official);
  // "Audit Valuations" from `start`, announced: the valuations it re-ran are
  // committed together, or dropped when they cannot all be written; the
  // purchase unit value is looked up again afterwards.
  Outcome AuditValuations(DayNumber start, bool announce = true);
  // "Recaulate All Members", committed as the audit is; its question,
  // progress and message go through `ui` when given, else the club's port.
  Outcome RecalculateAllMembers(Interaction* ui = nullptr);

  // "Online" on the Prices sheet, settled. Refused when no service is
  // configured, a template lacks {symbols}, no listed security has a symbol, or
  // a line of the reply could not be read (the prices entered before it stay);
  // cancelled when the question about the last price update is answered No or
  // the dialog is aborted. When a price was entered the prices-changed flag is
  // set in the club information, the sound plays and "Stock Quotes have been
  // updated..." is shown. Everything shown goes through `ui` when given (a
  // port that also moves a window's own "Quotes" gauge), else the club's port.
  QuoteRun FetchQuotes(const QuoteService& service, ConnectionDialog& dialog, Interaction* ui = nullptr,
                       ConnectionWaits waits = {});

  // Undo and redo of the journal's newest operations (club/journal.h), each
  // its own unit of work that the journal keeps as such. Refused, with the
  // reason shown, when there is nothing to undo or redo, when the operation
  // cannot be undone (a restore, a reset, a year close) or when the books no
  // longer hold what it left.
  Outcome Undo();
  Outcome Redo();
  // Undoes the newest operations one by one until entry `id` is undone too;
  // refused when undo cannot reach it.
  Outcome UndoTo(std::uint64_t id);

  // "Send" of the Support page and of the Reports page (books/club_mail.h):
  // refused with "Need to set Internet Mail parameters on Special:Options page
  // to activate." without a host or return address; otherwise the connection
  // dialog sends the mail and, when the server took it, the sound plays,
  // "<subject> has been sent." (or "Pellmark Support Email has been sent.") is
  // shown and each refused recipient is named.
  // Nothing is written to the club.
  MailRun SendSupportMail(const MailService& service, const SupportMail& support, ConnectionDialog& dialog,
                          Interaction* ui = nullptr);
  MailRun SendReportMail(const MailService& service, const ReportMail& report, ConnectionDialog& dialog,
                         Interaction* ui = nullptr);

  // "Close Year" of the Special page for the open year, as one unit of work:
  // the closing valuation marked closed, each member's earnings credited, the
  // tax file written into the club folder, the next year opened, the
  // securities' and accounts' figures of the year started again. Refused
  // (nothing changed) without the official 31 December statement, for a year
  // already closed, or for a category the books do not have; cancelled by No
  // to its question. The front end then shows the distribution and the tax
  // report, and AnnounceYearClosed.
  YearClose CloseYear();
  // The sound and "Year <year> has been closed.  Tax Report Created.".
  void AnnounceYearClosed(const YearClose& close);

  // "Check Books" (books/books_check.h): every breach, nothing changed.
  std::vector<BooksBreach> CheckBooks();
  // Runs the mends the breaches ask for, committed as one operation; returns
  // how many were run.
  int RepairBooks(const std::vector<BooksBreach>& breaches);

  // Commits what changed since the last commit.
  void Commit() { club_.Commit(); }
  // Drops every change since the last commit (an operation that failed half way).
  void Abandon();

  ClubSession& Club() { return club_; }
  ledger::AccountLedger& Accounts() { return accounts_; }
  ledger::MemberLedger& Members() { return members_; }
  ledger::CategoryLedger& Categories() { return categories_; }
  ledger::SecurityRecords& Securities() { return securities_; }
  ledger::PriceLedger& Prices() { return prices_; }
  ledger::SecurityLedger& Trades() { return trades_; }
  ledger::CorporateChanges& Changes() { return changes_; }
  valuation::ClubFigures& Figures() { return figures_; }
  valuation::Valuations& Valuations() { return valuations_; }

 private:
  // Commits what a done audit or recalculation left in the stores, or drops it.
  Outcome KeepOrDrop(Outcome outcome);

  ClubSession club_;
  ledger::AccountLedger accounts_;
  ledger::MemberLedger members_;
  ledger::CategoryLedger categories_;
  ledger::SecurityRecords securities_;
  ledger::PriceLedger prices_;
  ledger::SecurityLedger trades_;
  ledger::CorporateChanges changes_;
  valuation::ClubFigures figures_;
  valuation::Valuations valuations_;
};

}  // namespace pellmark
