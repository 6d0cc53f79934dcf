// The value column of the key list: each listed member or holding shows its
// value right-aligned beside its name, as the register shows money
// ("$1,234.50", a debit in parentheses). The item's text stays the name, so the
// list still selects and finds by name; the value rides in its own role.
//
//   keys->setItemDelegate(new KeyValueDelegate(keys));
//   item->setData(kKeyValueRole, QStringLiteral("$1,124.40"));
#pragma once

#include <QStyledItemDelegate>

namespace pellmark::ui {

inline constexpr int kKeyValueRole = Qt::UserRole + 1;

class KeyValueDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace pellmark::ui
