#include "ui/single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace pellmark::ui {
namespace {

constexpr int kAnswerMilliseconds = 1000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

}  // namespace

SingleInstance::SingleInstance(QString server_name, QObject* parent)
    : QObject(parent), server_name_(std::move(server_name)) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
      connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
        if (caller->readAll().contains(kActivate)) emit activationRequested();
        caller->disconnectFromServer();
      });
      connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
    }
  });
}

QString SingleInstance::UserServerName() { return QStringLiteral("pellmark-%1").arg(::getuid()); }

bool SingleInstance::Claim() {
  QLocalSocket other;
  other.connectToServer(server_name_);
  if (other.waitForConnected(kAnswerMilliseconds)) {
    other.write(kActivate);
    other.waitForBytesWritten(kAnswerMilliseconds);
    other.disconnectFromServer();
    return false;
  }
  // A socket left behind by a program that died would make listen fail.
  QLocalServer::removeServer(server_name_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  // Without the socket a later start cannot find this one, but this one still runs.
  server_.listen(server_name_);
  return true;
}

}  // namespace pellmark::ui
