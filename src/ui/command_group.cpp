#include "ui/command_group.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "ui/named_widgets.h"

namespace pellmark::ui {

CommandGroup::CommandGroup(const QString& title, const QString& name, QWidget* parent)
    : QGroupBox(title, parent), column_(new QVBoxLayout(this)) {
  setObjectName(name);
  // The buttons keep their height and stand at the top of a taller group.
  column_->addStretch(1);
}

QPushButton* CommandGroup::Add(const QString& caption, const QString& name) {
  QPushButton* button = Button(caption, name, this);
  column_->insertWidget(column_->count() - 1, button);
  buttons_.push_back(button);
  return button;
}

}  // namespace pellmark::ui
