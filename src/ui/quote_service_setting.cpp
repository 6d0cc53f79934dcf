#include "ui/quote_service_setting.h"

#include <QSettings>

namespace pellmark::ui {
namespace {

QSettings UserSettings() { return QSettings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark")); }

}  // namespace

QuoteService QuoteServiceSetting() {
  QSettings settings = UserSettings();
  return {.host = settings.value(QStringLiteral("QUOTEHOST")).toString().toStdString(),
          .url_template = settings.value(QStringLiteral("QUOTEURL")).toString().toStdString()};
}

void SaveQuoteServiceSetting(const QuoteService& service) {
  QSettings settings = UserSettings();
  settings.setValue(QStringLiteral("QUOTEHOST"), QString::fromStdString(service.host).trimmed());
  settings.setValue(QStringLiteral("QUOTEURL"), QString::fromStdString(service.url_template).trimmed());
}

}  // namespace pellmark::ui
