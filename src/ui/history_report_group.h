// The Reports page's history reports: "Account Records" and "Security Records"
// (an account's or the securities' transactions) and "Price History" (a
// security's 52-week price graph), each set up for the report calendar's date
// and shown in the report window.
#pragma once

#include <functional>
#include <memory>

#include "books/books.h"
#include "reports/report.h"
#include "ui/command_group.h"

namespace pellmark::ui {

class DateEntry;

// A group of the three commands; `show` lays the report out in the report window.
CommandGroup* MakeHistoryReportGroup(Books& books, DateEntry& reportdate,
                                     std::function<void(std::unique_ptr<reports::Report>)> show, QWidget* parent);

}  // namespace pellmark::ui
