#include "ui/mail_service_setting.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QSettings>

namespace pellmark::ui {
namespace {

QSettings UserSettings() { return QSettings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark")); }

// The password of this run, for the login it was given for.
struct RunPassword {
  std::string login;
  std::string password;
};
RunPassword& Remembered() {
  static RunPassword remembered;
  return remembered;
}

}  // namespace

MailService MailServiceSetting() {
  QSettings settings = UserSettings();
  MailService service;
  service.security = SecurityNamed(settings.value(QStringLiteral("MAILSECURITY")).toString().toStdString())
                         .value_or(MailSecurity::kNone);
  service.login = settings.value(QStringLiteral("MAILLOGIN")).toString().toStdString();
  const int seconds = settings.value(QStringLiteral("MAILREPLYWAIT"), 60).toInt();
  service.reply_wait = std::chrono::seconds(seconds > 0 ? seconds : 60);
  const QString support = settings.value(QStringLiteral("SUPPORTADDRESS")).toString().trimmed();
  if (!support.isEmpty()) service.support_address = support.toStdString();
  service.ca_file = settings.value(QStringLiteral("MAILCAFILE")).toString().toStdString();
  return service;
}

void SaveMailServiceSetting(const MailService& service) {
  QSettings settings = UserSettings();
  settings.setValue(QStringLiteral("MAILSECURITY"), QString::fromUtf8(SecurityName(service.security)));
  settings.setValue(QStringLiteral("MAILLOGIN"), QString::fromStdString(service.login).trimmed());
  settings.setValue(QStringLiteral("MAILREPLYWAIT"),
                    static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(service.reply_wait).count()));
  settings.setValue(QStringLiteral("SUPPORTADDRESS"), QString::fromStdString(service.support_address).trimmed());
}

std::optional<MailService> MailServiceWithPassword(QWidget* parent) {
  MailService service = MailServiceSetting();
  if (service.login.empty()) return service;
  RunPassword& remembered = Remembered();
  if (remembered.login != service.login || remembered.password.empty()) {
    bool ok = false;
    const QString password = QInputDialog::getText(
        parent, QStringLiteral("Pellmark"), QObject::tr("Mail password for %1:").arg(QString::fromStdString(service.login)),
        QLineEdit::Password, {}, &ok);
    if (!ok) return std::nullopt;
    remembered = {service.login, password.toStdString()};
  }
  service.password = remembered.password;
  return service;
}

}  // namespace pellmark::ui
