// What the command line prints: for people a table with a header, aligned
// columns and a total row, or a summary of labelled figures; with --json the
// same figures as JSON for scripts (money as numbers, dates as "MM/DD/YYYY").
//
//   Listing members("Members", {{"Name", "name"}, {"Units", "units", Align::Right}});
//   members.Add({TextCell(name), UnitsCell(units)});
//   members.Total({TextCell("Total"), UnitsCell(sum)});
//   members.Print(out, json);
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "club/dates.h"

namespace pellmark::cli {

// One figure: the text a person reads and the value a script reads.
struct Cell {
  std::string text;  // UTF-8
  nlohmann::ordered_json value;
};

Cell TextCell(const std::string& utf8);
Cell MoneyCell(double amount);   // "$1,234.50", a negative amount in parentheses
Cell UnitsCell(double units);    // three decimals
Cell UnitValueCell(double value);  // "$8.3582": a unit value prices units, so four decimals
// The figure as its cell shows it: a Total row adds these, so that it is the
// sum of the rows printed above it.
double ShownMoney(double amount);
double ShownUnits(double units);
double ShownFixed(double value, int decimals);
Cell DateCell(DayNumber date);   // "MM/DD/YYYY"
Cell CountCell(long long count);
Cell FlagCell(bool on, const std::string& shown);  // `shown` when on, else blank
Cell BlankCell();

enum class Align { Left, Right };

struct Column {
  std::string header;
  std::string key;  // the field name in JSON
  Align align = Align::Left;
};

class Listing {
 public:
  Listing(std::string title, std::vector<Column> columns);

  void Add(std::vector<Cell> row);
  // The total row, printed under a rule when there are rows; blank cells stay blank.
  void Total(std::vector<Cell> row);
  // A table for people, or {"title", "rows": [...], "total": {...}} as JSON.
  void Print(std::ostream& out, bool json) const;

 private:
  nlohmann::ordered_json RowJson(const std::vector<Cell>& row) const;

  std::string title_;
  std::vector<Column> columns_;
  std::vector<std::vector<Cell>> rows_;
  std::vector<Cell> total_;
};

// Labelled figures, one a line with the labels aligned, or one JSON object.
class Summary {
 public:
  void Add(std::string label, std::string key, Cell cell);
  void Print(std::ostream& out, bool json) const;

 private:
  struct Line {
    std::string label, key;
    Cell cell;
  };
  std::vector<Line> lines_;
};

// Characters of a UTF-8 text, as a terminal lays them out.
std::size_t DisplayWidth(const std::string& utf8);

}  // namespace pellmark::cli
