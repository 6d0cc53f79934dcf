#include "reports/history_reports.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "club/keys.h"
#include "club/number_format.h"

namespace pellmark::reports {

namespace {

constexpr Rgb kGreen = 0x008000;
constexpr const char* kAccountFormat = "<0.75|<1.04|<1.74|<1.74|>0.99|>0.99";
constexpr const char* kSecurityFormat = "<1.00|<1.25|>1.00|>1.00|>1.00|>1.00|>1.00";
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Fixed(double value, int decimals) { return FormatFixed(value, decimals); }
std::string Money(double value) { return "$" + Fixed(value, 2); }

void Blank(TPagePrinter& printer, int lines = 1) {
  for (int i = 0; i < lines; ++i) printer.WriteLine(" ");
}

// A table row of `fill` repeated as wide as each count of digits.
std::string FillerRow(TPagePrinter& printer, const char* fill, std::initializer_list<int> digits) {
  std::string row;
  for (int count : digits) {
    if (!row.empty()) row += '|';
    row.append(static_cast<std::size_t>(std::max(printer.RepeatCount(fill, count), 0)), fill[0]);
  }
  return row;
}

void BoldLine(TPagePrinter& printer, const std::string& text) {
  printer.BoldOn();
  printer.SetFontSize(10);
  printer.WriteLine(text);
  printer.BoldOff();
}

std::string Optional(const std::optional<double>& value, int decimals, bool money) {
  if (!value) return " ";
  return (money ? "$" : "") + Fixed(*value, decimals);
}

}  // namespace

// ---- Account transactions ----

AccountTransactionsReport::AccountTransactionsReport(ClubSession& club, std::string club_name, DayNumber date)
    : club_(club), club_name_(std::move(club_name)), date_(date), accounts_(club.accounts.Select()) {
  if (accounts_.size() >= 2) {
    for (std::size_t i = 0; i < accounts_.size(); ++i) options.Add(accounts_[i].name, static_cast<int>(i) + 1, i == 0);
    options.SetSelection(1);
  }
}

bool AccountTransactionsReport::Choose(const std::string& name) {
  for (std::size_t i = 0; i < options.Items().size(); ++i) {
    if (options.Items()[i].caption == name) {
      options.Click(i);
      return true;
    }
  }
  return accounts_.size() == 1 && accounts_.front().name == name;
}

const TAccountRec* AccountTransactionsReport::Chosen() const {
  if (accounts_.empty()) return nullptr;
  const int tag = options.Selection();
  if (tag >= 1 && static_cast<std::size_t>(tag) <= accounts_.size()) return &accounts_[static_cast<std::size_t>(tag) - 1];
  return &accounts_.front();
}

void AccountTransactionsReport::Lay(TPagePrinter& printer) {
  const TAccountRec* account = Chosen();
  if (account == nullptr) {
    layout::Heading(printer, club_name_, "Account Transactions");
    Blank(printer, 2);
    BoldLine(printer, "No Accounts on file.");
    return;
  }
  const AccountHistory history = ComputeAccountHistory(club_, *account, date_);
  layout::Heading(printer, club_name_,
                  history.name + " Account Transactions: " + FormatDate(history.from) + " thru " +
                      FormatDate(history.to) + ".");
  printer.SetFontSize(7);
  Blank(printer, 2);
  printer.SetTableFormat(kAccountFormat);
  const std::string rule = FillerRow(printer, "=", {8, 12, 22, 22, 12, 12});
  printer.WriteTableLine("Date|Type|Description|Category|Debits|Credits");
  printer.WriteTableLine(rule);
  for (const AccountHistoryRow& row : history.rows) {
    const std::string amount = Fixed(row.amount, 2);
    printer.WriteTableLine(FormatDate(row.date) + "|" + row.type + "|" + row.description + "|" + row.category + "|" +
                           (row.credit ? " |" + amount : amount + "| "));
  }
  printer.WriteTableLine(rule);
  printer.WriteTableLine("Totals| | | |" + Money(history.debits) + "|" + Money(history.credits));
  Blank(printer, 2);
  BoldLine(printer, "Current Balance " + Money(history.balance));
}

// ---- Security transactions ----

SecurityTransactionsReport::SecurityTransactionsReport(ClubSession& club, std::string club_name, DayNumber date)
    : club_(club), club_name_(std::move(club_name)), date_(date) {
  club.securities.ForEach("", [&](TSecurityRec&& security) { names_.push_back(security.name); });
  if (names_.size() >= 2) {
    options.Add("All Active Securities", kAllActiveTag);
    options.Add("All Securities on Record", kAllOnRecordTag);
    for (std::size_t i = 0; i < names_.size(); ++i) options.Add(names_[i], static_cast<int>(i) + 1, i == 0);
    options.SetSelection(1);
  }
}

bool SecurityTransactionsReport::Choose(const std::string& name) {
  for (std::size_t i = 2; i < options.Items().size(); ++i) {
    if (options.Items()[i].caption == name) {
      options.Click(i);
      return true;
    }
  }
  return names_.size() == 1 && names_.front() == name;
}

SecurityHistories SecurityTransactionsReport::Histories() {
  if (names_.empty()) return {};
  const int tag = options.Selection();
  if (tag == kAllActiveTag) return ComputeSecurityHistories(club_, SecurityChoice::kAllActive, "", date_);
  if (tag == kAllOnRecordTag) return ComputeSecurityHistories(club_, SecurityChoice::kAllOnRecord, "", date_);
  const std::size_t index = tag >= 1 && static_cast<std::size_t>(tag) <= names_.size() ? static_cast<std::size_t>(tag) - 1 : 0;
  return ComputeSecurityHistories(club_, SecurityChoice::kOne, names_[index], date_);
}

void SecurityTransactionsReport::Lay(TPagePrinter& printer) {
  if (names_.empty()) {
    layout::Heading(printer, club_name_, "Security Transactions");
    Blank(printer, 2);
    BoldLine(printer, "No Securities on file.");
    return;
  }
  const bool all = options.Selection() == kAllActiveTag || options.Selection() == kAllOnRecordTag;
  const SecurityHistories histories = Histories();
  const std::string thru = " thru " + FormatDate(date_) + ".";
  layout::Heading(printer, club_name_,
                  all || histories.securities.empty() ? "Security Transactions" + thru
                                                      : histories.securities.front().name + " Security Transactions" + thru);
  Blank(printer, 2);
  for (const SecurityHistory& security : histories.securities) {
    if (all) BoldLine(printer, security.name);
    printer.SetFontSize(10);
    layout::HalfGap(printer);
    if (security.percent_of_holdings) {
      printer.WriteLine(Fixed(*security.percent_of_holdings, 2) + " Percent of total security holdings");
      Blank(printer, 2);
    }
    printer.SetFontSize(9);
    printer.SetTableFormat(kSecurityFormat);
    const std::string rule = FillerRow(printer, "=", {10, 20, 10, 10, 10, 10, 10});
    printer.WriteTableLine("Date|Type|Dividend|Amount|Shares|Price|Commission");
    printer.WriteTableLine(rule);
    for (const SecurityHistoryRow& row : security.rows) {
      printer.WriteTableLine(FormatDate(row.date) + "|" + row.type + "|" + Optional(row.dividend, 2, true) + "|" +
                             Optional(row.amount, 2, true) + "|" + Optional(row.shares, 3, false) + "|" +
                             Optional(row.price, 3, true) + "|" + Optional(row.commission, 2, true));
    }
    printer.WriteTableLine(rule);
    printer.WriteTableLine("Totals| |" + Money(security.dividends) + "| |" + Fixed(security.shares, 3) + "| |" +
                           Money(security.commissions));
    Blank(printer, 2);
    // Each security's own costs and proceeds, so that a list of several does
    // not show only the last one's under the others' names.
    if (security.costs != 0) BoldLine(printer, "Total Costs: " + Money(security.costs));
    if (security.proceeds != 0) BoldLine(printer, "Total Proceeds: " + Money(security.proceeds));
    if (all) Blank(printer, 2);
  }
  if (all) {
    if (histories.total_costs != 0) BoldLine(printer, "Total Costs of All Securities: " + Money(histories.total_costs));
    if (histories.total_proceeds != 0) {
      BoldLine(printer, "Total Proceeds of All Securities: " + Money(histories.total_proceeds));
    }
  }
}

// ---- Price history graph ----

PriceHistoryReport::PriceHistoryReport(ClubSession& club, std::string club_name, DayNumber date)
    : club_(club), club_name_(std::move(club_name)), date_(date) {
  club.securities.ForEach("", [&](TSecurityRec&& security) {
    bool priced = false;
    club.prices.ForEachBackward(OwnerFilter(security.stkid), [&](TPriceRec&&) {
      priced = true;
      return false;
    });
    if (priced) securities_.push_back(std::move(security));
  });
  for (std::size_t i = 0; i < securities_.size(); ++i) options.Add(securities_[i].name, static_cast<int>(i) + 1, i == 0);
  if (!securities_.empty()) options.SetSelection(1);
}

bool PriceHistoryReport::Choose(const std::string& name) {
  for (std::size_t i = 0; i < options.Items().size(); ++i) {
    if (options.Items()[i].caption == name) {
      options.Click(i);
      return true;
    }
  }
  return false;
}

std::optional<PriceHistory> PriceHistoryReport::History() {
  const int tag = options.Selection();
  if (tag < 1 || static_cast<std::size_t>(tag) > securities_.size()) return std::nullopt;
  return ComputePriceHistory(club_, securities_[static_cast<std::size_t>(tag) - 1], date_);
}

void PriceHistoryReport::Lay(TPagePrinter& printer) {
  printer.SetPenColor(kBlack);
  printer.SolidPen();
  const std::optional<PriceHistory> history = History();
  layout::Heading(printer, club_name_, (history ? history->name : std::string()) + " 52 Week Price History Graph");
  Blank(printer, 2);
  if (!history) {
    BoldLine(printer, "No Securities have a price History.");
    return;
  }
  if (history->prices.empty()) {
    BoldLine(printer, "Securities has no price history for specified date.");
    return;
  }
  printer.SetFontSize(8);
  const int cw = printer.CharWidth();
  const int line = printer.LineHeight();
  const int height = 27 * line;
  const int width = 72 * cw;
  const int left = 8 * cw;
  // The graph and its month rows stay on one page.
  if (printer.CurrentY() + height + 4 * line >= printer.PrintableHeight()) printer.NewPage();
  const int top = printer.CurrentY();
  const int bottom = top + height;
  const double scale_top = PriceScaleTop(history->high);
  const double scale = height / scale_top;
  auto y_of = [&](double price) {
    return std::clamp(top + static_cast<int>(std::lround((scale_top - price) * scale)), top, bottom);
  };
  const bool color = printer.UseColor();
  auto pen = [&](Rgb rgb) { printer.SetPenColor(color ? rgb : kBlack); };
  auto text_at = [&](int x, int y, const std::string& text, Rgb rgb) {
    printer.SetFontColor(color ? rgb : kBlack);
    printer.SetAutoResetX(false);
    printer.SetCurrentX(x);
    printer.SetCurrentY(y);
    printer.WriteLine(text);
    printer.SetAutoResetX(true);
    printer.SetFontColor(kBlack);
  };

  // Axes, with a tick and its price at each tenth of the height.
  pen(kBlack);
  printer.SolidPen();
  printer.DrawLine(left, top, left, bottom);
  printer.DrawLine(left, bottom, left + width, bottom);
  for (int j = 0; j <= 10; ++j) {
    const int y = top + height * j / 10;
    printer.DrawLine(left - cw, y, left, y);
    text_at(0, y - line / 2, "$" + Fixed(scale_top - scale_top / 10 * j, 2), kBlack);
  }

  // The prices: a short mark each, joined in date order by a green line.
  int previous_x = 0, previous_y = 0;
  for (std::size_t i = 0; i < history->prices.size(); ++i) {
    const PricePoint& point = history->prices[i];
    const int day = CivilFromDayNumber(point.date).day;
    const int x = left + (point.column - 1) * 6 * cw + 6 * cw * day / 31;
    const int y = y_of(point.price);
    if (point.price == history->high) {
      pen(kBlue);
      printer.SolidPen();
    } else if (point.price == history->low) {
      pen(kRed);
      printer.SolidPen();
    } else {
      pen(kBlack);
      printer.DottedPen();
    }
    printer.DrawLine(x, y, x + 2 * cw, y);
    if (i > 0) {
      pen(kGreen);
      printer.SolidPen();
      printer.DrawLine(previous_x + cw, previous_y, x + cw, y);
    }
    previous_x = x;
    previous_y = y;
  }

  // The current price across the graph, and the legend to its right.
  pen(kBlack);
  printer.SolidPen();
  printer.DrawLine(left, y_of(history->current), left + width, y_of(history->current));
  const int legend = left + width + 2 * cw;
  text_at(legend, top, "$" + Fixed(history->current, 3) + " Current Price", kBlack);
  text_at(legend, top + line, "$" + Fixed(history->purchase, 3) + " Purchase Price", kBlack);
  text_at(legend, top + 2 * line, "$" + Fixed(history->high, 3) + " 52 Week High", kBlue);
  text_at(legend, top + 3 * line, "$" + Fixed(history->low, 3) + " 52 Week Low", kRed);

  // Month names under their columns, the year under the first, the last and
  // a December the year changes after.
  const double dpi = printer.Geometry().dpi_x > 0 ? printer.Geometry().dpi_x : 300;
  std::string format = fmt::format("<{:.4f}", left / dpi);
  for (int column = 0; column < 12; ++column) format += fmt::format("|<{:.4f}", 6 * cw / dpi);
  printer.SetTableFormat(format);
  printer.SetCurrentX(0);
  printer.SetCurrentY(bottom + line / 2);
  const CivilDate to = CivilFromDayNumber(date_);
  std::string months = " ", years = " ";
  for (int column = 1; column <= 12; ++column) {
    const int months_before = 12 - column;
    const int index = (to.year * 12 + (to.month - 1)) - months_before;
    const int year = index / 12;
    const int month = index % 12;
    months += std::string("|") + kMonthNames[month];
    const bool shown = column == 1 || column == 12 || month == 11;
    years += shown ? "|" + std::to_string(year) : "| ";
  }
  printer.WriteTableLine(months);
  printer.WriteTableLine(years);
}

}  // namespace pellmark::reports
