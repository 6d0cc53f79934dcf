#include "club/text_encoding.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

TEST(TextEncoding, AsciiPassesUnchanged) {
  EXPECT_EQ(ToUtf8("Smith, Ann"), "Smith, Ann");
  EXPECT_EQ(ToWindows1252("Smith, Ann"), "Smith, Ann");
}

TEST(TextEncoding, Latin1AndTheWindowsRangeConvertBothWays) {
  EXPECT_EQ(ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");          // euro sign
  EXPECT_EQ(ToUtf8("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");  // curly quotes
  EXPECT_EQ(ToWindows1252("Caf\xC3\xA9"), "Caf\xE9");
  EXPECT_EQ(ToWindows1252("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(ToWindows1252("\xC5\xB8"), "\x9F");  // Y with diaeresis
}

TEST(TextEncoding, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(ToWindows1252(ToUtf8(all)), all);
}

TEST(TextEncoding, CharactersWithoutASingleByteFormBecomeQuestionMarks) {
  EXPECT_EQ(ToWindows1252("a\xE2\x98\xBA" "b"), "a?b");        // U+263A
  EXPECT_EQ(ToWindows1252("\xF0\x9F\x98\x80"), "?");            // U+1F600, four bytes
  EXPECT_EQ(ToWindows1252("\xD0\x96"), "?");                     // Cyrillic
}

TEST(TextEncoding, MalformedUtf8BecomesQuestionMarks) {
  EXPECT_EQ(ToWindows1252("a\xFF" "b"), "a?b");
  EXPECT_EQ(ToWindows1252("\xC3"), "?");           // truncated sequence
  EXPECT_EQ(ToWindows1252("\xC0\xAF"), "??");      // overlong form of "/"
  EXPECT_EQ(ToWindows1252("\xED\xA0\x80"), "?");   // an encoded surrogate
}

TEST(TextEncoding, NamesTheCharactersThatCannotBeStored) {
  EXPECT_EQ(UnstorableCharacters("Café €5"), "");
  EXPECT_EQ(UnstorableCharacters("银行"), "银 行");
  EXPECT_EQ(UnstorableCharacters("日本 日本 ☺"), "日 本 ☺");
  EXPECT_EQ(UnstorableCharacters("a\xFF" "b"), "\uFFFD");
  EXPECT_EQ(UnstorableCharacters("?"), "");  // a real question mark is stored
}

}  // namespace
}  // namespace pellmark
