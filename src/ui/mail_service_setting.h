// How the program reaches the mail server beyond the club's host and address:
// settings of the user (QSettings "Quillomer"/"Pellmark", values MAILSECURITY,
// MAILLOGIN, MAILREPLYWAIT in seconds, SUPPORTADDRESS, MAILCAFILE), edited in
// the Special page's E-Mail group. The password is never stored: it is asked
// once per run when a login is set, and kept in memory only.
#pragma once

#include <QWidget>

#include "club/mail_service.h"

namespace pellmark::ui {

MailService MailServiceSetting();
void SaveMailServiceSetting(const MailService& service);

// The settings with the password of this run, asked for when a login needs one;
// nullopt when the user cancels the question.
std::optional<MailService> MailServiceWithPassword(QWidget* parent);

}  // namespace pellmark::ui
