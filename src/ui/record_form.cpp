#include "ui/record_form.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPalette>

#include "ui/named_widgets.h"

namespace pellmark::ui {

void ShowReadOnly(QLineEdit* field, bool read_only) {
  if (field->isReadOnly() == read_only) return;
  field->setReadOnly(read_only);
  if (read_only) {
    QPalette locked = field->palette();
    locked.setColor(QPalette::Base, locked.color(QPalette::Window));
    field->setPalette(locked);
  } else {
    field->setPalette(QPalette());  // back to the inherited palette
  }
}

void LockFields(const std::vector<QLineEdit*>& fields, bool locked) {
  for (QLineEdit* field : fields) ShowReadOnly(field, locked);
}

RecordFormButtons RecordFormButtons::Create(QWidget* parent, const Labelled& add_new, const Labelled& change,
                                            const QString& commit_name, const QString& abort_name) {
  RecordFormButtons buttons;
  buttons.add_new = Button(add_new.caption, add_new.name, parent);
  buttons.change = Button(change.caption, change.name, parent);
  buttons.commit = Button(QCoreApplication::translate("RecordFormButtons", "C&ommit Changes/Additions"), commit_name,
                          parent);
  buttons.abort = Button(QCoreApplication::translate("RecordFormButtons", "A&bort Changes/Additions"), abort_name,
                         parent);
  return buttons;
}

QHBoxLayout* RecordFormButtons::Row() const { return ButtonRow({add_new, change, commit, abort}); }

void RecordFormButtons::ShowLocked(bool locked, bool record_shown) const {
  add_new->setEnabled(locked);
  change->setEnabled(locked && record_shown);
  commit->setEnabled(!locked);
  abort->setEnabled(!locked);
}

}  // namespace pellmark::ui
