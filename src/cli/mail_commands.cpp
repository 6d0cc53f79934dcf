#include <fmt/format.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "books/books.h"
#include "books/statement_report.h"
#include "books/text_statement_files.h"
#include "cli/cli_context.h"
#include "cli/input_forms.h"
#include "cli/open_club.h"
#include "cli/report_output.h"
#include "cli/terminal_connection.h"
#include "club/mail_service.h"
#include "club/text_encoding.h"
#include "valuation/statement_file.h"

namespace pellmark::cli {
namespace {

// Where the command line finds the mail password: never in a file or on the command line.
constexpr char kPasswordVariable[] = "PELLMARK_SMTP_PASSWORD";

struct ServiceOptions {
  std::string security = "none";
  std::string login;
  double reply_wait_seconds = 60;
  std::string support_address{kDefaultSupportAddress};
  std::string ca_file;
};

struct SupportOptions {
  ServiceOptions service;
  std::string message_file;
  std::string attach;
};

struct ReportOptions {
  ServiceOptions service;
  std::string date;
  std::vector<std::string> members;
  bool all_members = false;
  bool pdf = false;
  std::string statement;
};

void AddServiceOptions(CLI::App* command, ServiceOptions& options) {
  command->add_option("--security", options.security, "none, starttls or tls (implicit TLS)")
      ->check(CLI::IsMember({"none", "starttls", "tls"}));
  command->add_option("--login", options.login,
                      std::string("Log in (AUTH) as this user; the password is read from ") + kPasswordVariable);
  command->add_option("--reply-wait", options.reply_wait_seconds, "Seconds to wait for each reply of the server")
      ->check(CLI::PositiveNumber);
  command->add_option("--support-address", options.support_address, "Where support mail goes");
  command->add_option("--ca-file", options.ca_file, "Certificates to trust besides the system's");
}

MailService ServiceOf(const ServiceOptions& options) {
  MailService service;
  service.security = SecurityNamed(options.security).value_or(MailSecurity::kNone);
  service.login = options.login;
  if (!options.login.empty()) {
    const char* password = std::getenv(kPasswordVariable);
    if (password == nullptr) throw UsageError(fmt::format("--login needs the password in {}", kPasswordVariable));
    service.password = password;
  }
  service.reply_wait = std::chrono::milliseconds(static_cast<long long>(options.reply_wait_seconds * 1000 + 0.5));
  service.support_address = options.support_address;
  service.ca_file = options.ca_file;
  return service;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + name);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The message box's lines from a UTF-8 file; a last line end makes no empty line.
std::vector<std::string> MessageLines(const std::string& utf8) {
  if (const std::string unstorable = UnstorableCharacters(utf8); !unstorable.empty()) {
    throw UsageError("the message holds characters mail cannot carry here: " + unstorable);
  }
  std::vector<std::string> lines;
  std::istringstream text(ToWindows1252(utf8));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

// Each recipient as the server answered, then the exit status from the outcome.
void Report(CliContext& context, const MailRun& run) {
  for (const std::string& address : run.delivery.accepted) *context.out << "accepted " << ToUtf8(address) << '\n';
  for (const RefusedAddress& refused : run.delivery.refused) {
    *context.out << "refused " << ToUtf8(refused.address) << ": " << ToUtf8(refused.reply) << '\n';
  }
  context.out->flush();
  if (!run.outcome) throw CommandRefused(run.outcome.Message());
}

void SendSupport(CliContext& context, const SupportOptions& options) {
  const MailService service = ServiceOf(options.service);
  SupportMail support{.lines = MessageLines(ReadFile(options.message_file)), .attachment = std::nullopt};
  if (!options.attach.empty()) support.attachment = std::filesystem::path(options.attach);
  WithOpenClub(context, [&](Books& books) {
    TerminalConnection dialog(*context.out);
    Report(context, books.SendSupportMail(service, support, dialog));
  });
}

std::filesystem::path ValuationStatementPath(Books& books, DayNumber date, const std::string& statement) {
  return statement.empty() ? books.Club().Folder() / valuation::StatementFileName(date) : std::filesystem::path(statement);
}

// The kind's text statement, written into the club folder as the Reports page writes it.
TextStatementFile WriteStatement(Books& books, ReportMailKind kind, DayNumber date, const std::string& statement) {
  switch (kind) {
    case ReportMailKind::kVote:
      return WriteVoteTextFile(books, date);
    case ReportMailKind::kRoster:
      return WriteRosterTextFile(books);
    case ReportMailKind::kDistribution:
      return WriteDistributionTextFile(books, date);
    case ReportMailKind::kValuation:
      break;
  }
  return WriteValuationTextFile(books, ValuationStatementPath(books, date, statement));
}

// The kind's printed report as a PDF beside its text statement ("valuerpt.pdf" beside "valuerpt.txt").
std::filesystem::path WriteStatementPdf(CliContext& context, Books& books, ReportMailKind kind, DayNumber date,
                                        const std::string& statement, const std::filesystem::path& text_file) {
  const std::unique_ptr<reports::Report> report =
      StatementReport(books, kind, date, ValuationStatementPath(books, date, statement));
  const TextStatementFile pdf = SavePdfBeside(books, text_file, ReportPdf(context, *report));
  if (!pdf.outcome) throw CommandRefused(pdf.outcome.Message());
  return pdf.file;
}

void SendReport(CliContext& context, ReportMailKind kind, const ReportOptions& options) {
  if (options.members.empty() && !options.all_members) throw UsageError("mail report needs --member NAME or --all-members");
  const MailService service = ServiceOf(options.service);
  const DayNumber date = *ParseDate(options.date);  // DateForm() let through only days that exist
  WithOpenClub(context, [&](Books& books) {
    ReportMail report{.kind = kind, .date = date, .members = {}, .attachments = {}};
    if (options.all_members) {
      for (const TMemberRec& member : books.Members().List(/*active_only=*/true)) {
        report.members.push_back(MemberName(member));
      }
    }
    for (const std::string& name : options.members) {
      const std::string stored = ToWindows1252(name);
      if (!books.Members().Find(stored)) {
        context.ui->ShowError("Member " + stored + " not found.");
        throw CommandRefused(name);
      }
      report.members.push_back(stored);
    }
    const TextStatementFile written = WriteStatement(books, kind, date, options.statement);
    if (!written.outcome) throw CommandRefused(written.outcome.Message());
    report.attachments.push_back(written.file);
    if (options.pdf) report.attachments.push_back(WriteStatementPdf(context, books, kind, date, options.statement, written.file));
    TerminalConnection dialog(*context.out);
    Report(context, books.SendReportMail(service, report, dialog));
  });
}

}  // namespace

void AddMailCommands(CLI::App& app, CommandList& commands) {
  auto* mail = app.add_subcommand("mail", "Mail a support message or members' statements through the club's mail host");
  mail->require_subcommand(1);

  auto support = std::make_shared<SupportOptions>();
  auto* support_command = mail->add_subcommand(
      "support", "Send a message (and one file) to the support address, as the Support page's Send does");
  support_command->add_option("--message-file", support->message_file, "The message, UTF-8 text")
      ->required()
      ->check(CLI::ExistingFile);
  support_command->add_option("--attach", support->attach, "A file to attach")->check(CLI::ExistingFile);
  AddServiceOptions(support_command, support->service);
  commands.push_back({support_command, [support](CliContext& context) { SendSupport(context, *support); }});

  auto* report = mail->add_subcommand(
      "report", "Mail a text statement to members, as the Reports page's Send does with Online ticked");
  report->require_subcommand(1);
  const auto add_kind = [&](const char* name, ReportMailKind kind, const char* description) {
    auto options = std::make_shared<ReportOptions>();
    auto* command = report->add_subcommand(name, description);
    command->add_option("--date", options->date, "Report date M/D/YYYY or M/D/YY")->required()->transform(DateForm());
    auto* members = command->add_option("--member", options->members, "A member to mail (the list's name), repeatable");
    auto* all = command->add_flag("--all-members", options->all_members, "Every active member");
    members->excludes(all);
    all->excludes(members);
    command->add_flag("--pdf", options->pdf, "Attach the printed report as a PDF as well as the text statement");
    AddServiceOptions(command, options->service);
    commands.push_back({command, [options, kind](CliContext& context) { SendReport(context, kind, *options); }});
    return std::pair{command, options};
  };
  auto [valuation, valuation_options] =
      add_kind("valuation", ReportMailKind::kValuation, "valuerpt.txt from the statement of the date");
  valuation->add_option("--statement", valuation_options->statement,
                        "The statement file (default V<mmddyyyy>.stm of the date in the club folder)");
  add_kind("distribution", ReportMailKind::kDistribution,
           "distrpt.txt: the earnings distribution as of the date");
  add_kind("vote", ReportMailKind::kVote, "voterpt.txt: the membership voting percentages as of the date");
  add_kind("roster", ReportMailKind::kRoster, "rosterrpt.txt: the roster of the active members");
}

}  // namespace pellmark::cli
