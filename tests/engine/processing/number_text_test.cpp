#include <gtest/gtest.h>

#include <clocale>

#include "processing/errors.h"
#include "processing/message_text.h"
#include "processing/number_text.h"

namespace {

TEST(NumberText, FloatsUseAPointWhateverTheLocale) {
  // A locale with a decimal comma must not change how numbers are read or written.
  const bool haveCommaLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_EQ(StrToFloat("0.5"), 0.5);
  EXPECT_EQ(StrToFloat(" 2 "), 2.0);
  EXPECT_EQ(StrToFloat("+1.5e1"), 15.0);
  EXPECT_EQ(StrToFloat("-.25"), -0.25);
  EXPECT_EQ(FormatRounded(2.5, 2), "2.5");
  if (haveCommaLocale) std::setlocale(LC_NUMERIC, "C");
}

TEST(NumberText, TextsThatAreNoFloatAreRefusedWithTheirText) {
  for (const char* text : {"0,5", "", " ", "abc", "inf", "nan", "1.2.3", "0x10", "+-1", "--1", "1e", "1e999"}) {
    SCOPED_TRACE(text);
    try {
      StrToFloat(text);
      ADD_FAILURE() << "parsed";
    } catch (const CommandError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

// What a message shows of a text: nothing that acts on a terminal or shows as nothing at all.
TEST(NumberText, MessagesShowUnprintableBytesEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string("1\0x", 3), "'1\\x00x'"},
      {"\x1b[2J\x7f", "'\\x1B[2J\\x7F'"},
      {"caf\xc3\xa9 \xc3(", "'caf\xc3\xa9 \\xC3('"},              // UTF-8 kept, a broken sequence not
      {"\xef\xbb\xbf" "1\xe2\x80\xae", "'\\xEF\\xBB\\xBF1\\xE2\\x80\\xAE'"},  // BOM, direction override
      {"\xc0\xaf\xed\xa0\x80\xc2\x85", "'\\xC0\\xAF\\xED\\xA0\\x80\\xC2\\x85'"},  // overlong, surrogate, C1
      {std::string(100, '7'), "'" + std::string(80, '7') + "...'"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(QuotedForMessage(text), shown);
}

TEST(NumberText, Integers) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt(" +7 "), 7);
  for (const char* text : {"2147483648", "1.0", "", "x", "+", "1 2", "+-3", "++3"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(StrToInt(text), CommandError);
  }
}

TEST(NumberText, LabelsRoundHalfUpInTheShortestForm) {
  EXPECT_EQ(FormatRounded(22049.0 / 44100.0, 4), "0.5");
  EXPECT_EQ(FormatRounded(0.0, 4), "0");
  EXPECT_EQ(FormatRounded(3.0, 2), "3");
  EXPECT_EQ(FormatRounded(0.125, 2), "0.13");   // half goes up, not to even
  EXPECT_EQ(FormatRounded(1.0 / 3.0, 4), "0.3333");
  EXPECT_EQ(FormatRounded(48693.7, 2), "48693.7");
}

}  // namespace
