// One running program per user: the first start listens on a local socket named
// for the user; a later start finds it, asks it to come to the front and ends.
//
//   SingleInstance instance(SingleInstance::UserServerName());
//   if (!instance.Claim()) return 0;           // the first window comes forward
//   connect(&instance, &SingleInstance::activationRequested, &window, &TPellmark::BringToFront);
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace pellmark::ui {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QString server_name, QObject* parent = nullptr);

  // The server name for the user running the program.
  static QString UserServerName();

  // True when no other instance answers; this one then listens. False when
  // another instance answered and has been asked to come to the front.
  bool Claim();

 signals:
  // A later start asked this instance to come to the front.
  void activationRequested();

 private:
  QString server_name_;
  QLocalServer server_;
};

}  // namespace pellmark::ui
