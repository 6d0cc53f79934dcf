#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/club_host.h"
#include "ui/dialog_grab.h"
#include "ui/operation_boundary.h"
#include "ui/pellmark_window.h"
#include "ui/qt_interaction.h"
#include "ui/single_instance.h"
#include "ui/window_grab.h"

namespace {

// --help and --version are answered before the application needs a display,
// so that they work on a machine without one.
std::optional<int> AnswerWithoutDisplay(int argc, char** argv, const QCommandLineParser& parser) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all") {
      // Without an application the parser cannot know the program's name.
      QTextStream(stdout) << parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                       QString::fromStdString(std::filesystem::path(argv[0]).filename()));
      return 0;
    }
    if (arg == "--version" || arg == "-v") {
      QTextStream(stdout) << "Pellmark " << PELLMARK_VERSION << "\n";
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("Pellmark"));
  QCoreApplication::setApplicationVersion(QStringLiteral(PELLMARK_VERSION));
  QCoreApplication::setOrganizationName(QStringLiteral("Quillomer"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Pellmark: the books of an investment club."));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption club_option(QStringLiteral("club"), QStringLiteral("Club data folder."), QStringLiteral("DIR"));
  QCommandLineOption today_option(QStringLiteral("today"), QStringLiteral("Take this date (mm/dd/yyyy) as today."),
                                  QStringLiteral("DATE"));
  QCommandLineOption grab_option(QStringLiteral("grab"),
                                 QStringLiteral("Write a picture of the main window at 1280x800 to FILE and exit."),
                                 QStringLiteral("FILE"));
  QCommandLineOption tab_option(QStringLiteral("tab"),
                                QStringLiteral("With --grab: the tab to show (Members, Securities, Accounts, "
                                               "Reports, Special), or History for the History window."),
                                QStringLiteral("NAME"));
  parser.addOptions({club_option, today_option, grab_option, tab_option});
  QCommandLineOption grab_dialog_option(
      QStringLiteral("grab-dialog"),
      QStringLiteral("Write a picture of the entry dialog NAME (buy, sell, dividend, check, payoff ... as the "
                     "pellmark-cli commands are named, or its number 0 to 19), or of the lot chooser (lots), "
                     "to the FILE given after the options, and exit. With --club it shows that club's own "
                     "data as the program would open the dialog today; without, sample records."),
      QStringLiteral("NAME"));
  QCommandLineOption change_option(QStringLiteral("change"),
                                   QStringLiteral("With --grab-dialog: show a stored record for change."));
  parser.addOptions({grab_dialog_option, change_option});
  QCommandLineOption grab_report_option(
      QStringLiteral("grab-report"),
      QStringLiteral("Write a picture of the report window showing the valuation statement STM (or the club "
                     "report balance, income, gains or distribution, or the member report dues, payoff, roster, "
                     "vote or returns, as of today, or the tax report of a .tax file) to the FILE given after "
                     "the options, and exit."),
      QStringLiteral("STM"));
  QCommandLineOption page_option(QStringLiteral("page"), QStringLiteral("With --grab-report: the page to show."),
                                 QStringLiteral("N"), QStringLiteral("1"));
  parser.addOptions({grab_report_option, page_option});
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("With --grab-dialog: the picture to write."));
  if (const std::optional<int> answered = AnswerWithoutDisplay(argc, argv, parser)) return *answered;

  pellmark::ui::PellmarkApplication app(argc, argv);
  parser.process(app);
  const std::optional<std::string> today =
      parser.isSet(today_option) ? std::optional(parser.value(today_option).toStdString()) : std::nullopt;
  if (parser.isSet(grab_dialog_option)) {
    if (parser.positionalArguments().size() != 1) parser.showHelp(2);
    if (!parser.isSet(club_option)) {
      return pellmark::ui::GrabDialog(parser.value(grab_dialog_option), parser.positionalArguments().front(),
                                      parser.isSet(change_option));
    }
    pellmark::ui::QtInteraction ui(nullptr);
    ui.SetUnattended(true);
    const std::unique_ptr<pellmark::Clock> clock = pellmark::ui::ClubHost::StartClock(today, ui);
    if (clock == nullptr) return 3;
    return pellmark::ui::GrabClubDialog(parser.value(grab_dialog_option), parser.positionalArguments().front(),
                                        parser.isSet(change_option),
                                        std::filesystem::path(parser.value(club_option).toStdString()), ui, *clock);
  }

  if (parser.isSet(grab_report_option)) {
    if (parser.positionalArguments().size() != 1) parser.showHelp(2);
    pellmark::ui::QtInteraction ui(nullptr);
    ui.SetUnattended(true);
    const std::unique_ptr<pellmark::Clock> clock = pellmark::ui::ClubHost::StartClock(today, ui);
    if (clock == nullptr) return 3;
    const std::filesystem::path club = parser.isSet(club_option)
                                           ? std::filesystem::path(parser.value(club_option).toStdString())
                                           : std::filesystem::current_path();
    return pellmark::ui::GrabReport(parser.value(grab_report_option), parser.positionalArguments().front(),
                                    parser.value(page_option).toInt(), club, ui, *clock);
  }

  const bool grabbing = parser.isSet(grab_option);
  pellmark::ui::SingleInstance instance(pellmark::ui::SingleInstance::UserServerName());
  if (!grabbing && !instance.Claim()) return 0;

  const std::filesystem::path folder = pellmark::ui::ClubHost::StartFolder(
      parser.isSet(club_option) ? std::optional(std::filesystem::path(parser.value(club_option).toStdString()))
                                : std::nullopt);
  pellmark::ui::QtInteraction ui(nullptr);
  ui.SetClubFolder(folder);
  ui.SetUnattended(grabbing);
  const std::unique_ptr<pellmark::Clock> clock = pellmark::ui::ClubHost::StartClock(today, ui);
  if (clock == nullptr) return 3;
  pellmark::ui::ClubHost host(ui, *clock, [&ui](pellmark::ui::TPellmark& window) {
    ui.SetParent(&window);
    ui.SetClubFolder(window.ClubFolder());
  });
  if (!host.Open(folder)) return 3;
  QObject::connect(&instance, &pellmark::ui::SingleInstance::activationRequested, &host,
                   &pellmark::ui::ClubHost::BringToFront);

  if (grabbing) return pellmark::ui::GrabWindow(*host.Window(), parser.value(grab_option), parser.value(tab_option));
  host.Window()->show();
  return QApplication::exec();
}
