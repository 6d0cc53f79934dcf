// The member reports: dues payments, payoff letters, the roster, the
// membership vote and the members' returns, laid out as PDF or plain text, or their figures as JSON
// (the returns also as CSV) for scripts.
#include <memory>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/input_forms.h"
#include "cli/open_club.h"
#include "cli/report_output.h"
#include "club/number_format.h"
#include "club/text_encoding.h"
#include "reports/dues_report.h"
#include "reports/member_book.h"
#include "reports/member_returns.h"
#include "reports/payoff_letter.h"
#include "reports/roster_report.h"
#include "reports/vote_report.h"
#include "store/whole_files.h"

namespace pellmark::cli {
namespace {

using nlohmann::ordered_json;

struct MemberReportOptions {
  std::string date;
  std::string pdf;
  std::string text;
  std::string csv;
  std::string member;
  bool json = false;
};

// The report date: a day that exists, typed M/D/YYYY or M/D/YY; any other
// text is refused as the report calendar refuses it (exit status 1).
DayNumber RequireReportDate(Books& books, const std::string& text) {
  const std::optional<std::string> plain = DateText(text);
  const std::optional<DayNumber> date = plain ? ParseDate(*plain) : std::nullopt;
  if (!date) {
    books.Club().Ui().ShowError(StorableText(text) + " is an invalid date.");
    throw CommandRefused("bad date");
  }
  return *date;
}

void PrintJson(CliContext& context, const ordered_json& document) { *context.out << document.dump(2) << '\n'; }

ordered_json Months(const std::array<double, 12>& months) {
  ordered_json list = ordered_json::array();
  for (double amount : months) list.push_back(amount);
  return list;
}

// The figures as JSON, or the report laid out into the files asked for.
template <class Compute, class ToJson, class MakeReport>
void RunMemberReport(CliContext& context, const MemberReportOptions& options, Compute compute, ToJson to_json,
                     MakeReport make_report) {
  WithOpenClub(context, [&](Books& books) {
    const DayNumber date = RequireReportDate(books, options.date);
    auto figures = compute(books.Club(), date);
    if (options.json || context.json) {
      PrintJson(context, to_json(figures));
      return;
    }
    std::unique_ptr<reports::Report> report = make_report(books.Club().Info().club, std::move(figures));
    WriteReportFiles(context, *report, options.pdf, options.text);
  });
}

CLI::App* AddMemberReport(CLI::App& report, const char* name, const char* description, MemberReportOptions& options) {
  CLI::App* command = report.add_subcommand(name, description);
  command->add_option("--date", options.date, "The report date, MM/DD/YYYY")->required();
  auto* pdf = command->add_option("--pdf", options.pdf, "Write the pages as a PDF file");
  auto* text = command->add_option("--text", options.text, "Write the report as a plain text file");
  command->add_flag("--json", options.json, "Print the report's figures as JSON")->excludes(pdf)->excludes(text);
  return command;
}

void Dues(CliContext& context, const MemberReportOptions& options) {
  RunMemberReport(
      context, options,
      [](ClubSession& club, DayNumber date) { return reports::ComputeDuesPayments(reports::ReadMemberBook(club), date); },
      [](const reports::DuesPayments& dues) {
        ordered_json members = ordered_json::array();
        for (const reports::DuesMember& member : dues.members) {
          members.push_back({{"name", ToUtf8(member.name)}, {"months", Months(member.months)}});
        }
        return ordered_json{{"date", FormatDate(dues.date)},
                            {"members", members},
                            {"totals", Months(dues.totals)},
                            {"total", dues.total}};
      },
      [](std::string club, reports::DuesPayments dues) {
        return std::make_unique<reports::DuesPaymentReport>(std::move(club), std::move(dues));
      });
}

void Roster(CliContext& context, const MemberReportOptions& options) {
  RunMemberReport(
      context, options,
      [](ClubSession& club, DayNumber) { return reports::ComputeRoster(reports::ReadMemberBook(club)); },
      [](const std::vector<reports::RosterMember>& roster) {
        ordered_json members = ordered_json::array();
        for (const reports::RosterMember& m : roster) {
          members.push_back({{"name", ToUtf8(m.name)},
                             {"address", ToUtf8(m.address)},
                             {"phones",
                              {{"H", ToUtf8(m.home)}, {"W", ToUtf8(m.work)}, {"F", ToUtf8(m.fax)}, {"O", ToUtf8(m.other)}}},
                             {"email", ToUtf8(m.email)}});
        }
        return ordered_json{{"members", members}};
      },
      [](std::string club, std::vector<reports::RosterMember> roster) {
        return std::make_unique<reports::RosterReport>(std::move(club), std::move(roster));
      });
}

void Vote(CliContext& context, const MemberReportOptions& options) {
  RunMemberReport(
      context, options,
      [](ClubSession& club, DayNumber date) {
        return reports::ComputeVote(reports::ReadMemberBook(club), reports::VoteUnitValue(club.unitfile, date), date);
      },
      [](const reports::MemberVote& vote) {
        ordered_json members = ordered_json::array();
        for (const reports::VoteMember& m : vote.members) {
          members.push_back(
              {{"name", ToUtf8(m.name)}, {"units", m.units}, {"value", m.value}, {"percent", m.percent}});
        }
        return ordered_json{{"date", FormatDate(vote.date)},
                            {"unit_value", vote.unit_value},
                            {"members", members},
                            {"total_units", vote.total_units}};
      },
      [](std::string club, reports::MemberVote vote) {
        return std::make_unique<reports::VoteReport>(std::move(club), std::move(vote));
      });
}

ordered_json PayoffJson(const reports::PayoffLetter& letter) {
  const reports::DistributionRow& s = letter.share;
  return ordered_json{{"name", ToUtf8(letter.name)},
                      {"payout_date", FormatDate(letter.payout.trandate)},
                      {"shares",
                       {{"dividends", s.dividends},
                        {"interest", s.interest},
                        {"short", s.short_term},
                        {"medium", s.medium_term},
                        {"long", s.long_term},
                        {"costs", s.costs},
                        {"foreign_taxes", s.foreign_taxes}}},
                      {"earnings", s.net},
                      {"fee", letter.payout.fee},
                      {"units", letter.units},
                      {"unit_value", letter.payout.cunit},
                      {"amount", letter.payout.dues},
                      {"basis", letter.basis},
                      {"additional_gain", letter.additional_gain},
                      {"gain_class", letter.gain_class}};
}

// Every payout of the year, or those of the member named as listed ("Smith,
// Ann") or as the letter names them ("Ann Smith"); JSON or the letters laid
// out, each from a new page.
void Payoff(CliContext& context, const MemberReportOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    const DayNumber date = RequireReportDate(books, options.date);
    ClubSession& club = books.Club();
    reports::PayoffLetters letters;
    try {
      letters = reports::ComputePayoffLetters(club, date);
    } catch (const reports::InvalidCategory& invalid) {
      club.Ui().ShowError(invalid.what());
      throw CommandRefused(invalid.what());
    }
    if (!options.member.empty()) {
      const std::string name = ToWindows1252(options.member);
      std::erase_if(letters.letters, [&](const reports::PayoffLetter& letter) {
        return letter.name != name && letter.listing_name != name;
      });
      if (letters.letters.empty()) {
        club.Ui().ShowError("No Payoffs on record for " + name + " by " + FormatDate(date) + ".");
        throw CommandRefused("no payout");
      }
    }
    if (options.json || context.json) {
      ordered_json payouts = ordered_json::array();
      for (const reports::PayoffLetter& letter : letters.letters) payouts.push_back(PayoffJson(letter));
      PrintJson(context, ordered_json{{"date", FormatDate(date)}, {"payouts", payouts}});
      return;
    }
    reports::PayoffLetterReport report(club.Info().club, std::move(letters));
    report.ChooseAll();
    WriteReportFiles(context, report, options.pdf, options.text);
  });
}

