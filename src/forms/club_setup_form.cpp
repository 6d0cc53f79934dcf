#include "forms/club_setup_form.h"

#include "club/dates.h"
#include "club/number_parse.h"

namespace pellmark {

ClubInfoFields ClubSetupFields(const ClubSession& club) {
  ClubInfoFields fields;
  if (!club.InfoExists()) {
    fields.club = "Investment Club Name";
    fields.addr = "Address, City, Zip";
    fields.idnum = "Tax ID";
    fields.year = std::to_string(CivilFromDayNumber(club.Today()).year);
    fields.startunit = "25.00";
    return fields;
  }
  const TClubInfoRec& info = club.Info();
  fields.club = info.club;
  fields.addr = info.addr;
  fields.idnum = info.idnum;
  fields.year = std::to_string(info.year);
  fields.host = info.host;
  fields.retadr = info.retadr;
  fields.proxy = info.proxy;
  fields.user = info.user;
  fields.passwd = info.passwd;
  fields.usepxy = info.usepxy;
  fields.pxycsh = info.pxycsh;
  fields.usepas = info.usepas;
  fields.contyp = info.contyp;
  fields.dialup = info.dialup;
  fields.cnthndl = info.cnthndl == 1 ? 1 : 0;
  return fields;
}

ClubSetupReading ReadClubSetup(const ClubInfoFields& fields) {
  ClubSetupReading reading;
  auto refuse = [&reading](const char* message) {
    reading.refusal = message;
    return reading;
  };
  const std::optional<int> year = ParseTrackYear(fields.year);
  if (!year) return refuse("Invalid Track Year");
  if (fields.usepxy && fields.proxy.empty()) return refuse("Use Proxy checked but proxy server not provided.");
  if (fields.usepas && (fields.passwd.empty() || fields.user.empty())) {
    return refuse("Basic Authentication checked but user and/or password not provided.");
  }
  if (fields.contyp == 0 && fields.dialup.empty()) {
    reading.dialup_choice_cleared = true;
    return refuse("Dialup Connection selected but no dialup entry selected.");
  }
  std::optional<double> start_unit;
  if (fields.startunit) {
    start_unit = ParseNumber(*fields.startunit);
    // A unit value of zero or less would make every later dues payment divide
    // by it; one beyond a million would buy no visible units with any dues.
    if (!start_unit || *start_unit < kLeastStartUnit || *start_unit > kMostStartUnit) {
      return refuse("Invalid Start Unit Value");
    }
  }
  reading.setup = ClubSetup{.club = fields.club,
                            .addr = fields.addr,
                            .idnum = fields.idnum,
                            .year = *year,
                            .host = fields.host,
                            .retadr = fields.retadr,
                            .proxy = fields.proxy,
                            .user = fields.user,
                            .passwd = fields.passwd,
                            .usepxy = fields.usepxy,
                            .pxycsh = fields.pxycsh,
                            .usepas = fields.usepas,
                            .contyp = fields.contyp,
                            .dialup = fields.dialup,
                            .cnthndl = fields.cnthndl,
                            .start_unit = start_unit};
  return reading;
}

Outcome CommitClubSetup(ClubSession& club, const ClubInfoFields& fields, bool* dialup_choice_cleared) {
  const ClubSetupReading reading = ReadClubSetup(fields);
  if (dialup_choice_cleared) *dialup_choice_cleared = reading.dialup_choice_cleared;
  if (!reading.setup) return Refuse(club.Ui(), reading.refusal);
  return club.SetUpClub(*reading.setup);
}

}  // namespace pellmark
