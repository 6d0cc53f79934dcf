#include "club/records.h"

#include <cmath>
#include <fmt/format.h>

namespace pellmark {

RecordSizeError::RecordSizeError(std::string_view record, std::size_t expected, std::size_t actual)
    : std::runtime_error(fmt::format("A {} record has {} bytes instead of {}", record, actual, expected)) {}

const std::vector<FieldSpec<TMemberRec>>& TMemberRec::Layout() {
  using R = TMemberRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"lname", 0, &R::lname, 15},     {"fname", 16, &R::fname, 15},    {"addr", 32, &R::addr, 30},
      {"city", 63, &R::city, 20},      {"state", 84, &R::state, 2},     {"zip", 87, &R::zip, 10},
      {"idnum", 98, &R::idnum, 11},    {"hphone", 110, &R::hphone, 17}, {"wphone", 128, &R::wphone, 17},
      {"fphone", 146, &R::fphone, 17}, {"ophone", 164, &R::ophone, 17}, {"email", 182, &R::email, 30},
      {"tunits", 213, &R::tunits},     {"totalc", 221, &R::totalc},     {"totale", 229, &R::totale},
      {"memid", 237, &R::memid},       {"duescount", 241, &R::duescount}, {"mtype", 245, &R::mtype},
      {"active", 246, &R::active}};
  return layout;
}

const std::vector<FieldSpec<TMemberTranRec>>& TMemberTranRec::Layout() {
  using R = TMemberTranRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"dues", 0, &R::dues},       {"cunit", 8, &R::cunit},       {"fee", 16, &R::fee},
      {"gain", 24, &R::gain},      {"unitind", 28, &R::unitind},  {"memid", 32, &R::memid},
      {"actid", 36, &R::actid},    {"duestran", 40, &R::duestran}, {"tranid", 44, &R::tranid},
      {"typ", 48, &R::typ},        {"trandate", 49, &R::trandate}};
  return layout;
}

const std::vector<FieldSpec<TSecurityRec>>& TSecurityRec::Layout() {
  using R = TSecurityRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"name", 0, &R::name, 25},       {"symbol", 26, &R::symbol, 10},   {"pricep", 37, &R::pricep},
      {"pricec", 45, &R::pricec},      {"dividendt", 53, &R::dividendt}, {"dividendy", 61, &R::dividendy},
      {"tspent", 69, &R::tspent},      {"sharest", 77, &R::sharest},     {"stkid", 85, &R::stkid},
      {"pricecount", 89, &R::pricecount}, {"trancount", 93, &R::trancount}, {"pricedate", 97, &R::pricedate},
      {"active", 105, &R::active}};
  return layout;
}

const std::vector<FieldSpec<TSecurityTranRec>>& TSecurityTranRec::Layout() {
  using R = TSecurityTranRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"amount", 0, &R::amount},   {"price", 8, &R::price},     {"comm", 16, &R::comm},
      {"trandate", 24, &R::trandate}, {"transid", 32, &R::transid}, {"stranid", 36, &R::stranid},
      {"stkid", 40, &R::stkid},    {"actid", 44, &R::actid},    {"buytran", 48, &R::buytran},
      {"typ", 52, &R::typ},        {"tax", 53, &R::tax},        {"compc", 54, &R::compc},
      {"sold", 55, &R::sold}};
  return layout;
}

const std::vector<FieldSpec<TAccountRec>>& TAccountRec::Layout() {
  using R = TAccountRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"name", 0, &R::name, 25},     {"number", 26, &R::number, 24}, {"lstdate", 52, &R::lstdate},
      {"bal", 60, &R::bal},          {"ibal", 68, &R::ibal},         {"ostcred", 76, &R::ostcred},
      {"ostdeb", 84, &R::ostdeb},    {"interest", 92, &R::interest}, {"interesty", 100, &R::interesty},
      {"trancount", 108, &R::trancount}, {"lstchk", 112, &R::lstchk}, {"actid", 116, &R::actid},
      {"active", 120, &R::active}};
  return layout;
}

