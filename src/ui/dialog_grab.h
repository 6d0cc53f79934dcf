// Pictures of the entry dialog and the lot chooser on sample data, laid out at
// their natural size without being shown; for the README and for checking the look.
//
//   GrabDialog("0", "buy.png", false);      // the "Buy" dialog of a new purchase
//   GrabDialog("13", "split.png", true);    // a split shown for change
//   GrabDialog("lots", "lots.png", false);  // the lot chooser of a sale
#pragma once

#include <QString>

namespace pellmark::ui {

// Writes the picture and returns the program's exit status: 0 written, 2 unknown
// dialog, 3 the file could not be written.
int GrabDialog(const QString& which, const QString& file, bool change);

}  // namespace pellmark::ui
