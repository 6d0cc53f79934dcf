#include <fmt/format.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "books/books.h"
#include "cli/cli_context.h"
#include "cli/open_club.h"
#include "cli/terminal_connection.h"
#include "club/mail_service.h"
#include "club/text_encoding.h"

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
}

}  // namespace pellmark::cli
