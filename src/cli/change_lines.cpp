#include "cli/change_lines.h"

#include <cmath>

#include "club/dates.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "club/text_encoding.h"
#include "members/member_posting.h"
#include "securities/price_ledger.h"

namespace pellmark::cli {
namespace {

std::string Shares(double shares) { return FormatFixed(shares, 3); }

double SharesOf(const BookFigures& figures, const std::string& name) {
  for (const auto& [id, security] : figures.securities) {
    if (security.name == name) return security.sharest;
  }
  return 0;
}

}  // namespace

BookFigures TakeFigures(Books& books) {
  BookFigures figures;
  for (TAccountRec& account : books.Accounts().List(false)) figures.accounts[account.actid] = std::move(account);
  for (TMemberRec& member : books.Members().List(false)) figures.members[member.memid] = std::move(member);
  for (TSecurityRec& security : books.Securities().List(false)) figures.securities[security.stkid] = std::move(security);
  return figures;
}

std::string BalanceNote(const BookFigures& before, const BookFigures& after) {
  std::string note;
  for (const auto& [id, account] : after.accounts) {
    auto earlier = before.accounts.find(id);
    if (earlier != before.accounts.end() && RoundCents(earlier->second.bal) == RoundCents(account.bal)) continue;
    note += "; " + ToUtf8(account.name) + " balance " + FormatMoney(account.bal);
  }
  return note;
}

std::string TradeLine(ledger::StockEntry kind, const BookFigures& before, const BookFigures& after, const std::string& security,
                      const std::string& shares_of, double amount, double commission, int lots) {
  const double moved = std::fabs(SharesOf(after, shares_of) - SharesOf(before, shares_of));
  const std::string name = ToUtf8(security);
  const std::string with_commission = commission != 0 ? " and " + FormatMoney(commission) + " commission" : "";
  std::string line;
  switch (kind) {
    case ledger::StockEntry::Buy:
      line = "Bought " + Shares(moved) + " shares of " + name + " for " + FormatMoney(amount) + with_commission;
      break;
    case ledger::StockEntry::Sell:
      line = "Sold " + Shares(moved) + " shares of " + name + " for " + FormatMoney(amount) + with_commission +
             ", relieving " + std::to_string(lots) + (lots == 1 ? " lot" : " lots");
      break;
    case ledger::StockEntry::Dividends: line = "Dividend of " + FormatMoney(amount) + " from " + name; break;
    case ledger::StockEntry::Reinvestment:
      line = "Reinvested " + FormatMoney(amount) + " of " + name + "'s dividend in " + Shares(moved) + " shares" +
             (shares_of != security ? " of " + ToUtf8(shares_of) : std::string()) + with_commission;
      break;
    case ledger::StockEntry::CapitalChange:
    case ledger::StockEntry::ForeignTaxes: line = name + ": " + FormatMoney(amount) + " recorded"; break;
  }
  return line + BalanceNote(before, after) + ".";
}

std::string PriceLine(const TSecurityRec& security) {
  return ToUtf8(security.name) + " priced at $" + ledger::FormatPrice(security.pricec) + " on " +
         FormatDate(security.pricedate) + ".";
}

std::string PricesLine(const BookFigures& before, const BookFigures& after, DayNumber date) {
  int priced = 0;
  for (const auto& [id, security] : after.securities) {
    auto earlier = before.securities.find(id);
    if (earlier == before.securities.end() || earlier->second.pricecount != security.pricecount ||
        earlier->second.pricec != security.pricec || earlier->second.pricedate != security.pricedate) {
      ++priced;
    }
  }
  return "Prices of " + std::to_string(priced) + (priced == 1 ? " security" : " securities") + " entered for " +
         FormatDate(date) + ".";
}

std::string MemberLine(const TMemberRec& member, const TMemberTranRec& tran, const BookFigures& before,
                       const BookFigures& after) {
  const std::string name = ToUtf8(ledger::DisplayName(member));
  if (KindOf(tran) == MemberTranKind::Payout) {
    std::string line = "Paid off " + name + ": " + FormatMoney(tran.dues) + " for " +
                       FormatFixed(ledger::UnitsOf(tran), 3) + " units at $" + FormatFixed(tran.cunit, 4) + " a unit";
    if (tran.fee != 0) line += ", less a fee of " + FormatMoney(tran.fee);
    return line + BalanceNote(before, after) + ".";
  }
  return "Fee of " + FormatMoney(tran.dues) + " from " + name + BalanceNote(before, after) + ".";
}

std::string SplitLine(const std::string& security, const std::string& ratio_new, const std::string& ratio_old,
                      const BookFigures& before, const BookFigures& after) {
  return "Split " + ToUtf8(security) + " " + ratio_new + " for " + ratio_old + ": " +
         Shares(SharesOf(before, security)) + " shares are now " + Shares(SharesOf(after, security)) +
         BalanceNote(before, after) + ".";
}

}  // namespace pellmark::cli
