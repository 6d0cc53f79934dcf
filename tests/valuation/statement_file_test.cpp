#include "valuation/statement_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "store/posix_file_layer.h"
#include "store/whole_files.h"
#include "support/temp_folder.h"

namespace pellmark::valuation {
namespace {

namespace fs = std::filesystem;

// A 51-byte record written by hand: the kind, 6-byte reals given as their bytes,
// and NUL-terminated texts.
class RecordImage {
 public:
  explicit RecordImage(std::uint8_t kind) : bytes_(kStatementRecordSize, '\0') { bytes_[0] = static_cast<char>(kind); }
  RecordImage& Real(std::size_t at, std::initializer_list<std::uint8_t> six) {
    for (std::uint8_t b : six) bytes_[at++] = static_cast<char>(b);
    return *this;
  }
  RecordImage& Text(std::size_t at, std::string_view text) {
    bytes_.replace(at, text.size(), text);
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// 1.0, 2.0, 12.5, 100.0, -1.0 as 6-byte reals.
constexpr std::initializer_list<std::uint8_t> kOne{0x81, 0, 0, 0, 0, 0};
constexpr std::initializer_list<std::uint8_t> kTwo{0x82, 0, 0, 0, 0, 0};
constexpr std::initializer_list<std::uint8_t> kTwelveAndAHalf{0x84, 0, 0, 0, 0, 0x48};
constexpr std::initializer_list<std::uint8_t> kHundred{0x87, 0, 0, 0, 0, 0x48};
constexpr std::initializer_list<std::uint8_t> kMinusOne{0x81, 0, 0, 0, 0, 0x80};

std::string KnownStatementBytes() {
  return RecordImage(0).Text(1, "31-DEC-1999").Bytes() +
         RecordImage(2).Real(1, kTwelveAndAHalf).Real(7, kHundred).Real(13, kOne).Real(19, kMinusOne).Text(25, "Acme Widgets").Bytes() +
         RecordImage(5).Real(1, kTwo).Bytes() +
         RecordImage(3).Real(1, kHundred).Real(7, kOne).Text(13, "Brokerage").Bytes() +
         RecordImage(1).Real(1, kTwelveAndAHalf).Real(7, kHundred).Real(13, kMinusOne).Text(19, "Ann Smith").Bytes() +
         RecordImage(4).Real(1, kTwo).Real(7, kOne).Real(13, kHundred).Real(19, kTwelveAndAHalf).Bytes() +
         RecordImage(6).Real(1, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}).Bytes();
}

Statement KnownStatement() {
  Statement s;
  s.date = DayNumberFromCivil({1999, 12, 31});
  s.securities = {{12.5, 100, 1, -1, "Acme Widgets"}};
  s.dividends = 2;
  s.accounts = {{100, 1, "Brokerage"}};
  s.members = {{12.5, 100, -1, "Ann Smith"}};
  s.summary = StatementSummary{2, 1, 100, 12.5};
  s.unit_id = -1;
  return s;
}

TEST(StatementFileTest, WritesTheRecordsOfTheLayout) {
  EXPECT_EQ(EncodeStatement(KnownStatement()), KnownStatementBytes());
  EXPECT_EQ(StatementFileName(DayNumberFromCivil({1999, 12, 31})), "V12311999.stm");
  EXPECT_EQ(StatementFileName(DayNumberFromCivil({2001, 2, 3})), "V02032001.stm");
}

TEST(StatementFileTest, ReadsWhatItWrote) {
  Statement s = DecodeStatement(KnownStatementBytes(), "V12311999.stm");
  EXPECT_EQ(s.date, DayNumberFromCivil({1999, 12, 31}));
  ASSERT_EQ(s.securities.size(), 1u);
  EXPECT_EQ(s.securities[0].name, "Acme Widgets");
  EXPECT_EQ(s.securities[0].shares, -1);
  EXPECT_EQ(s.securities[0].cost_per_share, 12.5);
  EXPECT_EQ(s.dividends, 2);
  EXPECT_EQ(s.accounts.at(0).name, "Brokerage");
  EXPECT_EQ(s.members.at(0).earnings, -1);
  EXPECT_EQ(s.summary->total_units, 12.5);
  EXPECT_EQ(s.unit_id, -1);
}

TEST(StatementFileTest, NamesAreCutToTheirFieldsAndAStatementWithoutUnitsHasNoSummary) {
  Statement s;
  s.date = DayNumberFromCivil({2000, 1, 5});
  s.securities = {{1, 1, 0, 1, std::string(30, 'S')}};
  s.members = {{1, 0, 0, std::string(40, 'M')}};
  std::string bytes = EncodeStatement(s);
  ASSERT_EQ(bytes.size(), 3 * kStatementRecordSize);
  EXPECT_EQ(bytes.substr(1, 12), std::string("05-JAN-2000\0", 12));
  EXPECT_EQ(bytes.substr(51 + 25, 26), std::string(25, 'S') + '\0');
  EXPECT_EQ(bytes.substr(102 + 19, 32), std::string(31, 'M') + '\0');
  Statement back = DecodeStatement(bytes, "x");
  EXPECT_FALSE(back.summary);
  EXPECT_FALSE(back.dividends);
  EXPECT_EQ(back.members.at(0).name, std::string(31, 'M'));
}

// The refusal names whose figure it is, so that the user knows what to correct.
TEST(StatementFileTest, AnAmountBeyondTheRealIsRefusedNamingWhoseItIs) {
  const double beyond = 1e39;  // past 2^127, the largest magnitude the real holds
  const std::vector<std::pair<std::function<void(Statement&)>, std::string>> cases = {
      {[&](Statement& s) { s.securities[0].price = 1e300; }, "The price 1e+300 of security Acme Widgets"},
      {[&](Statement& s) { s.securities[0].shares = -beyond; }, "The share count -1e+39 of security Acme Widgets"},
      {[&](Statement& s) { s.accounts[0].balance = beyond; }, "The balance 1e+39 of account Brokerage"},
      {[&](Statement& s) { s.members[0].units = std::nan(""); }, "The unit count nan of member Ann Smith"},
      {[&](Statement& s) { s.dividends = beyond; }, "The dividend amount 1e+39 of the club"},
      {[&](Statement& s) { s.summary->total_value = std::numeric_limits<double>::infinity(); },
       "The total value inf of the club"},
  };
  for (const auto& [change, owner] : cases) {
    Statement s = KnownStatement();
    change(s);
    try {
      EncodeStatement(s);
      ADD_FAILURE() << owner;
    } catch (const StatementError& error) {
      EXPECT_EQ(std::string(error.what()), owner + " is beyond what a valuation statement can hold.");
    }
  }
  Statement largest = KnownStatement();
  largest.accounts[0].balance = 1.7e38;
  EXPECT_NO_THROW(EncodeStatement(largest));
}

TEST(StatementFileTest, DamagedFilesAreRefusedWithTheirReason) {
  auto message = [](std::string bytes) {
    try {
      DecodeStatement(bytes, "V12311999.stm");
    } catch (const StatementError& error) {
      return std::string(error.what());
    }
    return std::string("read");
  };
  const std::string good = KnownStatementBytes();
  EXPECT_EQ(message(""), "Valuation statement V12311999.stm is damaged: it is empty.");
  EXPECT_EQ(message(good.substr(0, good.size() - 1)),
            "Valuation statement V12311999.stm is damaged: its length is not a whole number of 51-byte records.");
  EXPECT_EQ(message(good.substr(51)), "Valuation statement V12311999.stm is damaged: it does not begin with its date.");
  for (std::string date : {"31-DEX-1999", "32-DEC-1999", "31/DEC/1999", "3a-DEC-1999"}) {
    EXPECT_EQ(message(RecordImage(0).Text(1, date).Bytes()),
              "Valuation statement V12311999.stm is damaged: its date is not a date.")
        << date;
  }
}

TEST(StatementFileTest, ADamagedRecordIsNamedByItsNumber) {
  auto message = [](std::string bytes) {
    try {
      DecodeStatement(bytes, "V12311999.stm");
    } catch (const StatementError& error) {
      return std::string(error.what());
    }
    return std::string("read");
  };
  const std::string header = RecordImage(0).Text(1, "31-DEC-1999").Bytes();
  const std::string good = RecordImage(5).Real(1, kTwo).Bytes();
  // A record of another kind is passed over, whatever it holds; the records around it are read.
  const Statement with_other = DecodeStatement(
      header + RecordImage(9).Text(1, std::string(40, 'x')).Bytes() + good + RecordImage(200).Bytes(), "x");
  EXPECT_EQ(with_other.dividends, 2.0);
  EXPECT_TRUE(with_other.securities.empty() && with_other.accounts.empty() && with_other.members.empty());
  EXPECT_EQ(message(header + header), "Valuation statement V12311999.stm is damaged: record 2 is a second header.");
  EXPECT_EQ(message(header + RecordImage(3).Real(1, kOne).Text(13, std::string(38, 'A')).Bytes()),
            "Valuation statement V12311999.stm is damaged: record 2 holds a text without its end.");
  EXPECT_EQ(message(header + good + RecordImage(1).Real(7, {0, 0, 0, 0, 0, 0x80}).Text(19, "Ann").Bytes()),
            "Valuation statement V12311999.stm is damaged: record 3 holds a number that is not a 6-byte real.");
  EXPECT_EQ(message(RecordImage(0).Text(1, "31-DEC-1999" + std::string(39, '9')).Bytes()),
            "Valuation statement V12311999.stm is damaged: record 1 holds a text without its end.");
  // A text that fills its field up to the record's last byte, its NUL, is whole.
  EXPECT_EQ(DecodeStatement(header + RecordImage(3).Text(13, std::string(37, 'A')).Bytes(), "x").accounts.at(0).name,
            std::string(37, 'A'));
}

TEST(StatementFileTest, AFileCutBetweenTwoRecordsIsDamaged) {
  pellmark::testing::TempFolder folder;
  store::PosixFileLayer files;
  const fs::path file = folder.Path() / "V12311999.stm";
  const std::string whole = KnownStatementBytes();
  for (std::size_t records = 1; records < whole.size() / kStatementRecordSize; ++records) {
    store::SaveFileAtomically(files, file, whole.substr(0, records * kStatementRecordSize));
    try {
      ReadStatementFile(files, file);
      ADD_FAILURE() << records << " records read";
    } catch (const StatementError& error) {
      EXPECT_STREQ(error.what(), "Valuation statement V12311999.stm is damaged: it ends without its summary and trailer.")
          << records;
    }
  }
  // Records after the trailer are no statement the program writes either.
  store::SaveFileAtomically(files, file, whole + whole.substr(kStatementRecordSize, kStatementRecordSize));
  EXPECT_THROW(ReadStatementFile(files, file), StatementError);
  store::SaveFileAtomically(files, file, whole);
  EXPECT_EQ(ReadStatementFile(files, file).unit_id, -1);
}

TEST(StatementFileTest, FilesGoThroughTheFileLayer) {
  pellmark::testing::TempFolder folder;
  store::PosixFileLayer files;
  WriteStatementFile(files, folder.Path() / "V12311999.stm", KnownStatement());
  EXPECT_EQ(ReadStatementFile(files, folder.Path() / "V12311999.stm").members.at(0).name, "Ann Smith");
  EXPECT_THROW(ReadStatementFile(files, folder.Path() / "V01011999.stm"), store::FileLayerError);
}

}  // namespace
}  // namespace pellmark::valuation
