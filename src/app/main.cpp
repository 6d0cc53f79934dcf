#include <QApplication>
#include <QCommandLineParser>
#include <filesystem>

#include "ui/pellmark_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pellmark"));
  QApplication::setOrganizationName(QStringLiteral("Quillomer"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Pellmark: the books of an investment club."));
  parser.addHelpOption();
  QCommandLineOption club_option(QStringLiteral("club"), QStringLiteral("Club data folder."), QStringLiteral("DIR"));
  parser.addOption(club_option);
  parser.process(app);

  std::filesystem::path folder = parser.isSet(club_option) ? std::filesystem::path(parser.value(club_option).toStdString())
                                                           : std::filesystem::current_path();
  pellmark::ui::TPellmark window(folder);
  window.show();
  return QApplication::exec();
}
