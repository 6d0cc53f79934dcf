#include "ui/named_widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pellmark::ui {

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QLineEdit* Field(const QString& name, int max_length, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setMaxLength(max_length);
  return field;
}

QLabel* Figure(const QString& name, QWidget* parent) {
  auto* figure = new QLabel(parent);
  figure->setObjectName(name);
  figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  figure->setTextInteractionFlags(Qt::TextSelectableByMouse);
  figure->setMinimumWidth(110);
  return figure;
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QPushButton* button : buttons) row->addWidget(button);
  return row;
}

}  // namespace pellmark::ui
