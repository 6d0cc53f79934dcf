#include "interchange/club_export.h"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "club/club_info_file.h"
#include "club/store_files.h"
#include "club/text_encoding.h"

namespace pellmark::interchange {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";

// One line of "|"-separated values.
class Line {
 public:
  explicit Line(std::string& out) : out_(out) {}
  ~Line() { out_ += kLineEnd; }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  Line& Text(std::string_view text) {
    Separate();
    out_ += text;
    return *this;
  }
  Line& Number(double value) {
    Separate();
    AppendExportNumber(out_, value);
    return *this;
  }
  Line& Integer(std::int64_t value) {
    Separate();
    const fmt::format_int text(value);
    out_.append(text.data(), text.size());
    return *this;
  }
  Line& Flag(bool value) { return Text(value ? "1" : "0"); }
  Line& Char(char value) { return Text(std::string_view(&value, 1)); }

 private:
  void Separate() {
    if (!first_) out_ += '|';
    first_ = false;
  }
  std::string& out_;
  bool first_ = true;
};

void Title(std::string& out, std::string_view file, std::string_view header) {
  out += "*** ";
  out += file;
  out += " ***";
  out += kLineEnd;
  out += header;
  out += kLineEnd;
}

template <class Record, class Write>
void Section(std::string& out, std::string_view file, std::string_view header, Table<Record>& table, Write&& write) {
  Title(out, file, header);
  table.ForEach("", [&](const Record& record) {
    Line line(out);
    write(line, record);
  });
}

}  // namespace

void AppendExportNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    // No layout stores these; they are written as the 23-wide texts of their kind.
    fmt::format_to(std::back_inserter(out), "{:>23}", std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF");
    return;
  }
  char digits[32];
  // "d.dddddddddddddde+xx", rounded exactly (the hot path of the export: the
  // library's fixed-precision form beats a general formatter several times).
  const std::to_chars_result done =
      std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::scientific, 14);
  const std::size_t length = static_cast<std::size_t>(done.ptr - digits);
  const char* e = static_cast<const char*>(std::memchr(digits, 'e', length));
  out += value < 0 ? '-' : ' ';
  out.append(digits, static_cast<std::size_t>(e - digits));
  out += 'E';
  out += e[1];
  const std::size_t exponent_digits = length - static_cast<std::size_t>(e + 2 - digits);
  out.append(4 - exponent_digits, '0');
  out.append(e + 2, exponent_digits);
}

std::string ExportClub(ClubSession& club) {
  std::string out;
  out += "V2.20";
  out += kLineEnd;
  Section(out, "clubmem.qdb",
          "lname|fname|addr|city|state|zip|idnum|hphone|wphone|fphone|ophone|"
          "email|tunits|totalc|totale|memid|duescount|active|mtype",
          club.members, [](Line& line, const TMemberRec& m) {
            line.Text(m.lname).Text(m.fname).Text(m.addr).Text(m.city).Text(m.state).Text(m.zip).Text(m.idnum);
            line.Text(m.hphone).Text(m.wphone).Text(m.fphone).Text(m.ophone).Text(m.email);
            line.Number(m.tunits).Number(m.totalc).Number(m.totale).Integer(m.memid).Integer(m.duescount);
            line.Flag(m.active).Char(m.mtype);
          });
  Section(out, "memrec.qdb", "dues|cunit|fee|gain|memid|actid|duestran|tranid|typ|trandate|unitind", club.memrecs,
          [](Line& line, const TMemberTranRec& t) {
            line.Number(t.dues).Number(t.cunit).Number(t.fee).Integer(t.gain).Integer(t.memid).Integer(t.actid);
            line.Integer(t.duestran).Integer(t.tranid).Integer(t.typ).Number(t.trandate).Integer(t.unitind);
          });
  Section(out, "clubstk.qdb",
          "name|symbol|pricep|pricec|dividendt|dividendy|tspent|sharest|stkid|"
          "pricecount|trancount|pricedate|active",
          club.securities, [](Line& line, const TSecurityRec& s) {
            line.Text(s.name).Text(s.symbol).Number(s.pricep).Number(s.pricec).Number(s.dividendt);
            line.Number(s.dividendy).Number(s.tspent).Number(s.sharest).Integer(s.stkid).Integer(s.pricecount);
            line.Integer(s.trancount).Number(s.pricedate).Flag(s.active);
          });
  Section(out, "stkrec.qdb",
          "amount|price|comm|sold|trandate|transid|stranid|"
          "stkid|actid|buytran|typ|tax|compc",
          club.stkrecs, [](Line& line, const TSecurityTranRec& t) {
            line.Number(t.amount).Number(t.price).Number(t.comm).Flag(t.sold).Number(t.trandate);
            line.Integer(t.transid).Integer(t.stranid).Integer(t.stkid).Integer(t.actid).Integer(t.buytran);
            line.Integer(t.typ).Flag(t.tax).Flag(t.compc);
          });
  Section(out, "clubact.qdb",
          "name|number|lstdate|bal|ibal|ostcred|ostdeb|interest|interesty|trancount|lstchk|actid|active", club.accounts,
          [](Line& line, const TAccountRec& a) {
            line.Text(a.name).Text(a.number).Number(a.lstdate).Number(a.bal).Number(a.ibal).Number(a.ostcred);
            line.Number(a.ostdeb).Number(a.interest).Number(a.interesty).Integer(a.trancount).Integer(a.lstchk);
            line.Integer(a.actid).Flag(a.active);
          });
  // The line has an eleventh value the header does not name: the transfer's other account.
  Section(out, "actrec.qdb", "trandate|amount|desc|checknum|tranid|catid|actid|typ|updateloc|cancel", club.actrecs,
          [](Line& line, const TAccountTranRec& t) {
            line.Number(t.trandate).Number(t.amount).Text(t.desc).Integer(t.checknum).Integer(t.tranid);
            line.Integer(t.catid).Integer(t.actid).Integer(t.typ).Integer(t.updateloc).Flag(t.cancel);
            line.Integer(t.xferact);
          });
  if (const std::optional<TClubInfoRec> info = ReadClubInfo(club.Folder(), club.Files())) {
    Title(out, "clubinfo.qdb",
          "club|addr|dues|stks|sort|vunit|unitind|year|defact|hidacts|hidstks|hidmems|idnum|unitkey|date|updcnt"
          "|retadr|host|proxy|user|passwd|usepxy|usepas|pxycsh|defstkact|cnthndl|dialup|contyp");
    Line line(out);
    // "dues" and "stks" are written as 0 whatever the club holds.
    line.Text(info->club).Text(info->addr).Text("0").Text("0").Flag(info->sort).Number(info->vunit);
    line.Integer(info->unitind).Integer(info->year).Integer(info->defact).Integer(info->hidacts);
    line.Integer(info->hidstks).Integer(info->hidmems).Text(info->idnum).Integer(info->unitkey).Number(info->date);
    line.Integer(info->updcnt).Text(info->retadr).Text(info->host).Text(info->proxy).Text(info->user);
    line.Text(info->passwd).Flag(info->usepxy).Flag(info->usepas).Flag(info->pxycsh).Integer(info->defstkact);
    line.Integer(info->cnthndl).Text(info->dialup).Integer(info->contyp);
  }
  Section(out, "clubunit.qdb", "unitval|date|upd|unitid", club.unitfile, [](Line& line, const TUnitValueRec& u) {
    line.Number(u.unitval).Number(u.date).Flag(u.upd).Integer(u.unitid);
  });
  Section(out, "stkprice.qdb", "price|stkid|tranid|trandate", club.prices, [](Line& line, const TPriceRec& p) {
    line.Number(p.price).Integer(p.stkid).Integer(p.tranid).Number(p.trandate);
  });
  Section(out, "clubcat.qdb", "cat|typ|tax|catid", club.categories,
          [](Line& line, const TCategoryRec& c) { line.Text(c.cat).Integer(c.typ).Flag(c.tax).Integer(c.catid); });
  return out;
}

