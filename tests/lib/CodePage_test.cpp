// Conversion between the system's 8-bit texts and UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "lib/uCodePage.h"

using namespace qvt;

// (Quotes and accents both ways: BankText.NamesAreUtf8InTheTextAnd8BitInTheBank.)
TEST(CodePage, TheEuroSignRoundTrips) {
  EXPECT_EQ(Win1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8ToWin1252("\xE2\x82\xAC"), "\x80");
}

TEST(CodePage, CharactersWithoutAnEightBitFormBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToWin1252("\xE6\x97\xA5x"), "?x");   // a CJK character
  EXPECT_EQ(Utf8ToWin1252("a\xC3"), "a?");           // cut sequence
  EXPECT_EQ(Utf8ToWin1252("\xFF\xFE"), "??");        // not UTF-8 at all
}

TEST(CodePage, CopyCutNeverSplitsACharacter) {
  char buffer[6];
  CopyCut(buffer, sizeof(buffer), "ab\xC3\xA9\xC3\xA9"); // "abéé": 6 bytes
  EXPECT_STREQ(buffer, "ab\xC3\xA9");
  CopyCut(buffer, 1, "abc");
  EXPECT_STREQ(buffer, "");
  CopyCut(nullptr, 10, "abc"); // harmless
  // An incomplete sequence at the end is copied as it is, with nothing stale after it.
  char filled[10];
  std::fill(std::begin(filled), std::end(filled), 'X');
  CopyCut(filled, sizeof(filled), "a\xE2\x82");
  EXPECT_EQ(std::string(filled), "a\xE2\x82");
  CopyCut(filled, sizeof(filled), "\xC3z");
  EXPECT_EQ(std::string(filled), "\xC3z");
}
