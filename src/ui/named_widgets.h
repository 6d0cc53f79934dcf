// Small makers of the widgets the pages and dialogs build over and over, each
// carrying the object name by which tests and screenshots find it.
//
//   deleterecord_ = Button(tr("De&lete Record"), QStringLiteral("deleterecord"), group);
//   bal_ = Figure(QStringLiteral("bal"), figures);
//   ratio_ = Named(new QLabel(this), "ratio");
#pragma once

#include <QString>
#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pellmark::ui {

// Gives `widget` its object name and returns it, so that it can be made, named
// and stored in one line.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent);

// A one-line text field that takes at most `max_length` characters, and only
// characters the club's single-byte code page can hold: a typed or pasted
// character without a form there is refused at once, its tooltip naming it,
// rather than stored as "?".
QLineEdit* Field(const QString& name, int max_length, QWidget* parent);

// A right-aligned figure that the user can select and copy but not edit.
QLabel* Figure(const QString& name, QWidget* parent);

// The buttons in a row against the right edge, as under a form.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);

}  // namespace pellmark::ui
