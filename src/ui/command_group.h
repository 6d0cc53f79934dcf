// A titled column of command buttons: the present-day form of a radio group
// that acts on click and clears itself (`accountselect`, `memberselect`,
// `accountspcselect` ...). The group carries the object name; each button its own.
//
//   auto* group = new CommandGroup(tr("Maintenance"), QStringLiteral("accountspcselect"), area);
//   connect(group->Add(tr("&Hide Account"), QStringLiteral("acthide")), &QPushButton::clicked, this, ...);
#pragma once

#include <QGroupBox>
#include <vector>

class QPushButton;
class QVBoxLayout;

namespace pellmark::ui {

class CommandGroup : public QGroupBox {
  Q_OBJECT

 public:
  CommandGroup(const QString& title, const QString& name, QWidget* parent);

  // Adds a button under the others and returns it for connecting.
  QPushButton* Add(const QString& caption, const QString& name);
  // The buttons in the order they were added.
  const std::vector<QPushButton*>& Buttons() const { return buttons_; }

 private:
  QVBoxLayout* column_;
  std::vector<QPushButton*> buttons_;
};

}  // namespace pellmark::ui
