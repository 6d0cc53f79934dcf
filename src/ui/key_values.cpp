#include "ui/key_values.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace pellmark::ui {
namespace {

// Room between a name and its value, and at the list's right edge.
constexpr int kGap = 12;
constexpr int kRightMargin = 4;

}  // namespace

void KeyValueDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QString value = index.data(kKeyValueRole).toString();
  if (value.isEmpty()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  // The name gives way to the value: it is elided before the value is covered.
  const int value_width = item.fontMetrics.horizontalAdvance(value) + kGap + kRightMargin;
  const QRect text_area = item.rect.adjusted(0, 0, -value_width, 0);
  item.text = item.fontMetrics.elidedText(item.text, Qt::ElideRight, std::max(0, text_area.width() - kGap));
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

  const bool selected = (item.state & QStyle::State_Selected) != 0;
  painter->save();
  painter->setFont(item.font);
  painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->drawText(item.rect.adjusted(0, 0, -kRightMargin, 0), Qt::AlignRight | Qt::AlignVCenter, value);
  painter->restore();
}

QSize KeyValueDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  const QString value = index.data(kKeyValueRole).toString();
  if (!value.isEmpty()) size.rwidth() += option.fontMetrics.horizontalAdvance(value) + kGap + kRightMargin;
  return size;
}

}  // namespace pellmark::ui