ordered_json RateJson(const std::optional<double>& rate) {
  return rate ? ordered_json(*rate * 100) : ordered_json(nullptr);
}

ordered_json ReturnsJson(const reports::MemberReturns& returns) {
  ordered_json members = ordered_json::array();
  for (const reports::MemberReturn& m : returns.members) {
    members.push_back({{"name", ToUtf8(m.name)},
                       {"first_flow", m.rate || m.paid_in != 0 ? ordered_json(FormatDate(m.first_flow)) : nullptr},
                       {"paid_in", m.paid_in},
                       {"paid_out", m.paid_out},
                       {"value", m.value},
                       {"gain", m.gain},
                       {"return_percent", RateJson(m.rate)},
                       {"annualised", m.annualised}});
  }
  ordered_json club = ordered_json::array();
  for (const reports::ClubReturn& c : returns.club) {
    club.push_back({{"period", c.period},
                    {"from", c.rate ? ordered_json(FormatDate(c.from)) : nullptr},
                    {"from_unit_value", c.rate ? ordered_json(c.from_unit_value) : nullptr},
                    {"return_percent", RateJson(c.rate)},
                    {"annualised", c.annualised}});
  }
  return ordered_json{{"date", FormatDate(returns.date)},
                      {"unit_value", returns.unit_value},
                      {"members", members},
                      {"total", {{"paid_in", returns.paid_in}, {"paid_out", returns.paid_out}, {"value", returns.value},
                                 {"gain", returns.gain}}},
                      {"club", club},
                      {"method", ToUtf8(reports::ReturnsMethod(returns.date))}};
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string CsvRate(const std::optional<double>& rate) { return rate ? FormatFixed(*rate * 100, 4) : std::string(); }

// One line a member, then one a period of the club's.
void WriteReturnsCsv(const reports::MemberReturns& returns, const std::string& file) {
  std::ostringstream out;
  out << "kind,name,from,paid_in,paid_out,value,gain,return_percent,annualised\r\n";
  for (const reports::MemberReturn& m : returns.members) {
    out << "member," << CsvField(ToUtf8(m.name)) << "," << (m.rate ? FormatDate(m.first_flow) : "") << ","
        << FormatFixed(m.paid_in, 2) << "," << FormatFixed(m.paid_out, 2) << "," << FormatFixed(m.value, 2) << ","
        << FormatFixed(m.gain, 2) << "," << CsvRate(m.rate) << "," << (m.annualised ? "yes" : "no") << "\r\n";
  }
  for (const reports::ClubReturn& c : returns.club) {
    out << "club," << c.period << "," << (c.rate ? FormatDate(c.from) : "") << ",,,,," << CsvRate(c.rate) << ","
        << (c.annualised ? "yes" : "no") << "\r\n";
  }
  store::SaveFileAtomically(store::DefaultFileLayer(), file, out.str());
}

void Returns(CliContext& context, const MemberReportOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    const DayNumber date = RequireReportDate(books, options.date);
    ClubSession& club = books.Club();
    reports::MemberReturns returns =
        reports::ComputeMemberReturns(reports::ReadMemberBook(club), club.unitfile.Select(), date);
    if (options.json || context.json) {
      PrintJson(context, ReturnsJson(returns));
      return;
    }
    if (!options.csv.empty()) WriteReturnsCsv(returns, options.csv);
    if (options.pdf.empty() && options.text.empty()) {
      if (options.csv.empty()) throw UsageError("report returns needs --pdf, --text, --csv or --json");
      return;
    }
    reports::MemberReturnsReport report(club.Info().club, std::move(returns));
    WriteReportFiles(context, report, options.pdf, options.text);
  });
}

}  // namespace

