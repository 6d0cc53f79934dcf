#include "ui/operation_boundary.h"

#include <utility>

#include "club/failure_log.h"

namespace pellmark::ui {
namespace {

struct ActionFailedHandler {
  const QObject* owner = nullptr;
  std::function<void(const std::exception&)> handle;
};

ActionFailedHandler& CurrentHandler() {
  static ActionFailedHandler handler;
  return handler;
}

}  // namespace

PellmarkApplication::PellmarkApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PellmarkApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    const ActionFailedHandler& handler = CurrentHandler();
    if (handler.handle) {
      handler.handle(error);
    } else {
      LogFailure("An action failed", error);
    }
    return false;
  }
}

void PellmarkApplication::SetActionFailed(const QObject* owner, std::function<void(const std::exception&)> handler) {
  CurrentHandler() = {owner, std::move(handler)};
}

void PellmarkApplication::ClearActionFailed(const QObject* owner) {
  if (CurrentHandler().owner == owner) CurrentHandler() = {};
}

}  // namespace pellmark::ui
