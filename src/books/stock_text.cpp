#include "books/stock_text.h"

#include "club/dates.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "securities/price_ledger.h"
#include "securities/security_totals.h"

namespace pellmark {
namespace {

// A figure of a split or basis change: 2 decimals, a trailing ".00" removed.
std::string RatioFigure(double value) {
  std::string text = FormatFixed(value, 2);
  if (text.size() > 3 && text.compare(text.size() - 3, 3, ".00") == 0) text.resize(text.size() - 3);
  return text;
}

std::string SharesText(const ledger::StockRow& row) {
  if (row.ratio) {
    const char* joint = row.kind == SecurityTranKind::Split ? " for " : " to ";
    return RatioFigure(row.ratio->first) + joint + RatioFigure(row.ratio->second);
  }
  if (!row.shares) return "";
  // A clear shows the holding it removed as stored; traded shares lose their trailing zeros.
  return row.kind == SecurityTranKind::Clear ? FormatFixed(*row.shares, 3) : ledger::TrimmedShares(*row.shares, 3);
}

}  // namespace

std::string StockGridCaption(std::optional<std::int32_t> year) {
  return year ? std::to_string(*year) + " Transaction History" : "Complete Transaction History";
}

std::string StockTypeLabel(const TSecurityTranRec& tran) {
  switch (KindOf(tran)) {
    case SecurityTranKind::Purchase:
      if (IsCoveringPurchase(tran)) return "Buy (Short)";
      if (IsFractionLot(tran)) return tran.sold ? "Split-Buy (Sold)" : "Split-Fraction";
      return tran.sold ? "Buy (Sold)" : "Buy";
    case SecurityTranKind::Sale:
      if (IsFractionSale(tran)) return "Split-Sell";
      if (IsShortSale(tran)) return tran.sold ? "Short Sell (Buy)" : "Short Sell";
      return "Sell";
    case SecurityTranKind::Dividend: return tran.tax ? "Dividend" : "NT Dividend";
    case SecurityTranKind::Reinvestment: return tran.tax ? "Re-Investment" : "NO Tax-ReInv";
    case SecurityTranKind::CapitalReduction: return "Cap-Reduction";
    case SecurityTranKind::CapitalGain: {
      const std::string term = tran.tax ? "ST Cap-" : tran.compc ? "MT Cap-" : "LT Cap-";
      return term + (tran.amount > 0 ? "Gain" : "Loss");
    }
    case SecurityTranKind::Clear: return "Clear";
    case SecurityTranKind::Split: return "Stock Split";
    case SecurityTranKind::BasisChange: return "Basis Change";
    case SecurityTranKind::ForeignTax: return "Foreign Tax";
  }
  return "";
}

StockRowText StockRowTexts(const ledger::StockRow& row) {
  return {.date = FormatDate(row.date),
          .type = StockTypeLabel(row.record),
          .shares = SharesText(row),
          .amount = row.amount ? FormatParenthesized(*row.amount, 2) : "",
          .price = row.price ? ledger::FormatPrice(*row.price) : "",
          .comm = row.commission ? FormatFixed(*row.commission, 2) : ""};
}

}  // namespace pellmark
