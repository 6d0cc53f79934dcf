// The club's record layouts: one struct per stored record, with the short field
// names of the files, and the table that places each field in the packed bytes.
// Every record carries the image it was read from (zeros for a new record) so
// that bytes the program does not interpret are written back unchanged.
//
//   TAccountRec cash;
//   cash.name = "Cash";
//   store.Store(NameKey(false, cash.name), EncodeRecord(cash));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "club/record_layout.h"

namespace pellmark {

// Member: clubmem.qdb, keyed by NameKey of the member's name.
struct TMemberRec {
  static constexpr std::size_t kSize = 247;
  static constexpr const char* kName = "member";
  static const std::vector<FieldSpec<TMemberRec>>& Layout();

  std::string lname, fname, addr, city, state, zip, idnum, hphone, wphone, fphone, ophone, email;
  double tunits = 0, totalc = 0, totale = 0;
  std::int32_t memid = 0, duescount = 0;
  char mtype = 'P';  // 'P' person, 'G' group
  bool active = true;
  ByteImage image{kSize};
};

// Member transaction: memrec.qdb, keyed by TranKey(memid, duestran, trandate).
struct TMemberTranRec {
  static constexpr std::size_t kSize = 57;
  static constexpr const char* kName = "member transaction";
  static const std::vector<FieldSpec<TMemberTranRec>>& Layout();

  double dues = 0, cunit = 0, fee = 0;
  std::int32_t gain = 0, unitind = -1, memid = 0, actid = -1, duestran = 0, tranid = -1;
  std::uint8_t typ = 0;
  double trandate = 0;
  ByteImage image{kSize};
};

// Security: clubstk.qdb, keyed by NameKey of the security's name.
struct TSecurityRec {
  static constexpr std::size_t kSize = 106;
  static constexpr const char* kName = "security";
  static const std::vector<FieldSpec<TSecurityRec>>& Layout();

  std::string name, symbol;
  double pricep = 0, pricec = 0, dividendt = 0, dividendy = 0, tspent = 0, sharest = 0;
  std::int32_t stkid = 0, pricecount = 0, trancount = 0;
  double pricedate = 0;
  bool active = true;
  ByteImage image{kSize};
};

// Security transaction: stkrec.qdb, keyed by TranKey(stkid, stranid, trandate).
struct TSecurityTranRec {
  static constexpr std::size_t kSize = 56;
  static constexpr const char* kName = "security transaction";
  static const std::vector<FieldSpec<TSecurityTranRec>>& Layout();

  double amount = 0, price = 0, comm = 0, trandate = 0;
  std::int32_t transid = -1, stranid = 0, stkid = 0, actid = -1, buytran = -1;
  std::uint8_t typ = 0;
  bool tax = false, compc = false, sold = false;
  ByteImage image{kSize};
};

// Cash account: clubact.qdb, keyed by NameKey of the account's name.
struct TAccountRec {
  static constexpr std::size_t kSize = 121;
  static constexpr const char* kName = "account";
  static constexpr std::size_t kValuationMarkerOffset = 51;
  static const std::vector<FieldSpec<TAccountRec>>& Layout();

  std::string name, number;
  double lstdate = 0, bal = 0, ibal = 0, ostcred = 0, ostdeb = 0, interest = 0, interesty = 0;
  std::int32_t trancount = 0, lstchk = -1, actid = 0;
  bool active = true;
  ByteImage image{kSize};

  // The byte at offset 51, inside `number`'s characters but independent of its
  // length byte: 'V' keeps the account out of valuations.
  bool ExcludedFromValuation() const;
  void SetExcludedFromValuation(bool excluded);
};

// Account transaction: actrec.qdb, keyed by TranKey(actid, tranid, trandate).
struct TAccountTranRec {
  static constexpr std::size_t kSize = 70;
  static constexpr const char* kName = "account transaction";
  static const std::vector<FieldSpec<TAccountTranRec>>& Layout();

  double trandate = 0, amount = 0;
  std::string desc;
  std::int32_t checknum = 0, tranid = 0, catid = 0, actid = 0, xferact = -1;
  std::uint8_t typ = 0, updateloc = 0;
  bool cancel = false;
  ByteImage image{kSize};
};

// Price: stkprice.qdb, keyed by TranKey(stkid, tranid, trandate).
struct TPriceRec {
  static constexpr std::size_t kSize = 24;
  static constexpr const char* kName = "price";
  static const std::vector<FieldSpec<TPriceRec>>& Layout();

  double price = 0;
  std::int32_t stkid = 0, tranid = 0;
  double trandate = 0;
  ByteImage image{kSize};
};

// Income or expense category: clubcat.qdb, keyed by name + "_" + catid + "_D" or "_W".
struct TCategoryRec {
  static constexpr std::size_t kSize = 32;
  static constexpr const char* kName = "category";
  static const std::vector<FieldSpec<TCategoryRec>>& Layout();

  std::string cat;
  std::uint8_t typ = 1;  // 1 income, 2 expense
  bool tax = false;
  std::int32_t catid = 0;
  ByteImage image{kSize};
};

// Unit value of one official valuation: clubunit.qdb, keyed by UnitKey(unitid, date).
struct TUnitValueRec {
  static constexpr std::size_t kSize = 21;
  static constexpr const char* kName = "unit value";
  static const std::vector<FieldSpec<TUnitValueRec>>& Layout();

  double unitval = 0, date = 0;
  bool upd = false;
  std::int32_t unitid = 0;
  ByteImage image{kSize};
};

// The club information: the one record of the plain file clubinfo.qdb.
struct TClubInfoRec {
  static constexpr std::size_t kSize = 313;
  static constexpr const char* kName = "club information";
  static const std::vector<FieldSpec<TClubInfoRec>>& Layout();

  std::string club, addr, idnum, host, retadr, proxy, user, passwd, dialup;
  bool dues = false, stks = false, sort = false, usepxy = false, pxycsh = false, usepas = false;
  double vunit = 0;
  std::int32_t unitind = 0, year = 0, defact = -1, defstkact = -1, hidacts = 0, hidstks = 0, hidmems = 0,
               unitkey = 0;
  double date = 0;
  std::uint8_t updcnt = 0, cnthndl = 0;
  std::int16_t contyp = -1;
  ByteImage image{kSize};
};

// The member's name as keys and lists use it: "Last, First" for a person, the
// whole group name (lname + fname) for a group.
std::string MemberName(const TMemberRec& member);

// Splits a group name of up to 30 characters over lname (first 15) and fname (rest).
void SetGroupName(TMemberRec& member, std::string_view name);

// Keeps a security's average price in step with its shares and cost: pricep is
// tspent / sharest, and a holding below 0.005 shares is cleared to zero.
void ApplySecurityBookkeeping(TSecurityRec& security);

// Share quantities closer than this are equal; a smaller holding is none.
inline constexpr double kShareTolerance = 0.005;

}  // namespace pellmark
