// Mailing the valuation statement to 50 members, one message each, to a local
// aiosmtpd server, against Python's smtplib sending the same 50 messages to the
// same server in the same run (goal: at most 1.5 times its time). Rounds take
// turns and the medians are compared.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_command_line.h"
#include "quiet_interaction.h"
#include "books/books.h"
#include "books/text_statement_files.h"
#include "cli/cli_app.h"
#include "net/smtp_peer.h"

namespace fs = std::filesystem;

namespace pellmark::bench {
namespace {

constexpr int kMembers = 50;
constexpr int kRounds = 5;

void Cli(const fs::path& club, std::vector<std::string> args) {
  args.insert(args.begin(), {"pellmark-cli", "--club", club.string(), "--today", "12/07/2026", "--yes"});
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::istringstream in;
  std::ostringstream out, err;
  if (cli::RunCli(static_cast<int>(argv.size()), argv.data(), in, out, err, false) != 0) {
    throw std::runtime_error("pellmark-cli " + args.at(5) + ": " + err.str());
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string PeerTime(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run the smtplib peer");
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  if (::pclose(pipe) != 0) throw std::runtime_error("the smtplib peer failed: " + output);
  return output;
}

}  // namespace
}  // namespace pellmark::bench

int main() {
  using namespace pellmark;
  using namespace pellmark::bench;
  const fs::path root = MakeBenchFolder("pellmark-mail-bench");
  const fs::path club = root / "club";
  fs::create_directories(club);
  int status = 0;
  try {
    testing::SmtpPeer server = testing::SmtpPeer::Server(root);
    Cli(club, {"init", "--name", "Elm Street Investors", "--year", "2026"});
    for (int i = 0; i < kMembers; ++i) {
      Cli(club, {"member", "add", "--last", "Member" + std::to_string(i), "--first", "Ann", "--email",
                 "member" + std::to_string(i) + "@example.com"});
    }
    Cli(club, {"security", "add", "Acme Corp", "--symbol", "ACME"});
    Cli(club, {"dues", "--date", "12/01/2026", "--all", "100"});
    Cli(club, {"valuation", "official", "12/07/2026"});
    Cli(club, {"club", "--mail-server", server.HostPort(), "--return-address", "treasurer@example.com", "--user",
               "elm"});

    QuietInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club, ui, clock);
    books.Open();
    const DayNumber date = DayNumberFromCivil({2026, 12, 7});
    std::vector<std::string> members;
    for (const TMemberRec& member : books.Members().List(true)) members.push_back(MemberName(member));
    ConnectOnce dialog;

    auto timed = [](auto&& work) {
      const auto start = std::chrono::steady_clock::now();
      work();
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> ours, theirs;
    int sent = 0;
    for (int round = 0; round < kRounds; ++round) {
      ours.push_back(timed([&] {
        const TextStatementFile statement = WriteValuationTextFile(books, club / "V12072026.stm");
        if (!statement.outcome) throw std::runtime_error("valuerpt.txt was not written");
        for (const std::string& member : members) {
          const MailRun run = books.SendReportMail(
              {}, {.kind = ReportMailKind::kValuation, .date = date, .members = {member}, .attachments = {statement.file}},
              dialog);
          if (!run.outcome) throw std::runtime_error("a report mail failed: " + run.delivery.failure_reason);
          ++sent;
        }
      }));
      const fs::path message = root / "peer" / (std::to_string(sent - 1) + ".raw");
      theirs.push_back(std::stod(PeerTime(std::string(PELLMARK_SYSTEM_PYTHON) + " " + PELLMARK_SMTPLIB_PEER +
                                          " 127.0.0.1 " + std::to_string(server.Port()) + " '" + message.string() +
                                          "' treasurer@example.com " + std::to_string(kMembers))));
      sent += kMembers;
    }
    books.Close();
    const double attachment = static_cast<double>(fs::file_size(club / "valuerpt.txt"));
    std::printf("%-48s %10s %10s\n", ("medians of " + std::to_string(kRounds) + " rounds").c_str(), "value", "goal");
    std::printf("%-48s %7.1f ms\n", "50 valuation statements (pellmark)", Median(ours));
    std::printf("%-48s %7.1f ms\n", "the same 50 messages (Python smtplib)", Median(theirs));
    std::printf("%-48s %9.2fx %10s\n", "pellmark / smtplib", Median(ours) / Median(theirs), "<= 1.5x");
    std::printf("%-48s %7.0f bytes\n", "  attachment", attachment);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mail_bench: %s\n", error.what());
    status = 1;
  }
  fs::remove_all(root);
  return status;
}
