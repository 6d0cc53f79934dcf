// DateEntry: the date group of a page. An edit field typed as "mm/dd/yyyy", a
// pop-up calendar, the month and year labels, and three pairs of small arrow
// buttons that move the date by day, month or year.
//
// The calendar holds the last accepted date: a typed text that is not a date is
// refused with "<text> is an invalid date." and the field goes back to it.
//
//   DateEntry* dues = new DateEntry(DateEntry::Names{"duesdate", "duescal", ...}, ui, today, page);
//   connect(dues, &DateEntry::listRefreshDue, page, &DuesPage::RefreshDuesList);
#pragma once

#include <QDate>
#include <QWidget>

#include "club/dates.h"
#include "club/interaction.h"
#include "forms/date_spin.h"

class QCalendarWidget;
class QLabel;
class QLineEdit;
class QToolButton;

namespace pellmark::ui {

// Two stacked arrow buttons; the pair carries the object name, its buttons
// "<name>up" and "<name>down".
class SpinButtons : public QWidget {
  Q_OBJECT

 public:
  SpinButtons(const QString& name, const QString& what, QWidget* parent);

 signals:
  void up();
  void down();
};

class DateEntry : public QWidget {
  Q_OBJECT

 public:
  // The object names of the group's widgets.
  struct Names {
    QString edit, calendar, year_label, month_label, day_spin, month_spin, year_spin;
  };

  DateEntry(const Names& names, Interaction& ui, DayNumber today, QWidget* parent = nullptr);

  // The accepted date (the calendar's).
  DayNumber Date() const;
  // Shows `date` in the field, the calendar and the labels.
  void SetDate(DayNumber date);

  // Leaving the edit field: reads the typed text.
  void FieldExit();
  // One spin button press.
  void Spin(SpinMode mode, int step);

  QLineEdit* Field() const { return edit_; }

 signals:
  // The shown date changed (typed, picked, spun).
  void dateChanged(double date);
  // The page's dependent list should be refreshed for the new date (a typed date,
  // a year spin, a day or month spin that changed the year); the page skips it
  // when its "All" box is ticked.
  void listRefreshDue();

 private:
  void ShowCalendar();
  void CalendarChange(QDate picked);
  void ShowLabels(DayNumber date);
  // The pop-up calendar, built at its first use.
  QCalendarWidget* Calendar();

  Interaction& ui_;
  QLineEdit* edit_;
  QToolButton* calendar_button_;
  QCalendarWidget* calendar_ = nullptr;
  QString calendar_name_;
  QDate date_;  // the date shown
  QLabel* month_label_;
  QLabel* year_label_;
  bool reading_field_ = false;
};

// Day numbers and QDate.
QDate ToQDate(DayNumber day);
DayNumber FromQDate(QDate date);

}  // namespace pellmark::ui
