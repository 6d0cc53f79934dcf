#include "club/records.h"

#include <gtest/gtest.h>

#include "club/dates.h"
#include "support/byte_fixture.h"

namespace pellmark {
namespace {

using testing::ByteFixture;
using testing::FromHex;

TEST(RecordSizes, MatchTheFiles) {
  EXPECT_EQ(EncodeRecord(TMemberRec{}).size(), 247u);
  EXPECT_EQ(EncodeRecord(TMemberTranRec{}).size(), 57u);
  EXPECT_EQ(EncodeRecord(TSecurityRec{}).size(), 106u);
  EXPECT_EQ(EncodeRecord(TSecurityTranRec{}).size(), 56u);
  EXPECT_EQ(EncodeRecord(TAccountRec{}).size(), 121u);
  EXPECT_EQ(EncodeRecord(TAccountTranRec{}).size(), 70u);
  EXPECT_EQ(EncodeRecord(TPriceRec{}).size(), 24u);
  EXPECT_EQ(EncodeRecord(TCategoryRec{}).size(), 32u);
  EXPECT_EQ(EncodeRecord(TUnitValueRec{}).size(), 21u);
  EXPECT_EQ(EncodeRecord(TClubInfoRec{}).size(), 313u);
}

TEST(RecordBytes, SmallRecordsAgainstHexFixtures) {
  TUnitValueRec unit;
  unit.unitval = 25.0;
  unit.date = DayNumberFromCivil({1999, 1, 1});
  unit.unitid = 0;
  EXPECT_EQ(EncodeRecord(unit), FromHex("0000000000003940 0000000020a8e140 00 00000000"));

  TPriceRec price;
  price.price = 12.375;
  price.stkid = 3;
  price.tranid = 7;
  price.trandate = DayNumberFromCivil({1999, 2, 3});
  EXPECT_EQ(EncodeRecord(price), FromHex("0000000000c02840 03000000 07000000 0000000040ace140"));

  TCategoryRec category;
  category.cat = "Member Contributions";
  category.typ = 1;
  category.tax = false;
  category.catid = 1;
  EXPECT_EQ(EncodeRecord(category),
            FromHex("14 4d656d62657220436f6e747269627574696f6e73 0000000000 01 00 01000000"));
}

TEST(RecordBytes, MemberAtEveryOffset) {
  const std::string bytes = ByteFixture(247)
                                .Text(0, "Smith").Text(16, "Ann").Text(32, "1 Elm St").Text(63, "Springfield")
                                .Text(84, "IL").Text(87, "62701").Text(98, "123-45-6789").Text(110, "555-1000")
                                .Text(128, "555-2000").Text(146, "555-3000").Text(164, "555-4000")
                                .Text(182, "ann@example.com").Double(213, 12.345).Double(221, 500)
                                .Double(229, -3.25).Int(237, 4).Int(241, 13).Byte(245, 'P').Byte(246, 1)
                                .Bytes();
  TMemberRec member = DecodeRecord<TMemberRec>(bytes);
  EXPECT_EQ(member.lname, "Smith");
  EXPECT_EQ(member.fname, "Ann");
  EXPECT_EQ(member.city, "Springfield");
  EXPECT_EQ(member.email, "ann@example.com");
  EXPECT_EQ(member.tunits, 12.345);
  EXPECT_EQ(member.totale, -3.25);
  EXPECT_EQ(member.memid, 4);
  EXPECT_EQ(member.duescount, 13);
  EXPECT_EQ(member.mtype, 'P');
  EXPECT_TRUE(member.active);
  EXPECT_EQ(EncodeRecord(member), bytes);
}

TEST(RecordBytes, TransactionsAndMastersAtEveryOffset) {
  const std::string member_tran = ByteFixture(57).Double(0, 50).Double(8, 25).Double(16, 1.5).Int(24, 1)
                                      .Int(28, 2).Int(32, 3).Int(36, 4).Int(40, 5).Int(44, -1).Byte(48, 3)
                                      .Double(49, 36194).Bytes();
  auto mt = DecodeRecord<TMemberTranRec>(member_tran);
  EXPECT_EQ(mt.fee, 1.5);
  EXPECT_EQ(mt.unitind, 2);
  EXPECT_EQ(mt.tranid, -1);
  EXPECT_EQ(mt.typ, 3);
  EXPECT_EQ(mt.trandate, 36194);
  EXPECT_EQ(EncodeRecord(mt), member_tran);

  const std::string security = ByteFixture(106).Text(0, "Acme Widgets").Text(26, "ACME").Double(37, 10.5)
                                   .Double(45, 11).Double(53, 2).Double(61, 1).Double(69, 1050).Double(77, 100)
                                   .Int(85, 2).Int(89, 5).Int(93, 6).Double(97, 36194).Byte(105, 0).Bytes();
  auto sec = DecodeRecord<TSecurityRec>(security);
  EXPECT_EQ(sec.symbol, "ACME");
  EXPECT_EQ(sec.sharest, 100);
  EXPECT_EQ(sec.trancount, 6);
  EXPECT_FALSE(sec.active);
  EXPECT_EQ(EncodeRecord(sec), security);

  const std::string sec_tran = ByteFixture(56).Double(0, 1000).Double(8, 10).Double(16, 9.95).Double(24, 36194)
                                   .Int(32, 8).Int(36, 9).Int(40, 2).Int(44, 1).Int(48, -1).Byte(52, 1)
                                   .Byte(53, 1).Byte(54, 0).Byte(55, 1).Bytes();
  auto st = DecodeRecord<TSecurityTranRec>(sec_tran);
  EXPECT_EQ(st.comm, 9.95);
  EXPECT_EQ(st.buytran, -1);
  EXPECT_TRUE(st.tax);
  EXPECT_TRUE(st.sold);
  EXPECT_EQ(EncodeRecord(st), sec_tran);

  const std::string act_tran = ByteFixture(70).Double(0, 36194).Double(8, -20).Text(16, "Stamps").Int(47, 1001)
                                   .Int(51, 4).Int(55, 8).Int(59, 1).Int(63, -1).Byte(67, 1).Byte(68, 2)
                                   .Byte(69, 1).Bytes();
  auto at = DecodeRecord<TAccountTranRec>(act_tran);
  EXPECT_EQ(at.desc, "Stamps");
  EXPECT_EQ(at.checknum, 1001);
  EXPECT_EQ(at.xferact, -1);
  EXPECT_EQ(at.updateloc, 2);
  EXPECT_TRUE(at.cancel);
  EXPECT_EQ(EncodeRecord(at), act_tran);
}

TEST(RecordBytes, AccountValuationMarkerSitsInsideTheNumberField) {
  const std::string bytes = ByteFixture(121).Text(0, "Cash").Text(26, "Account Number").Byte(51, 'V')
                                .Double(60, 100).Int(112, -1).Int(116, 1).Byte(120, 1).Bytes();
  TAccountRec account = DecodeRecord<TAccountRec>(bytes);
  EXPECT_EQ(account.number, "Account Number");
  EXPECT_TRUE(account.ExcludedFromValuation());
  account.number = "12-3456";  // a shorter number leaves the marker alone
  EXPECT_EQ(static_cast<unsigned char>(EncodeRecord(account)[51]), 'V');
  account.SetExcludedFromValuation(false);
  EXPECT_EQ(EncodeRecord(account)[51], ' ');
  account.number = std::string(30, '9');  // never more than 24 characters: the marker survives
  account.SetExcludedFromValuation(true);
  std::string out = EncodeRecord(account);
  EXPECT_EQ(out[26], 24);
  EXPECT_EQ(out[51], 'V');
}

TEST(RecordBytes, UninterpretedBytesAreWrittenBackUnchanged) {
  // Garbage after the length byte of a short string and in the group name's tail.
  std::string bytes = ByteFixture(247, '\x5A').Text(0, "Lee").Text(16, "Jo").Byte(245, 'P').Byte(246, 1).Bytes();
  TMemberRec member = DecodeRecord<TMemberRec>(bytes);
  EXPECT_EQ(member.lname, "Lee");
  EXPECT_EQ(EncodeRecord(member), bytes);
  member.lname = "Li";
  std::string changed = EncodeRecord(member);
  EXPECT_EQ(changed.substr(0, 5), std::string("\x02Lie\x5A", 5));  // the old third character stays
}

TEST(RecordBytes, ALengthByteBeyondItsFieldIsReadAsTheFieldsCapacity) {
  std::string bytes = ByteFixture(247).Byte(0, 200).Text(16, "Ann").Bytes();
  for (int i = 1; i <= 15; ++i) bytes[i] = 'X';
  TMemberRec member = DecodeRecord<TMemberRec>(bytes);
  EXPECT_EQ(member.lname, std::string(15, 'X'));
  EXPECT_EQ(member.fname, "Ann");
}

TEST(RecordBytes, WrongSizesAreRefusedClearly) {
  try {
    DecodeRecord<TMemberRec>(std::string(230, '\0'));
    FAIL() << "no error";
  } catch (const RecordSizeError& e) {
    EXPECT_STREQ(e.what(), "A member record has 230 bytes instead of 247");
  }
  EXPECT_THROW(DecodeRecord<TUnitValueRec>(std::string(22, '\0')), RecordSizeError);
  EXPECT_THROW(DecodeRecord<TClubInfoRec>(""), RecordSizeError);
}

TEST(MemberNames, PersonsAndGroups) {
  TMemberRec person;
  person.lname = "Smith";
  person.fname = "Ann";
  EXPECT_EQ(MemberName(person), "Smith, Ann");

  TMemberRec group;
  SetGroupName(group, "The Thirty Character Group Nam");
  EXPECT_EQ(group.mtype, 'G');
  EXPECT_EQ(group.lname, "The Thirty Char");
  EXPECT_EQ(group.fname, "acter Group Nam");
  EXPECT_EQ(MemberName(group), "The Thirty Character Group Nam");
  SetGroupName(group, "Short Group");
  EXPECT_EQ(group.fname, "");
  EXPECT_EQ(MemberName(group), "Short Group");
}

TEST(SecurityBookkeeping, AveragePriceAndTheShareTolerance) {
  TSecurityRec security;
  security.sharest = 100;
  security.tspent = 1050;
  ApplySecurityBookkeeping(security);
  EXPECT_EQ(security.pricep, 10.5);

  security.sharest = 0.004;
  security.tspent = 0.04;
  ApplySecurityBookkeeping(security);
  EXPECT_EQ(security.sharest, 0);
  EXPECT_EQ(security.tspent, 0);
  EXPECT_EQ(security.pricep, 0);

  security.sharest = -0.005;  // a short position of exactly the tolerance stays
  security.tspent = -0.05;
  ApplySecurityBookkeeping(security);
  EXPECT_EQ(security.sharest, -0.005);
  EXPECT_DOUBLE_EQ(security.pricep, 10);
}

}  // namespace
}  // namespace pellmark

namespace pellmark {
namespace {

TEST(RecordBytes, FlagBytesOtherThanOneSurviveUnchanged) {
  std::string bytes = testing::ByteFixture(121).Text(0, "Cash").Byte(120, 7).Bytes();
  TAccountRec account = DecodeRecord<TAccountRec>(bytes);
  EXPECT_TRUE(account.active);
  EXPECT_EQ(EncodeRecord(account), bytes);
  account.active = false;
  EXPECT_EQ(EncodeRecord(account)[120], 0);
}

}  // namespace
}  // namespace pellmark
