// The page layout dialog (Tmargin) without its window: the four margin edits
// as text, their display, their defaults and the checks made whenever the
// dialog is about to close.
//
//   MarginForm form = MarginForm::Showing({0.25, 0.25, 0.75, 0.5});   // "0.25" … "0.50"
//   form.top = "1.5";
//   form.Errors();   // {"Top Margin must be between 0.00 and 1.00"}
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pellmark {

struct MarginValues {
  double top = 0.25, bottom = 0.25, left = 0.75, right = 0.50;
  friend bool operator==(const MarginValues&, const MarginValues&) = default;
};

struct MarginForm {
  std::string top, bottom, left, right;

  // The edits as the dialog shows the margins: two decimals.
  static MarginForm Showing(const MarginValues& margins);
  // What "Defaults" fills in.
  static MarginForm Defaults() { return {"0.25", "0.25", "0.75", "0.50"}; }

  // One message for each edit that does not read as a number from 0 to 1, in
  // the order top, bottom, right, left.
  std::vector<std::string> Errors() const;
  // The four values when every edit is valid.
  std::optional<MarginValues> Values() const;
};

// A margin as the settings keep it: its shortest decimal form ("0.5").
std::string MarginSettingText(double margin);

}  // namespace pellmark
