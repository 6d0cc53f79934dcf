// What the record forms of the pages (an account, a member, a category) share:
// fields that stay read-only until New or Change opens them, and the row of New,
// Change, Commit and Abort under them. The checks on Commit are the ledgers'.
//
//   buttons_ = RecordFormButtons::Create(fields, {tr("&New Account"), QStringLiteral("accountnew")},
//                                        {tr("C&hange Account"), QStringLiteral("accountchange")},
//                                        QStringLiteral("accountadd"), QStringLiteral("accountcancel"));
//   buttons_.ConnectTo(this, &AccountsPage::accountnewClick, &AccountsPage::accountchangeClick,
//                      &AccountsPage::accountaddClick, &AccountsPage::accountcancelClick);
//   layout->addLayout(buttons_.Row());
//   ...
//   LockFields({accountname_, accountnumber_}, locked);
//   buttons_.ShowLocked(locked, account_.has_value());
#pragma once

#include <QObject>
#include <QPushButton>
#include <QString>
#include <vector>

class QHBoxLayout;
class QLineEdit;
class QWidget;

namespace pellmark::ui {

// Makes a field read-only or editable. A read-only field takes the window's
// colour as its background, so the locked state of a form reads at a glance. A
// field already in the asked state is left alone: forms lock again on every
// record shown.
void ShowReadOnly(QLineEdit* field, bool read_only);
void LockFields(const std::vector<QLineEdit*>& fields, bool locked);

struct RecordFormButtons {
  struct Labelled {
    QString caption;
    QString name;
  };

  // New and Change carry the record's captions and names; Commit and Abort the
  // same captions on every form under their own names.
  static RecordFormButtons Create(QWidget* parent, const Labelled& add_new, const Labelled& change,
                                  const QString& commit_name, const QString& abort_name);

  template <typename Page>
  void ConnectTo(Page* page, void (Page::*on_new)(), void (Page::*on_change)(), void (Page::*on_commit)(),
                 void (Page::*on_abort)()) const {
    QObject::connect(add_new, &QPushButton::clicked, page, on_new);
    QObject::connect(change, &QPushButton::clicked, page, on_change);
    QObject::connect(commit, &QPushButton::clicked, page, on_commit);
    QObject::connect(abort, &QPushButton::clicked, page, on_abort);
  }

  // The four buttons against the right edge, in the order New, Change, Commit, Abort.
  QHBoxLayout* Row() const;

  // Locked fields offer New, and Change when a record is shown; open fields
  // offer Commit and Abort.
  void ShowLocked(bool locked, bool record_shown) const;

  QPushButton* add_new = nullptr;
  QPushButton* change = nullptr;
  QPushButton* commit = nullptr;
  QPushButton* abort = nullptr;
};

}  // namespace pellmark::ui