bool TAccountRec::ExcludedFromValuation() const { return image.GetByte(kValuationMarkerOffset) == 'V'; }

void TAccountRec::SetExcludedFromValuation(bool excluded) {
  image.PutByte(kValuationMarkerOffset, excluded ? 'V' : ' ');
}

const std::vector<FieldSpec<TAccountTranRec>>& TAccountTranRec::Layout() {
  using R = TAccountTranRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"trandate", 0, &R::trandate}, {"amount", 8, &R::amount},   {"desc", 16, &R::desc, 30},
      {"checknum", 47, &R::checknum}, {"tranid", 51, &R::tranid}, {"catid", 55, &R::catid},
      {"actid", 59, &R::actid},      {"xferact", 63, &R::xferact}, {"typ", 67, &R::typ},
      {"updateloc", 68, &R::updateloc}, {"cancel", 69, &R::cancel}};
  return layout;
}

const std::vector<FieldSpec<TPriceRec>>& TPriceRec::Layout() {
  using R = TPriceRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"price", 0, &R::price}, {"stkid", 8, &R::stkid}, {"tranid", 12, &R::tranid}, {"trandate", 16, &R::trandate}};
  return layout;
}

const std::vector<FieldSpec<TCategoryRec>>& TCategoryRec::Layout() {
  using R = TCategoryRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"cat", 0, &R::cat, 25}, {"typ", 26, &R::typ}, {"tax", 27, &R::tax}, {"catid", 28, &R::catid}};
  return layout;
}

const std::vector<FieldSpec<TUnitValueRec>>& TUnitValueRec::Layout() {
  using R = TUnitValueRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"unitval", 0, &R::unitval}, {"date", 8, &R::date}, {"upd", 16, &R::upd}, {"unitid", 17, &R::unitid}};
  return layout;
}

const std::vector<FieldSpec<TClubInfoRec>>& TClubInfoRec::Layout() {
  using R = TClubInfoRec;
  static const std::vector<FieldSpec<R>> layout = {
      {"club", 0, &R::club, 25},       {"addr", 26, &R::addr, 60},      {"idnum", 87, &R::idnum, 11},
      {"host", 99, &R::host, 30},      {"retadr", 130, &R::retadr, 30}, {"proxy", 161, &R::proxy, 30},
      {"user", 192, &R::user, 15},     {"passwd", 208, &R::passwd, 15}, {"dialup", 224, &R::dialup, 30},
      {"dues", 255, &R::dues},         {"stks", 256, &R::stks},         {"sort", 257, &R::sort},
      {"usepxy", 258, &R::usepxy},     {"pxycsh", 259, &R::pxycsh},     {"usepas", 260, &R::usepas},
      {"vunit", 261, &R::vunit},       {"unitind", 269, &R::unitind},   {"year", 273, &R::year},
      {"defact", 277, &R::defact},     {"defstkact", 281, &R::defstkact}, {"hidacts", 285, &R::hidacts},
      {"hidstks", 289, &R::hidstks},   {"hidmems", 293, &R::hidmems},   {"unitkey", 297, &R::unitkey},
      {"date", 301, &R::date},         {"updcnt", 309, &R::updcnt},     {"cnthndl", 310, &R::cnthndl},
      {"contyp", 311, &R::contyp}};
  return layout;
}

std::string MemberName(const TMemberRec& member) {
  if (member.mtype == 'G') return member.lname + member.fname;
  return member.lname + ", " + member.fname;
}

void SetGroupName(TMemberRec& member, std::string_view name) {
  name = name.substr(0, 30);
  member.mtype = 'G';
  member.lname = std::string(name.substr(0, 15));
  member.fname = name.size() > 15 ? std::string(name.substr(15)) : std::string();
}

void ApplySecurityBookkeeping(TSecurityRec& security) {
  if (std::fabs(security.sharest) < kShareTolerance) {
    security.sharest = 0;
    security.tspent = 0;
    security.pricep = 0;
    return;
  }
  security.pricep = security.tspent / security.sharest;
}

}  // namespace pellmark
