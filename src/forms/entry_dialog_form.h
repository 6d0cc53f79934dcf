// The controls of the transaction entry dialog as plain data: captions, typed
// texts, ticks, visibility and enabling. The core fills and updates it; a window
// draws it and writes the user's typing back into it.
//
//   EntryDialog dialog(request);
//   const EntryForm& form = dialog.Form();
//   form.typelabel.caption    -> "Investment"
//   form.commgroup.visible    -> true
#pragma once

#include <string>
#include <vector>

#include "club/entry_dialog_mode.h"

namespace pellmark {

struct EntryControl {
  std::string caption;  // label, group or tick-box caption
  std::string text;     // what the box holds
  bool visible = true;
  bool enabled = true;
  bool checked = false;
};

struct EntryList {
  std::vector<std::string> items;
  int selected = -1;  // -1: nothing selected
  bool visible = true;
  bool enabled = true;
};

// Indexes of `captype`.
inline constexpr int kCapitalReduction = 0;
inline constexpr int kCapitalGain = 1;
// Indexes of the capital gain terms in `allunits`.
inline constexpr int kLongTermGain = 0;
inline constexpr int kMediumTermGain = 1;
inline constexpr int kShortTermGain = 2;

inline constexpr int kWideDescription = 235;
inline constexpr int kNarrowDescription = 70;

struct EntryForm {
  EntryMode mode = EntryMode::Buy;
  bool change = false;
  // Set for a stored record that may only be deleted: OK closes as cancelled.
  bool read_only = false;
  std::string title;
  int help_topic = 0;

  EntryControl NameLabel;    // heading: caption
  EntryControl Date;         // text
  EntryControl typelabel;    // caption of the amount box
  EntryControl amount;       // text
  EntryControl pricelabel;   // caption of the price box
  EntryControl price;        // text
  EntryControl ratio;        // the "Ratio" label
  EntryControl commgroup;    // caption "Commission+Fees"
  EntryControl commission;   // text
  EntryControl compcomm;     // tick "Company Paid"
  EntryControl accountgroup; // caption "Account", "Category" or "Transfer Account"
  EntryControl tran;         // tick "Account Transaction"
  EntryList accountbox;
  EntryControl tax;          // tick "Taxable", or "Check" for a purchase or payoff
  EntryControl desclabel;    // caption of the description box
  EntryControl desc;         // text
  int desc_width = kWideDescription;
  EntryControl cleared;      // tick "Cleared", "Clear Short" or "Short"
  EntryList allunits;        // securities, capital gain terms or payoff valuations
  EntryControl payofflabel;  // caption of `allunits`
  EntryList captype;         // "Reduction", "Gain"
  EntryControl fractions;    // tick "Cash For Fractions"
  EntryControl warnlabel;    // the notice line
  EntryControl abort;        // button "Abort"
};

}  // namespace pellmark
