// The lot chooser without a window: the open lots of a security (or its open short
// sales), the shares of a sale (or covering purchase) allocated to them one row at
// a time, and the candidate list rewritten on OK so that the lot relief walks the
// rows taken whole first and then the row taken in part.
//
//   LotChooser chooser(request);              // a sale of 150 shares, lots of 100 and 100
//   chooser.stockfilterClick(1);              // row 1 shows "100.0000", 50 shares left
//   chooser.stockfilterClick(0);              // row 0 shows "50.0000", tshares "0.0000"
//   LotChoiceOutcome ok = chooser.PressOk();  // keys: row 1, then row 0
#pragma once

#include <string>
#include <vector>

#include "club/lot_chooser_request.h"

namespace pellmark::securities {

struct LotRow {
  std::string key;
  std::string date;    // "mm/dd/yyyy"
  std::string type;    // "Buy", "Short Sell", "Re-Investment", "NO Tax-ReInv"
  std::string shares;  // 4 decimals
  std::string status;  // the shares allocated to the row, 4 decimals; empty until allocated
  double share_count = 0;
};

struct LotChoiceOutcome {
  bool accepted = false;
  std::string message;            // "All shares are not sold." when refused
  std::vector<std::string> keys;  // the rewritten candidate list when accepted
};

class LotChooser {
 public:
  explicit LotChooser(const LotChooserRequest& request);

  std::string Title() const;           // "Select Sell Shares" / "Select Buy Shares"
  std::string GroupCaption() const;    // "Buy History" / "Sell History"
  std::string ButtonCaption() const;   // "SELL" / "BUY"
  std::string TotalCaption() const;    // "Shares to Sell" / "Shares to Buy"
  std::string StatusHeader() const;    // "Sold?" / "Bought?"
  std::string NameLabel() const { return name_; }
  static constexpr int kHelpTopic = 2507;

  const std::vector<LotRow>& Rows() const { return rows_; }
  // The shares still to allocate, 4 decimals.
  std::string tshares() const;
  // The allocation button is enabled while shares remain to allocate.
  bool CanAllocate() const { return remaining_ > 0; }

  // Allocates the remaining shares to `row`: all of them when the row holds as
  // many or more, else the whole row. A row is allocated once; other calls do nothing.
  void stockfilterClick(int row);

  // OK: refused while shares remain, else the rows taken whole in grid order,
  // then the row taken in part.
  LotChoiceOutcome PressOk() const;
  LotChooserResult Result() const;  // the outcome of PressOk as the port's result

 private:
  double RemainingShares() const;

  LotChooserMode mode_;
  std::string name_;
  double price_;
  double remaining_;  // money still to allocate (R)
  std::vector<LotRow> rows_;
};

}  // namespace pellmark::securities