void AddMemberReportCommands(CLI::App& app, CommandList& commands) {
  CLI::App* report = app.get_subcommand("report");
  auto dues = std::make_shared<MemberReportOptions>();
  commands.push_back({AddMemberReport(*report, "dues", "Each member's dues payments of the year, month by month", *dues),
                      [dues](CliContext& context) { Dues(context, *dues); }});
  auto payoff = std::make_shared<MemberReportOptions>();
  CLI::App* payoff_command =
      AddMemberReport(*report, "payoff", "The payoff letters of the year's payouts, with their tax basis", *payoff);
  payoff_command->add_option("--member", payoff->member, "Only this member's payouts (\"Smith, Ann\" or \"Ann Smith\")");
  commands.push_back({payoff_command, [payoff](CliContext& context) { Payoff(context, *payoff); }});
  auto roster = std::make_shared<MemberReportOptions>();
  commands.push_back({AddMemberReport(*report, "roster", "The active members' addresses, phones and e-mail", *roster),
                      [roster](CliContext& context) { Roster(context, *roster); }});
  auto vote = std::make_shared<MemberReportOptions>();
  commands.push_back({AddMemberReport(*report, "vote", "Each member's units, value and share of the vote", *vote),
                      [vote](CliContext& context) { Vote(context, *vote); }});
  auto returns = std::make_shared<MemberReportOptions>();
  CLI::App* returns_command = AddMemberReport(
      *report, "returns", "Each member's money-weighted return and the club's time-weighted returns", *returns);
  returns_command->add_option("--csv", returns->csv, "Write the figures as a CSV file");
  commands.push_back({returns_command, [returns](CliContext& context) { Returns(context, *returns); }});
}

}  // namespace pellmark::cli
