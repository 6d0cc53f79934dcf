// The Special page's set-up form: the texts it shows (placeholders at a club's
// first set-up) and, on OK, the checks that turn them into the club's typed
// set-up, which the club session stores.
//
//   ClubInfoFields fields = ClubSetupFields(club);
//   fields.club = "Elm Street Investors";
//   Outcome done = CommitClubSetup(club, fields);   // refusals shown through the club's port
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "club/club_session.h"
#include "club/outcome.h"

namespace pellmark {

// The texts of the Special page's set-up fields as the user left them.
struct ClubInfoFields {
  std::string club, addr, idnum, year;
  std::string host, retadr, proxy, user, passwd;
  bool usepxy = false, pxycsh = false, usepas = false;
  std::int16_t contyp = -1;       // "Connection Type": 0 "Dialup", 1 "LAN", -1 none
  std::string dialup;             // the selected dial-up entry, empty when none
  std::uint8_t cnthndl = 0;       // "Terminate . . .": 0 "Immediately After Use", 1 "At end of Program"
  std::optional<std::string> startunit;  // shown only at the first set-up
};

// What the form shows: the club's information, or the placeholders of a first set-up.
ClubInfoFields ClubSetupFields(const ClubSession& club);

// The fields read on OK: the set-up, or the message refusing them.
struct ClubSetupReading {
  std::optional<ClubSetup> setup;
  std::string refusal;
  bool dialup_choice_cleared = false;  // the form clears its dial-up choice with this refusal
};
ClubSetupReading ReadClubSetup(const ClubInfoFields& fields);

// Reads the fields and stores the set-up; a refusal is shown through the
// club's interaction port and leaves the club as it was.
Outcome CommitClubSetup(ClubSession& club, const ClubInfoFields& fields, bool* dialup_choice_cleared = nullptr);

}  // namespace pellmark
