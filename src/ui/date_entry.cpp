#include "ui/date_entry.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

const QDate kDayZero(1899, 12, 30);

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& name, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setArrowType(arrow);
  button->setToolTip(tip);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setFixedSize(18, 12);
  return button;
}

// Keys on the edit field that work the spin buttons and the calendar, so the
// group is usable without the mouse.
class FieldKeys : public QObject {
 public:
  FieldKeys(DateEntry* entry, std::function<void()> show_calendar)
      : QObject(entry), entry_(entry), show_calendar_(std::move(show_calendar)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool alt = key->modifiers() & Qt::AltModifier;
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
        if (alt) {
          show_calendar_();
        } else {
          entry_->FieldExit();
          entry_->Spin(ctrl ? SpinMode::kYear : SpinMode::kDay, key->key() == Qt::Key_Up ? 1 : -1);
        }
        return true;
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        entry_->FieldExit();
        entry_->Spin(ctrl ? SpinMode::kYear : SpinMode::kMonth, key->key() == Qt::Key_PageUp ? 1 : -1);
        return true;
      case Qt::Key_F4:
        show_calendar_();
        return true;
      default:
        return QObject::eventFilter(watched, event);
    }
  }

 private:
  DateEntry* entry_;
  std::function<void()> show_calendar_;
};

}  // namespace

QDate ToQDate(DayNumber day) {
  CivilDate date = CivilFromDayNumber(day);
  return QDate(date.year, date.month, date.day);
}

DayNumber FromQDate(QDate date) { return static_cast<DayNumber>(kDayZero.daysTo(date)); }

SpinButtons::SpinButtons(const QString& name, const QString& what, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  QToolButton* up_button = ArrowButton(Qt::UpArrow, name + QStringLiteral("up"), tr("Next %1").arg(what), this);
  QToolButton* down_button =
      ArrowButton(Qt::DownArrow, name + QStringLiteral("down"), tr("Previous %1").arg(what), this);
  layout->addWidget(up_button);
  layout->addWidget(down_button);
  connect(up_button, &QToolButton::clicked, this, &SpinButtons::up);
  connect(down_button, &QToolButton::clicked, this, &SpinButtons::down);
}

DateEntry::DateEntry(const Names& names, Interaction& ui, DayNumber today, QWidget* parent)
    : QWidget(parent), ui_(ui) {
  setObjectName(names.edit + QStringLiteral("group"));

  edit_ = new QLineEdit(this);
  edit_->setObjectName(names.edit);
  edit_->setToolTip(tr("Date as mm/dd/yyyy. Up/Down: day, Page Up/Down: month, Ctrl+Up/Down: year, F4: calendar"));
  edit_->setMaxLength(10);
  edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);

  calendar_button_ = new QToolButton(this);
  calendar_button_->setObjectName(names.calendar + QStringLiteral("button"));
  calendar_button_->setArrowType(Qt::DownArrow);
  calendar_button_->setToolTip(tr("Choose the date from a calendar (F4)"));
  calendar_button_->setFocusPolicy(Qt::NoFocus);

  calendar_name_ = names.calendar;

  auto* day_spin = new SpinButtons(names.day_spin, tr("day"), this);
  month_label_ = new QLabel(this);
  month_label_->setObjectName(names.month_label);
  month_label_->setMinimumWidth(month_label_->fontMetrics().horizontalAdvance(QStringLiteral("September")) + 4);
  month_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* month_spin = new SpinButtons(names.month_spin, tr("month"), this);
  year_label_ = new QLabel(this);
  year_label_->setObjectName(names.year_label);
  year_label_->setMinimumWidth(year_label_->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
  year_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* year_spin = new SpinButtons(names.year_spin, tr("year"), this);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(edit_);
  layout->addWidget(calendar_button_);
  layout->addWidget(day_spin);
  layout->addSpacing(12);
  layout->addWidget(month_label_);
  layout->addWidget(month_spin);
  layout->addSpacing(8);
  layout->addWidget(year_label_);
  layout->addWidget(year_spin);
  layout->addStretch(1);

  connect(edit_, &QLineEdit::editingFinished, this, &DateEntry::FieldExit);
  connect(calendar_button_, &QToolButton::clicked, this, &DateEntry::ShowCalendar);
  connect(day_spin, &SpinButtons::up, this, [this] { Spin(SpinMode::kDay, 1); });
  connect(day_spin, &SpinButtons::down, this, [this] { Spin(SpinMode::kDay, -1); });
  connect(month_spin, &SpinButtons::up, this, [this] { Spin(SpinMode::kMonth, 1); });
  connect(month_spin, &SpinButtons::down, this, [this] { Spin(SpinMode::kMonth, -1); });
  connect(year_spin, &SpinButtons::up, this, [this] { Spin(SpinMode::kYear, 1); });
  connect(year_spin, &SpinButtons::down, this, [this] { Spin(SpinMode::kYear, -1); });
  edit_->installEventFilter(new FieldKeys(this, [this] { ShowCalendar(); }));

  SetDate(today);
}