std::string ExportMailLabels(ClubSession& club) {
  std::string out = "\"last\",\"first\",\"address\",\"city\",\"state\",\"zip\",\"email\"";
  out += kLineEnd;
  // Hidden members sort after all active ones: the first ends the walk.
  bool hidden_reached = false;
  club.members.ForEach("", [&](const TMemberRec& m) {
    if (!m.active) hidden_reached = true;
    if (hidden_reached) return;
    bool first = true;
    for (const std::string* field : {&m.lname, &m.fname, &m.addr, &m.city, &m.state, &m.zip, &m.email}) {
      if (!first) out += ',';
      first = false;
      out += '"';
      out += *field;
      out += '"';
    }
    out += kLineEnd;
  });
  return out;
}

namespace {

// The file is written beside the target and renamed over it: a device, folder
// or pipe of that name would be replaced by a plain file, so only a plain file
// (or nothing) may stand there.
std::optional<std::string> NotAPlainFile(store::FileLayer& files, const fs::path& file) {
  const store::FileKind kind = files.KindOf(file);
  if (kind == store::FileKind::kNone || kind == store::FileKind::kPlain) return std::nullopt;
  return ToWindows1252(file.string()) + " is not a regular file; nothing was written.";
}

}  // namespace

Outcome ExportClubData(ClubSession& club, const fs::path& file) {
  Interaction& ui = club.Ui();
  if (auto refusal = NotAPlainFile(club.Files(), file)) return Refuse(ui, "Data Export failed\n" + *refusal);
  try {
    BusyGuard busy(ui);
    SaveFileWhole(club.Files(), file, ExportClub(club));
  } catch (const std::exception& error) {
    return Refuse(ui, std::string("Data Export failed\n") + error.what());
  }
  ui.PlayConfirmationSound();
  ui.ShowInformation("Data has been exported to " + ToWindows1252(file.string()) + ".");
  return Outcome::Done();
}

Outcome ExportMailLabelData(ClubSession& club, const fs::path& file) {
  Interaction& ui = club.Ui();
  if (auto refusal = NotAPlainFile(club.Files(), file)) return Refuse(ui, *refusal);
  try {
    SaveFileWhole(club.Files(), file, ExportMailLabels(club));
  } catch (const std::exception& error) {
    return Refuse(ui, error.what());
  }
  ui.ShowInformation("Mail label data has been exported to " + ToWindows1252(file.string()) + ".");
  return Outcome::Done();
}

}  // namespace pellmark::interchange
