// The desktop program's one operation boundary. Every user action is the
// handling of one event (a click, a key, a timer), dialogs included, so the
// application's notify is the one place a store or file error thrown by an
// action is caught: the window holding the books drops everything since the
// last commit and shows the error. No exception leaves the handling of an
// event, so none crosses Qt's own frames above it.
//
//   PellmarkApplication app(argc, argv);
//   PellmarkApplication::SetActionFailed(&window, [&](const std::exception& error) { window.ActionFailed(error); });
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

namespace pellmark::ui {

class PellmarkApplication : public QApplication {
 public:
  PellmarkApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Who handles a failed action: the window of the open club, from when it
  // opens (a later window takes over) until it goes. Without one the cause goes
  // to standard error.
  static void SetActionFailed(const QObject* owner, std::function<void(const std::exception&)> handler);
  // Forgets the handler when `owner` still holds it.
  static void ClearActionFailed(const QObject* owner);
};

}  // namespace pellmark::ui