DayNumber DateEntry::Date() const { return FromQDate(date_); }

// The calendar is built when first wanted: five date fields of the window each
// have one, and building them all would hold up the window's start.
QCalendarWidget* DateEntry::Calendar() {
  if (calendar_ != nullptr) return calendar_;
  calendar_ = new QCalendarWidget(this);
  calendar_->setObjectName(calendar_name_);
  calendar_->setWindowFlags(Qt::Popup);
  calendar_->setGridVisible(true);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar_->setSelectedDate(date_);
  calendar_->hide();
  connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate picked) {
    calendar_->hide();
    CalendarChange(picked);
    emit listRefreshDue();
  });
  connect(calendar_, &QCalendarWidget::activated, calendar_, &QWidget::hide);
  connect(calendar_, &QCalendarWidget::selectionChanged, this,
          [this] { CalendarChange(calendar_->selectedDate()); });
  return calendar_;
}

void DateEntry::SetDate(DayNumber date) {
  date_ = ToQDate(date);
  if (calendar_ != nullptr) {
    const QSignalBlocker quiet(calendar_);
    calendar_->setSelectedDate(date_);
  }
  edit_->setText(FromCore(FormatDate(date)));
  ShowLabels(date);
}

void DateEntry::ShowLabels(DayNumber date) {
  CivilDate shown = CivilFromDayNumber(date);
  month_label_->setText(FromCore(MonthName(shown.month)));
  year_label_->setText(QString::number(shown.year));
}

void DateEntry::FieldExit() {
  // The error box takes the focus from the field; that second exit is the same one.
  if (reading_field_) return;
  reading_field_ = true;
  const std::string typed = ToCore(edit_->text());
  std::optional<DayNumber> date = ParseDate(typed);
  if (!date) {
    ui_.ShowError(typed + " is an invalid date.");
    SetDate(Date());
  } else {
    const bool changed = *date != Date();
    SetDate(*date);
    if (changed) emit dateChanged(*date);
    emit listRefreshDue();
  }
  reading_field_ = false;
}

void DateEntry::Spin(SpinMode mode, int step) {
  SpunDate spun = SpinDate(Date(), mode, step);
  SetDate(spun.date);
  emit dateChanged(spun.date);
  if (spun.year_changed) emit listRefreshDue();
}

void DateEntry::ShowCalendar() {
  FieldExit();
  QCalendarWidget* calendar = Calendar();
  calendar->move(edit_->mapToGlobal(QPoint(0, edit_->height())));
  calendar->show();
  calendar->setFocus();
}

void DateEntry::CalendarChange(QDate picked) {
  date_ = picked;
  const DayNumber date = FromQDate(picked);
  edit_->setText(FromCore(FormatDate(date)));
  ShowLabels(date);
  emit dateChanged(date);
}

}  // namespace pellmark::ui
