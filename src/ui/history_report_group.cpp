#include "ui/history_report_group.h"

#include <QPushButton>

#include "reports/history_reports.h"
#include "ui/date_entry.h"

namespace pellmark::ui {

CommandGroup* MakeHistoryReportGroup(Books& books, DateEntry& reportdate,
                                     std::function<void(std::unique_ptr<reports::Report>)> show, QWidget* parent) {
  auto* group = new CommandGroup(QObject::tr("History"), QStringLiteral("historyselect"), parent);
  Books* club_books = &books;
  DateEntry* date = &reportdate;
  auto add = [&](const QString& caption, const QString& name, auto make) {
    QObject::connect(group->Add(caption, name), &QPushButton::clicked, group, [club_books, date, show, make] {
      ClubSession& club = club_books->Club();
      show(make(club, club.Info().club, date->Date()));
    });
  };
  add(QObject::tr("&Account Records"), QStringLiteral("accountrecords"),
      [](ClubSession& club, const std::string& name, DayNumber date) {
        return std::make_unique<reports::AccountTransactionsReport>(club, name, date);
      });
  add(QObject::tr("&Security Records"), QStringLiteral("securityrecords"),
      [](ClubSession& club, const std::string& name, DayNumber date) {
        return std::make_unique<reports::SecurityTransactionsReport>(club, name, date);
      });
  add(QObject::tr("Price &History"), QStringLiteral("pricehistory"),
      [](ClubSession& club, const std::string& name, DayNumber date) {
        return std::make_unique<reports::PriceHistoryReport>(club, name, date);
      });
  return group;
}

}  // namespace pellmark::ui
