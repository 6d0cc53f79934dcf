#include <QApplication>
#include <QCommandLineParser>
#include <filesystem>

#include "ui/dialog_grab.h"
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
  QCommandLineOption grab_dialog_option(
      QStringLiteral("grab-dialog"),
      QStringLiteral("Write a picture of the entry dialog for MODE (0 to 19), or of the lot chooser (lots), "
                     "to the FILE given after the options, and exit."),
      QStringLiteral("MODE"));
  QCommandLineOption change_option(QStringLiteral("change"),
                                   QStringLiteral("With --grab-dialog: show a stored record for change."));
  parser.addOptions({grab_dialog_option, change_option});
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("With --grab-dialog: the picture to write."));
  parser.process(app);
  if (parser.isSet(grab_dialog_option)) {
    if (parser.positionalArguments().size() != 1) parser.showHelp(2);
    return pellmark::ui::GrabDialog(parser.value(grab_dialog_option), parser.positionalArguments().front(),
                                    parser.isSet(change_option));
  }

  std::filesystem::path folder = parser.isSet(club_option) ? std::filesystem::path(parser.value(club_option).toStdString())
                                                           : std::filesystem::current_path();
  pellmark::ui::TPellmark window(folder);
  window.show();
  return QApplication::exec();
}
