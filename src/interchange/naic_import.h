// Reading the data files of the NAIC club accounting program: seven ".dt"
// files of one folder, each a 1274-byte header and fixed-size little-endian
// records, dates packed in 16 bits (year - 1980 in bits 9-15, month 5-8, day
// 0-4). A record starting with escape and "del" is deleted and skipped.
//
// Layouts (offsets in bytes; texts zero-terminated; numbers u16 unless said):
//   cash.dt     52:  date 4, code 6, origin byte 8 (for a transfer the other
//                    account), account 10 (0 = Bank), amount 12 (double), description 20
//   secname.dt  153 or 152: security number 0, name 4 (31), symbol 35 (11)
//   valuatn.dt  16:  security number 0, date 4, price 8 (double)
//   member.dt   271: member number 0, last name 4 (16), first name 20 (16),
//                    address 36 (31), city 67 (21), state 88 (3), zip 91 (11),
//                    home phone 102 (18), e-mail 120 (31)
//   security.dt 58:  security number 0, date 4, code 6, shares 8, amount 16,
//                    commission 24 (doubles)
//   memtrans.dt 56:  member number 0, date 4, code 6, amount 8, unit value 16 (doubles)
//   invparms.dt 140: club name 4 (26), address 30 (61), tax id 91 (12), track year 103
//
//   ImportedClub club = ReadNaicFiles(files);   // throws ImportDamage
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "club/club_session.h"
#include "interchange/imported_club.h"

namespace pellmark::interchange {

inline constexpr std::size_t kNaicHeaderSize = 1274;

// The seven files' bytes by name ("cash.dt" ...).
using NaicFiles = std::map<std::string, std::string>;

// The club the files hold: four accounts ("Broker", "Suspense", "Petty Cash",
// "Bank"), their register from cash.dt, the securities, prices, members and
// their transactions, a unit value for each day a payment bought units at, and
// the club information. Records of codes the club does not keep are left out
// with a message each in `skipped`. A missing file, a file that is not whole
// records after its header, or a reference to an account that does not exist
// throws ImportDamage naming the file and record.
ImportedClub ReadNaicFiles(const NaicFiles& files);

// The seven files of `folder`, read; ImportDamage "Could not open cash.dt" for one missing.
ImportedClub ReadNaicFolder(store::FileLayer& files, const std::filesystem::path& folder);

}  // namespace pellmark::interchange
