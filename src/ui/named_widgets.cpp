#include "ui/named_widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>

#include "club/text_encoding.h"

namespace pellmark::ui {
namespace {

class StorableTextValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int&) const override {
    const std::string unstorable = UnstorableCharacters(input.toStdString());
    if (unstorable.empty()) return Acceptable;
    if (auto* field = qobject_cast<QWidget*>(parent())) {
      QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                         tr("Cannot be stored: %1").arg(QString::fromStdString(unstorable)), field);
    }
    return Invalid;
  }
};

}  // namespace

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QLineEdit* Field(const QString& name, int max_length, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setMaxLength(max_length);
  field->setValidator(new StorableTextValidator(field));
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
